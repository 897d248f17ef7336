#include "app/datadir.h"
#include "app/diaglog.h"
#include "testenvironment.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <unistd.h>

class TestDiagLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timestampFollowsTheLocaleSeparators_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German dots between the date parts")
            << QLocale(QLocale::German, QLocale::Germany) << "2024.03.01 08:05:09.007";
        QTest::newRow("US slashes and colons") << QLocale(QLocale::English, QLocale::UnitedStates)
                                               << "2024/03/01 08:05:09.007";
        QTest::newRow("Finnish dots in the time as well") << QLocale(QLocale::Finnish, QLocale::Finland)
                                                          << "2024.03.01 08.05.09.007";
        QTest::newRow("Dutch dashes") << QLocale(QLocale::Dutch, QLocale::Netherlands) << "2024-03-01 08:05:09.007";
        // Its short date names the month in words: no separator of its own.
        QTest::newRow("C locale: the usual slashes") << QLocale::c() << "2024/03/01 08:05:09.007";
    }

    void timestampFollowsTheLocaleSeparators()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        const QDateTime when(QDate(2024, 3, 1), QTime(8, 5, 9, 7));
        QCOMPARE(FormatLogTimestamp(when, locale), expected);
        QCOMPARE(FormatLogLine(when, locale, QStringLiteral("RINGING: 1")),
                 QLatin1Char('[') + expected + QStringLiteral("]  RINGING: 1"));
    }

    void linesAreAppendedToAFileCreatedByTheFirst()
    {
        TestEnvironment env;
        QVERIFY(!QFile::exists(env.logPath()));
        WriteLog(QStringLiteral("CALLERID:555-123-4567;JOHN DOE"));
        WriteDebugLog(QStringLiteral("first\nsecond"));

        const QStringList lines = env.readLog().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4); // three lines and the final line end
        static const QRegularExpression stamped(QStringLiteral(R"(^\[\d{4}\D\d\d\D\d\d \d\d\D\d\d\D\d\d\.\d{3}\]  )"));
        QVERIFY(stamped.match(lines[0]).hasMatch());
        QVERIFY(lines[0].endsWith(QStringLiteral("]  CALLERID:555-123-4567;JOHN DOE")));
        QVERIFY(lines[1].endsWith(QStringLiteral("]  first")));
        QCOMPARE(lines[2], QStringLiteral("second")); // a continuation line without a stamp
        QCOMPARE(lines[3], QString());
    }

    void anUnwritableFolderLosesTheLineSilently()
    {
        TestEnvironment env;
        SetDataDirForTesting(env.root() + QStringLiteral("/missing/folder"));
        WriteLog(QStringLiteral("lost"));
        QVERIFY(!QFile::exists(env.root() + QStringLiteral("/missing/folder/ringseer.log")));

        if (::geteuid() != 0) {
            SetDataDirForTesting(env.dataDir());
            QFile::setPermissions(env.dataDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            WriteLog(QStringLiteral("lost too"));
            QFile::setPermissions(env.dataDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QVERIFY(!QFile::exists(env.logPath()));
        }
    }
};

QTEST_GUILESS_MAIN(TestDiagLog)
#include "tst_diaglog.moc"
