#include "app/error.h"
#include "testenvironment.h"
#include "ui/language.h"

#include <QFile>
#include <QTest>

class TestLanguage : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    TLanguage m_language;

    QString tablePath() const { return m_env->dataDir() + QStringLiteral("language.csv"); }

    void writeTable(const QByteArray &content)
    {
        QFile file(tablePath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        m_language.LoadFile(tablePath());
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_language = TLanguage();
        SetTheLanguage(&m_language);
    }

    void cleanup()
    {
        SetTheLanguage(nullptr);
        m_env.reset();
    }

    void messageByLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("language 1") << 1 << "msgError" << "Error";
        QTest::newRow("language 2") << 2 << "msgError" << "Fehler";
        QTest::newRow("beyond the row gives its last column") << 3 << "msgError" << "Fehler";
        QTest::newRow("language 0 acts as 1") << 0 << "msgError" << "Error";
        QTest::newRow("empty column is empty, no fall-back") << 1 << "msgX" << "";
        QTest::newRow("key matched without regard to case") << 2 << "msgUpper" << "Gross";
        QTest::newRow("backslash-n becomes a line break") << 1 << "msgTwoLines" << "one\r\ntwo";
        QTest::newRow("row without any ';' gives the whole row") << 1 << "msgBare" << "msg->msgBare";
    }

    void messageByLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeTable("Key;English;Deutsch\r\n"
                   "msg->msgError;Error;Fehler\r\n"
                   "msg->msgX;;Zwei\n"
                   "MSG->MSGUPPER;Big;Gross\r\n"
                   "msg->msgTwoLines;one\\ntwo;eins\\Nzwei\r\n"
                   "msg->msgBare\r\n");
        m_language.SetCurrentLanguage(language);
        QCOMPARE(MessageText(key), expected);
    }

    void missingKeyIsAppendedAndSaved()
    {
        writeTable("Key;English;Deutsch\r\nmsg->msgError;Error;Fehler\r\n");
        m_language.SetCurrentLanguage(2);
        QCOMPARE(m_language.Lookup(QStringLiteral("fSettings"), QStringLiteral("Caption"), QStringLiteral("Settings")),
                 QStringLiteral("Settings"));
        QCOMPARE(MessageText(QStringLiteral("msgNew")), QString());
        QCOMPARE(readTextFile(tablePath()), QStringLiteral("Key;English;Deutsch\r\nmsg->msgError;Error;Fehler\r\n"
                                                           "fSettings->Caption;Settings\r\nmsg->msgNew;\r\n"));
        // Found from now on, in whatever case.
        QCOMPARE(m_language.Lookup(QStringLiteral("FSETTINGS"), QStringLiteral("caption"), QStringLiteral("x")),
                 QStringLiteral("Settings"));
    }

    void missingFileIsCreatedByLookups()
    {
        m_language.LoadFile(tablePath());
        QCOMPARE(m_language.Lookup(QStringLiteral("RingseerForm"), QStringLiteral("Caption"), QStringLiteral("Calling...")),
                 QStringLiteral("Calling..."));
        QVERIFY(QFile::exists(tablePath()));
        // Until a real header exists, the first row serves as one.
        bool more = true;
        QCOMPARE(m_language.LanguageName(0, &more), QStringLiteral("Calling..."));
        QVERIFY(!more);
    }

    void languageNamesFromTheHeader()
    {
        writeTable("Key;English;Deutsch;Nederlands\r\n");
        QStringList names;
        bool more = true;
        for (int index = 0; more; ++index)
            names << m_language.LanguageName(index, &more);
        QCOMPARE(names, (QStringList{"English", "Deutsch", "Nederlands"}));
    }

    void carriedOverWindowsTableIsReadAsWesternCodePage()
    {
        writeTable("Key;English;Deutsch\r\nmsg->msgDelete;Delete;L\xF6schen\r\n");
        m_language.SetCurrentLanguage(2);
        QCOMPARE(MessageText(QStringLiteral("msgDelete")), QStringLiteral("L\u00f6schen"));
    }

    void unwritableTableFailsLookupButNotMessages()
    {
        m_language.LoadFile(m_env->root() + QStringLiteral("/no/such/folder/language.csv"));
        QVERIFY_THROWS_EXCEPTION(RingseerError, m_language.Lookup(QStringLiteral("a"), QStringLiteral("b"), QString()));
        QCOMPARE(MessageText(QStringLiteral("msgError")), QString());
    }

    void noTableNoText()
    {
        SetTheLanguage(nullptr);
        QCOMPARE(MessageText(QStringLiteral("msgError")), QString());
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
