#include "app/settings.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

class TestSettings : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;

    void writeConfig(const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(m_env->configFile()).path());
        QFile file(m_env->configFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void freshUserGetsDefaults()
    {
        QCOMPARE(ReadIntegerSetting(QStringLiteral("Mode"), 0), 0);
        QCOMPARE(ReadSetting(QStringLiteral("ServerPort"), QStringLiteral("50134")), QStringLiteral("50134"));
        QCOMPARE(ReadSetting(QStringLiteral("Directory"), QStringLiteral("(NONE)")), QStringLiteral("(NONE)"));
        QCOMPARE(ReadIntegerSetting(QStringLiteral("Language"), 1), 1);
        QCOMPARE(ReadSetting(QStringLiteral("FirstRun"), QString()), QString());
        // Reading alone leaves a fresh user's configuration as it was.
        QVERIFY(m_env->readLog().isEmpty());
    }

    void storedValuesAndTheirDefaults_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty text reads as the default") << QByteArray("Directory=") << "Directory" << "(NONE)" << "(NONE)";
        QTest::newRow("stored text wins") << QByteArray("Directory=Yellow Pages") << "Directory" << "(NONE)"
                                          << "Yellow Pages";
        QTest::newRow("a list is another type: empty, no default") << QByteArray("Directory=a, b") << "Directory"
                                                                   << "(NONE)" << "";
        QTest::newRow("a byte array is another type") << QByteArray("Modem=@ByteArray(x)") << "Modem" << "d" << "";
        QTest::newRow("a typed variant is another type") << QByteArray("Mode=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x1)")
                                                         << "Mode" << "0" << "";
    }

    void storedValuesAndTheirDefaults()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QString, name);
        QFETCH(QString, defaultText);
        QFETCH(QString, expected);
        writeConfig("[Settings]\n" + stored + "\n");
        QCOMPARE(ReadSetting(name, defaultText), expected);
    }

    void textIsCutToItsCapacity()
    {
        WriteSetting(QStringLiteral("ServerPort"), QStringLiteral("123456789012"));
        QCOMPARE(ReadTextSetting(QStringLiteral("ServerPort"), QStringLiteral("50134"),
                                 AppSettingsRecord::ServerPortCapacity),
                 QStringLiteral("1234567890"));
    }

    void writtenValueIsReadBackInANewAccess()
    {
        WriteSetting(QStringLiteral("Modem"), QStringLiteral("usb-Modem_1"));
        QCOMPARE(ReadSetting(QStringLiteral("Modem"), QString()), QStringLiteral("usb-Modem_1"));
        QSettings raw(m_env->configFile(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("Settings/Modem")).toString(), QStringLiteral("usb-Modem_1"));
    }

    void numberThatIsNotWholeFallsBackWithALogLine_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("logged");
        QTest::newRow("decimal text") << QByteArray("Mode=2") << 2 << false;
        QTest::newRow("negative") << QByteArray("Mode=-1") << -1 << false;
        QTest::newRow("letters") << QByteArray("Mode=abc") << 0 << true;
        QTest::newRow("fraction") << QByteArray("Mode=1.5") << 0 << true;
        QTest::newRow("blanks around") << QByteArray("Mode=\" 1\"") << 0 << true;
        QTest::newRow("unreadable type") << QByteArray("Mode=@ByteArray(1)") << 0 << true;
    }

    void numberThatIsNotWholeFallsBackWithALogLine()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, expected);
        QFETCH(bool, logged);
        writeConfig("[Settings]\n" + stored + "\n");
        QCOMPARE(ReadIntegerSetting(QStringLiteral("Mode"), 0), expected);
        QCOMPARE(m_env->readLog().contains(QStringLiteral("Mode")), logged);
    }

    void exitWritesNumbersAsDecimalText()
    {
        AppSettingsRecord settings;
        settings.Mode = 1;
        settings.CallLogOnTop = 1;
        settings.ServerPort = QStringLiteral("50134");
        settings.Directory = QStringLiteral("(NONE)");
        settings.ServerAddress = QStringLiteral("10.0.0.5");
        SaveSettingsAtExit(settings);

        QSettings raw(m_env->configFile(), QSettings::IniFormat);
        raw.beginGroup(QStringLiteral("Settings"));
        for (const char *name : {"Mode", "CallLogOnTop", "Modem", "ServerPort", "Directory", "VFCallerName",
                                 "VFCallerNumber", "SpeakCallerInfo"})
            QVERIFY2(raw.contains(QString::fromLatin1(name)), name);
        QCOMPARE(raw.value(QStringLiteral("Mode")).toString(), QStringLiteral("1"));
        QCOMPARE(raw.value(QStringLiteral("SpeakCallerInfo")).toString(), QStringLiteral("0"));
        QVERIFY(!raw.contains(QStringLiteral("ServerAddress")));
    }

    void unreadableStoreGivesDefaults()
    {
        writeConfig("[Settings]\nDirectory=Mine\n");
        QFile::setPermissions(m_env->configFile(), {});
        if (QFile(m_env->configFile()).open(QIODevice::ReadOnly))
            QSKIP("root reads files without permission");
        QCOMPARE(ReadSetting(QStringLiteral("Directory"), QStringLiteral("(NONE)")), QStringLiteral("(NONE)"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
