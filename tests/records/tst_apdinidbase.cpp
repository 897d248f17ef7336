#include "app/error.h"
#include "records/apdinidbase.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The message of the RingseerError that the call throws; empty when it throws none.
QString errorOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const RingseerError &error) {
        return error.message();
    }
    return QString();
}

DbRecord caller(const QString &name, const QString &number, const QString &picture = QString())
{
    DbRecord record(CallerFields());
    record.setKey(name);
    record.setText(QStringLiteral("CallerID"), number);
    record.setText(QStringLiteral("Picture"), picture);
    return record;
}

const QString notFound = QStringLiteral("Record not found in database");
const QString exists = QStringLiteral("Record already exists");
const QString invalidKey = QStringLiteral("Invalid record key");
const QString writeError = QStringLiteral("Generic INI file write error");

} // namespace

class TestApdIniDBase : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    QString path(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = path(QStringLiteral("Callers.DB"));
    }

    void newFileAndBakeryExample()
    {
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        QVERIFY(!QFile::exists(m_path));
        QCOMPARE(db.GetNumRecs(), 0);
        QCOMPARE(db.GetRecordList(), QStringList());
        QCOMPARE(readBytes(m_path), QByteArray("[Index]\r\n[Defaults]\r\n_Entries=0\r\n"));

        db.AddRecord(caller(QStringLiteral("Bakery"), QStringLiteral("555-010-2030"),
                            QStringLiteral("/opt/ringseer/Bakery.bmp")));
        QCOMPARE(readBytes(m_path), QByteArray("[Index]\r\n"
                                               "Bakery=#\r\n"
                                               "[Defaults]\r\n"
                                               "_Entries=1\r\n"
                                               "[Bakery]\r\n"
                                               "CallerID=555-010-2030\r\n"
                                               "Picture=/opt/ringseer/Bakery.bmp\r\n"));
        QCOMPARE(db.GetNumRecs(), 1);
        QCOMPARE(db.GetRecordList(), QStringList{QStringLiteral("Bakery")});
        const DbRecord back = db.GetRecord(QStringLiteral("bakery"));
        QCOMPARE(back.key(), QStringLiteral("bakery"));
        QCOMPARE(back.text(QStringLiteral("CallerID")), QStringLiteral("555-010-2030"));
        QCOMPARE(back.text(QStringLiteral("picture")), QStringLiteral("/opt/ringseer/Bakery.bmp"));
    }

    void openingWithoutWritableFolderFails()
    {
        const QString blocker = path(QStringLiteral("plainfile"));
        writeBytes(blocker, "x");
        TApdIniDBase db(CallerFields());
        db.SetFileName(blocker + QStringLiteral("/Callers.DB"));
        QCOMPARE(errorOf([&] { db.SetOpen(true); }), writeError);
        QVERIFY(!db.IsOpen());
    }

    void updateDeleteAndReAdd()
    {
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        db.AddRecord(caller(QStringLiteral("Bakery"), QStringLiteral("555-010-2030"), QStringLiteral("b.bmp")));
        db.AddRecord(caller(QStringLiteral("Garage"), QStringLiteral("555-010-4050")));

        // Same key in other letter case: rewritten in place, the stored case stays,
        // an emptied picture loses its line.
        db.UpdRecord(QStringLiteral("BAKERY"), caller(QStringLiteral("bakery"), QStringLiteral("555-999-0000")));
        QCOMPARE(readBytes(m_path), QByteArray("[Index]\r\nBakery=#\r\nGarage=#\r\n"
                                               "[Defaults]\r\n_Entries=2\r\n"
                                               "[Bakery]\r\nCallerID=555-999-0000\r\n"
                                               "[Garage]\r\nCallerID=555-010-4050\r\n"));
        QCOMPARE(db.GetRecordList(), (QStringList{QStringLiteral("Bakery"), QStringLiteral("Garage")}));

        // Deleted and added again: the section comes back at the end.
        db.DelRecord(QStringLiteral("bakery"));
        QCOMPARE(db.GetNumRecs(), 1);
        QVERIFY(!db.KeyExists(QStringLiteral("Bakery")));
        db.AddRecord(caller(QStringLiteral("Bakery"), QStringLiteral("555-010-2030")));
        QCOMPARE(readBytes(m_path), QByteArray("[Index]\r\nGarage=#\r\nBakery=#\r\n"
                                               "[Defaults]\r\n_Entries=2\r\n"
                                               "[Garage]\r\nCallerID=555-010-4050\r\n"
                                               "[Bakery]\r\nCallerID=555-010-2030\r\n"));

        // Another key: the record moves, the count stays.
        db.UpdRecord(QStringLiteral("Garage"), caller(QStringLiteral("Auto Shop"), QStringLiteral("1")));
        QCOMPARE(db.GetRecordList(), (QStringList{QStringLiteral("Auto Shop"), QStringLiteral("Bakery")}));
        QCOMPARE(db.GetNumRecs(), 2);
        QVERIFY(!readBytes(m_path).contains("Garage"));
    }

    void recordListIsSortedWithoutRegardToCase()
    {
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        for (const char *name : {"cherry", "Banana", "apple", "Apricot"})
            db.AddRecord(caller(QString::fromLatin1(name), QString()));
        QCOMPARE(db.GetRecordList(), (QStringList{QStringLiteral("apple"), QStringLiteral("Apricot"),
                                                  QStringLiteral("Banana"), QStringLiteral("cherry")}));
        // A record without values has its index line and no section.
        QCOMPARE(readBytes(m_path).count("[cherry]"), 0);
        QCOMPARE(db.GetRecord(QStringLiteral("cherry")).text(QStringLiteral("CallerID")), QString());
    }

    void hashMarkAndDefaults()
    {
        writeBytes(m_path, "[Index]\r\nBakery=#\r\nGarage=#\r\n"
                           "[Defaults]\r\n_Entries=2\r\nPicture=/data/Default.bmp\r\nCallerID=000\r\n"
                           "[Bakery]\r\nCallerID=#\r\nPicture=#\r\n"
                           "[Garage]\r\nCallerID=555\r\n");
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);

        const DbRecord bakery = db.GetRecord(QStringLiteral("Bakery"));
        QCOMPARE(bakery.text(QStringLiteral("CallerID")), QString());
        QCOMPARE(bakery.text(QStringLiteral("Picture")), QString());
        const DbRecord garage = db.GetRecord(QStringLiteral("Garage"));
        QCOMPARE(garage.text(QStringLiteral("CallerID")), QStringLiteral("555"));
        QCOMPARE(garage.text(QStringLiteral("Picture")), QStringLiteral("/data/Default.bmp"));

        // Saving an empty number over "#" leaves the line; a real value replaces it.
        db.UpdRecord(QStringLiteral("Bakery"), caller(QStringLiteral("Bakery"), QString(), QStringLiteral("p.bmp")));
        QVERIFY(readBytes(m_path).contains("[Bakery]\r\nCallerID=#\r\nPicture=p.bmp\r\n[Garage]"));
        // Defaults are read at opening only, so a changed default shows after re-opening.
        db.SetOpen(false);
        writeBytes(m_path, readBytes(m_path).replace("/data/Default.bmp", "/other/Default.bmp"));
        QCOMPARE(db.GetRecord(QStringLiteral("Garage")).text(QStringLiteral("Picture")),
                 QStringLiteral("/other/Default.bmp"));
    }

    void callLogRecordWithoutName()
    {
        const QString logPath = path(QStringLiteral("CallLog.DB"));
        TApdIniDBase db(CallLogFields());
        db.SetFileName(logPath);
        DbRecord call = db.NewRecord();
        call.setKey(QStringLiteral("2024/05/06 07:08:09"));
        call.setText(QStringLiteral("CallerName"), QString());
        call.setText(QStringLiteral("CallerID"), QStringLiteral("555-010-2030"));
        db.AddRecord(call);
        QCOMPARE(readBytes(logPath), QByteArray("[Index]\r\n2024/05/06 07:08:09=#\r\n[Defaults]\r\n_Entries=1\r\n"
                                                "[2024/05/06 07:08:09]\r\nCallerID=555-010-2030\r\n"));
        QCOMPARE(db.GetRecord(call.key()), call);
        // Two calls in one second share the key.
        QCOMPARE(errorOf([&] { db.AddRecord(call); }), exists);
    }

    void directoryIntegers()
    {
        const QString dirPath = path(QStringLiteral("Directories.DB"));
        writeBytes(dirPath, "[Index]\nWeb=#\n[Defaults]\n_Entries=1\nOffsetThird=7\n"
                            "[Web]\nURL=http://x/?n=@CID\nOffsetFirst=3\nOffsetSecond=abc\n");
        TApdIniDBase db(DirectoryFields());
        db.SetFileName(dirPath);
        DbRecord web = db.GetRecord(QStringLiteral("Web"));
        QCOMPARE(web.text(QStringLiteral("URL")), QStringLiteral("http://x/?n=@CID"));
        QCOMPARE(web.integer(QStringLiteral("OffsetFirst")), 3);
        QCOMPARE(web.integer(QStringLiteral("OffsetSecond")), 0);
        QCOMPARE(web.integer(QStringLiteral("OffsetThird")), 7);

        web.setInteger(QStringLiteral("OffsetSecond"), -12);
        db.UpdRecord(QStringLiteral("web"), web);
        QVERIFY(readBytes(dirPath).endsWith("OffsetFirst=3\nOffsetSecond=-12\nOffsetThird=7\n"));
        QCOMPARE(db.GetRecord(QStringLiteral("Web")), web);
    }

    void keys_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("stored"); // empty: refused as invalid

        const QString longName = QStringLiteral("A caller name that is far too long to keep");
        QTest::newRow("cut to 31") << longName << longName.left(31);
        QTest::newRow("surrounding blanks dropped") << QStringLiteral("  Ann  ") << QStringLiteral("Ann");
        QTest::newRow("inner blanks kept") << QStringLiteral("Ann Lee") << QStringLiteral("Ann Lee");
        QTest::newRow("blank exposed by the cut") << QStringLiteral("%1 tail").arg(QString(30, u'x'))
                                                  << QString(30, u'x');
        QTest::newRow("brackets inside") << QStringLiteral("Ann [home]") << QString();
        QTest::newRow("equals sign") << QStringLiteral("A=B") << QString();
        QTest::newRow("line break") << QStringLiteral("A\nB") << QString();
        QTest::newRow("comment mark first") << QStringLiteral(";Ann") << QString();
        QTest::newRow("section mark first") << QStringLiteral("[Ann") << QString();
        QTest::newRow("index section") << QStringLiteral("index") << QString();
        QTest::newRow("defaults section") << QStringLiteral("DEFAULTS") << QString();
        QTest::newRow("blank only") << QStringLiteral("   ") << QString();
    }

    void keys()
    {
        QFETCH(QString, given);
        QFETCH(QString, stored);
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        db.SetOpen(true);
        const QByteArray before = readBytes(m_path);

        if (stored.isEmpty()) {
            QCOMPARE(errorOf([&] { db.AddRecord(caller(given, QStringLiteral("1"))); }), invalidKey);
            QCOMPARE(readBytes(m_path), before);
            QCOMPARE(db.GetNumRecs(), 0);
            return;
        }
        db.AddRecord(caller(given, QStringLiteral("1")));
        QCOMPARE(db.GetRecordList(), QStringList{stored});
        QVERIFY(readBytes(m_path).contains(QByteArray("[" + stored.toUtf8() + "]\r\n")));
        QVERIFY(db.KeyExists(given));
        QVERIFY(db.KeyExists(stored));
        QCOMPARE(db.GetRecord(given).text(QStringLiteral("CallerID")), QStringLiteral("1"));
        db.DelRecord(given);
        QCOMPARE(db.GetNumRecs(), 0);
    }

    void refusedOperations()
    {
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        db.AddRecord(caller(QStringLiteral("Bakery"), QStringLiteral("1")));
        db.AddRecord(caller(QStringLiteral("Garage"), QStringLiteral("2")));
        const QByteArray before = readBytes(m_path);

        QCOMPARE(errorOf([&] { db.AddRecord(caller(QStringLiteral("BAKERY"), QStringLiteral("3"))); }), exists);
        QCOMPARE(errorOf([&] { db.GetRecord(QStringLiteral("Nobody")); }), notFound);
        QCOMPARE(errorOf([&] { db.DelRecord(QStringLiteral("Nobody")); }), notFound);
        QCOMPARE(errorOf([&] { db.UpdRecord(QStringLiteral("Nobody"), caller(QStringLiteral("Nobody"), {})); }),
                 notFound);
        // Moving onto another record is refused before anything is removed.
        QCOMPARE(errorOf([&] { db.UpdRecord(QStringLiteral("Bakery"), caller(QStringLiteral("garage"), {})); }),
                 exists);
        QCOMPARE(readBytes(m_path), before);
        QCOMPARE(db.GetNumRecs(), 2);
    }

    void limitOf999Records()
    {
        // The count comes from "_Entries"; the limit needs no 999 real sections.
        writeBytes(m_path, "[Index]\r\nBakery=#\r\n[Defaults]\r\n_Entries=998\r\n");
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        db.AddRecord(caller(QStringLiteral("Garage"), QStringLiteral("1")));
        QCOMPARE(db.GetNumRecs(), 999);
        const QByteArray full = readBytes(m_path);
        QVERIFY(full.contains("_Entries=999\r\n"));

        QCOMPARE(errorOf([&] { db.AddRecord(caller(QStringLiteral("Florist"), QStringLiteral("2"))); }),
                 QStringLiteral("Maximum database records (999) reached"));
        QCOMPARE(readBytes(m_path), full);
        db.DelRecord(QStringLiteral("Bakery"));
        db.AddRecord(caller(QStringLiteral("Florist"), QStringLiteral("2")));
        QCOMPARE(db.GetNumRecs(), 999);
    }

    void emptyIndexWithCountIsReadError()
    {
        writeBytes(m_path, "[Index]\r\n[Defaults]\r\n_Entries=2\r\n");
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        QCOMPARE(errorOf([&] { db.GetRecordList(); }), QStringLiteral("Generic INI file read error"));
    }

    void foreignLinesAndLineEndsSurvive_data()
    {
        QTest::addColumn<QByteArray>("eol");
        QTest::newRow("LF") << QByteArray("\n");
        QTest::newRow("CRLF") << QByteArray("\r\n");
    }

    void foreignLinesAndLineEndsSurvive()
    {
        QFETCH(QByteArray, eol);
        auto lines = [&eol](std::initializer_list<const char *> list) {
            QByteArray bytes;
            for (const char *line : list)
                bytes += QByteArray(line) + eol;
            return bytes;
        };
        writeBytes(m_path, lines({"; callers of the front desk", "[index]", "Bakery = #", "", "[DEFAULTS]",
                                  "_entries=1", "", "[BAKERY]", "callerid = 555", "Note=kept as is", "",
                                  "; trailing comment"}));
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        QCOMPARE(db.GetRecord(QStringLiteral("Bakery")).text(QStringLiteral("CallerID")), QStringLiteral("555"));

        db.UpdRecord(QStringLiteral("Bakery"), caller(QStringLiteral("Bakery"), QStringLiteral("777"),
                                                      QStringLiteral("b.bmp")));
        db.AddRecord(caller(QStringLiteral("Garage"), QStringLiteral("888")));
        QCOMPARE(readBytes(m_path),
                 lines({"; callers of the front desk", "[index]", "Bakery = #", "Garage=#", "", "[DEFAULTS]",
                        "_entries=2", "", "[BAKERY]", "callerid=777", "Note=kept as is", "Picture=b.bmp", "",
                        "; trailing comment", "[Garage]", "CallerID=888"}));
    }

    void windows1252File()
    {
        writeBytes(m_path, "[Index]\r\nM\xFCller=#\r\n[Defaults]\r\n_Entries=1\r\n"
                           "[M\xFCller]\r\nCallerID=555\r\nPicture=C:\\Bilder\\M\xFCller \x80.bmp\r\n");
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        const QString name = QStringLiteral("M\u00FCller");
        QCOMPARE(db.GetRecordList(), QStringList{name});
        DbRecord record = db.GetRecord(name);
        QCOMPARE(record.text(QStringLiteral("Picture")), QStringLiteral("C:\\Bilder\\M\u00FCller \u20AC.bmp"));

        // Written back as UTF-8, and read the same afterwards.
        record.setText(QStringLiteral("CallerID"), QStringLiteral("556"));
        db.UpdRecord(name, record);
        QVERIFY(readBytes(m_path).contains("[M\xC3\xBCller]\r\nCallerID=556\r\nPicture=C:\\Bilder\\M\xC3\xBCller \xE2\x82\xAC.bmp"));
        db.SetOpen(false);
        QCOMPARE(db.GetRecord(name), record);
    }

    void firstOfTwiceWrittenNamesCounts()
    {
        writeBytes(m_path, "[Index]\r\nBakery=#\r\n[Defaults]\r\n_Entries=1\r\n"
                           "[Bakery]\r\nCallerID=555-1\r\ncallerid=555-2\r\n[BAKERY]\r\nCallerID=555-3\r\n");
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        QCOMPARE(db.GetRecord(QStringLiteral("Bakery")).text(QStringLiteral("CallerID")), QStringLiteral("555-1"));
        db.UpdRecord(QStringLiteral("Bakery"), caller(QStringLiteral("Bakery"), QStringLiteral("555-9")));
        db.AddRecord(caller(QStringLiteral("Zed"), QStringLiteral("555-7"), QStringLiteral("z.bmp")));
        QCOMPARE(db.GetRecord(QStringLiteral("bakery")).text(QStringLiteral("CallerID")), QStringLiteral("555-9"));
        QCOMPARE(db.GetRecord(QStringLiteral("ZED")).text(QStringLiteral("Picture")), QStringLiteral("z.bmp"));
        QCOMPARE(readBytes(m_path),
                 QByteArray("[Index]\r\nBakery=#\r\nZed=#\r\n[Defaults]\r\n_Entries=2\r\n"
                            "[Bakery]\r\nCallerID=555-9\r\ncallerid=555-2\r\n[BAKERY]\r\nCallerID=555-3\r\n"
                            "[Zed]\r\nCallerID=555-7\r\nPicture=z.bmp\r\n"));
    }

    void otherWriterSeenAfterReopening()
    {
        TApdIniDBase reader(CallerFields());
        reader.SetFileName(m_path);
        QCOMPARE(reader.GetNumRecs(), 0);
        QCOMPARE(reader.GetRecordList(), QStringList());

        TApdIniDBase writer(CallerFields());
        writer.SetFileName(m_path);
        writer.AddRecord(caller(QStringLiteral("Bakery"), QStringLiteral("555-010-2030")));

        // Records are read from the file each time; count and list wait for re-opening.
        QVERIFY(reader.KeyExists(QStringLiteral("Bakery")));
        QCOMPARE(reader.GetNumRecs(), 0);
        reader.SetOpen(false);
        QCOMPARE(reader.GetNumRecs(), 1);
        QCOMPARE(reader.GetRecordList(), QStringList{QStringLiteral("Bakery")});

        // An in-place rewrite of the same size with the old time stamp looks unchanged by
        // size, time and inode; re-opening must still read it.
        const QByteArray name = QFile::encodeName(m_path);
        struct stat before {};
        QCOMPARE(::stat(name.constData(), &before), 0);
        writeBytes(m_path, readBytes(m_path).replace("555-010-2030", "555-010-9999"));
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
        reader.SetOpen(false);
        QCOMPARE(reader.GetRecord(QStringLiteral("Bakery")).text(QStringLiteral("CallerID")),
                 QStringLiteral("555-010-9999"));

        // Our own writes leave the parsed copy current without another read.
        reader.UpdRecord(QStringLiteral("Bakery"), caller(QStringLiteral("Bakery"), QStringLiteral("1")));
        reader.UpdRecord(QStringLiteral("Bakery"), caller(QStringLiteral("Bakery"), QStringLiteral("2")));
        QCOMPARE(reader.GetRecord(QStringLiteral("Bakery")).text(QStringLiteral("CallerID")), QStringLiteral("2"));
        QCOMPARE(writer.GetRecord(QStringLiteral("Bakery")).text(QStringLiteral("CallerID")), QStringLiteral("2"));

        // A batch reads the file as it is now: records read before another program's
        // change come back changed, and a record it deleted is left out.
        writer.AddRecord(caller(QStringLiteral("Corner Shop"), QStringLiteral("555-020-3040")));
        const QStringList both = {QStringLiteral("bakery"), QStringLiteral("Corner Shop")};
        QCOMPARE(reader.GetRecords(both).size(), 2);
        writer.UpdRecord(QStringLiteral("Bakery"), caller(QStringLiteral("Bakery"), QStringLiteral("3")));
        writer.DelRecord(QStringLiteral("Corner Shop"));
        const QList<DbRecord> left = reader.GetRecords(both);
        QCOMPARE(left.size(), 1);
        QCOMPARE(left[0].key(), QStringLiteral("bakery"));
        QCOMPARE(left[0].text(QStringLiteral("CallerID")), QStringLiteral("3"));
    }

    void failedWriteKeepsTheFile()
    {
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        db.AddRecord(caller(QStringLiteral("Bakery"), QStringLiteral("555-010-2030")));
        const QByteArray before = readBytes(m_path);

        // A file size limit stands in for a full disk, and stops root as well.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit tight = saved;
        tight.rlim_cur = before.size() + 8;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const QString error = errorOf([&] {
            db.AddRecord(caller(QStringLiteral("Garage"), QStringLiteral("555-010-4050"),
                                QStringLiteral("/a/long/enough/path/to/pass/the/limit.bmp")));
        });
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);

        QCOMPARE(error, writeError);
        QCOMPARE(readBytes(m_path), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), (QStringList{QStringLiteral("Callers.DB")}));
        QCOMPARE(db.GetNumRecs(), 1);
        QVERIFY(!db.KeyExists(QStringLiteral("Garage")));
        db.AddRecord(caller(QStringLiteral("Garage"), QStringLiteral("555-010-4050")));
        QCOMPARE(db.GetNumRecs(), 2);
    }

    void shippedDatabases()
    {
        // Copies: opening a missing file would create it in the source tree.
        const QString data = QStringLiteral(RINGSEER_SOURCE_DIR "/data/");
        for (const char *file : {"Callers.DB", "Directories.DB"})
            QVERIFY(QFile::copy(data + QLatin1String(file), path(QLatin1String(file))));
        TApdIniDBase callers(CallerFields());
        callers.SetFileName(path(QStringLiteral("Callers.DB")));
        const QStringList names = callers.GetRecordList();
        QCOMPARE(names.size(), 2);
        QCOMPARE(callers.GetNumRecs(), 2);
        for (const QString &name : names) {
            const DbRecord record = callers.GetRecord(name);
            QCOMPARE(record.text(QStringLiteral("Picture")), name + QStringLiteral(".bmp"));
            QVERIFY2(QFile::exists(data + name + QStringLiteral(".bmp")), qPrintable(name));
            QVERIFY(!record.text(QStringLiteral("CallerID")).isEmpty());
        }
        QVERIFY(QFile::exists(data + QStringLiteral("Default.bmp")));

        TApdIniDBase directories(DirectoryFields());
        directories.SetFileName(path(QStringLiteral("Directories.DB")));
        QVERIFY(directories.GetNumRecs() >= 2);
        QCOMPARE(directories.GetRecordList().size(), directories.GetNumRecs());
        for (const QString &name : directories.GetRecordList()) {
            const DbRecord record = directories.GetRecord(name);
            QVERIFY2(record.text(QStringLiteral("URL")).contains(QStringLiteral("@CID")), qPrintable(name));
            QVERIFY(!record.text(QStringLiteral("UntilStringFirst")).isEmpty());
        }
    }

    void recordAccessors()
    {
        DbRecord record(DirectoryFields());
        record.setText(QStringLiteral("directory"), QString(40, u'd'));
        QCOMPARE(record.key().size(), 30);
        QCOMPARE(errorOf([&] { record.text(QStringLiteral("Nope")); }), QStringLiteral("Unknown record field \"Nope\""));
        QVERIFY(!errorOf([&] { record.text(QStringLiteral("OffsetFirst")); }).isEmpty());
        TApdIniDBase db(CallerFields());
        db.SetFileName(m_path);
        QCOMPARE(errorOf([&] { db.AddRecord(record); }), QStringLiteral("Record fields do not match the database"));
        QCOMPARE(db.GetNumRecs(), 0);
    }
};

QTEST_GUILESS_MAIN(TestApdIniDBase)
#include "tst_apdinidbase.moc"
