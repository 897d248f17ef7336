#include "fakemodemprocess.h"
#include "testenvironment.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <csignal>

// Runs the desktop program as users do: a separate process with its data next to it.
class TestProgram : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    QString m_program;
    std::unique_ptr<FakeModemProcess> m_modem;

    std::unique_ptr<QProcess> start(const QStringList &arguments = {})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = m_env->processEnvironment();
        environment.insert(QStringLiteral("RINGSEER_LINES"), m_modem->path());
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(m_program, arguments);
        return process;
    }

    QString lockFile() const { return m_env->root() + QStringLiteral("/runtime/Ringseer.lock"); }
    QString boxes() const { return readTextFile(m_env->root() + QStringLiteral("/boxes.txt")); }

    std::unique_ptr<QProcess> startAndWaitForLock(const QStringList &arguments = {})
    {
        auto process = start(arguments);
        if (!QTest::qWaitFor([&] { return QFile::exists(lockFile()); }, 15000))
            qWarning("the program did not take its lock");
        // The lock comes before the start-up sequence; give it time to finish.
        QTest::qWait(500);
        return process;
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_program = m_env->installProgram(QStringLiteral("Ringseer"));
        m_modem = std::make_unique<FakeModemProcess>();
        QVERIFY(m_modem->start(m_env->root() + QStringLiteral("/modem"),
                               {QStringLiteral("--ring-ms"), QStringLiteral("300"), QStringLiteral("--rings"),
                                QStringLiteral("2")}));
    }

    void cleanup()
    {
        m_modem.reset();
        m_env.reset();
    }

    void secondStartShowsTheBoxAndLeavesTheFirstRunning()
    {
        auto first = startAndWaitForLock();
        QVERIFY(QFile::exists(lockFile()));

        auto second = start();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(boxes(), QStringLiteral("Ringseer\tRingseer is already running as icon in taskbar\n"));
        QCOMPARE(first->state(), QProcess::Running);

        first->terminate();
        QVERIFY(first->waitForFinished(15000));
    }

    void endOfSessionSignalsSaveTheSettings_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void endOfSessionSignalsSaveTheSettings()
    {
        QFETCH(int, signalNumber);
        {
            QSettings stored(m_env->configFile(), QSettings::IniFormat);
            stored.setValue(QStringLiteral("Settings/Directory"), QString());
            stored.setValue(QStringLiteral("Settings/ServerPort"), QStringLiteral("123456789012"));
        }
        // The stored port is no port number, so the client gives up at once instead of waiting.
        auto program = startAndWaitForLock({QStringLiteral("/CLIENT"), QStringLiteral("/IP=127.0.0.1")});
        QCOMPARE(::kill(pid_t(program->processId()), signalNumber), 0);
        QVERIFY(program->waitForFinished(15000));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);

        QSettings stored(m_env->configFile(), QSettings::IniFormat);
        stored.beginGroup(QStringLiteral("Settings"));
        const QStringList saved = {"Mode", "CallLogOnTop", "Modem", "ServerPort", "Directory", "VFCallerName",
                                   "VFCallerNumber", "SpeakCallerInfo", "Language"};
        for (const QString &name : saved)
            QVERIFY2(stored.contains(name), qPrintable(name));
        QCOMPARE(stored.value(QStringLiteral("Mode")).toString(), QStringLiteral("0"));
        QCOMPARE(stored.value(QStringLiteral("Language")).toString(), QStringLiteral("1"));
        QCOMPARE(stored.value(QStringLiteral("Directory")).toString(), QStringLiteral("(NONE)"));
        QCOMPARE(stored.value(QStringLiteral("ServerPort")).toString(), QStringLiteral("1234567890"));
        QVERIFY(!stored.contains(QStringLiteral("ServerAddress")));
    }

    void callFromTheModemIsLoggedAndEntered()
    {
        QFile callers(m_env->dataDir() + QStringLiteral("Callers.DB"));
        QVERIFY(callers.open(QIODevice::WriteOnly | QIODevice::Truncate));
        callers.write("[Index]\r\nBakery=#\r\n[Defaults]\r\n_Entries=1\r\n[Bakery]\r\nCallerID=555-123-4567\r\n");
        callers.close();
        QSettings(m_env->configFile(), QSettings::IniFormat).setValue(QStringLiteral("Settings/Mode"), QStringLiteral("2"));
        auto program = startAndWaitForLock();
        QTRY_VERIFY_WITH_TIMEOUT(m_env->readLog().contains(m_modem->path() + QStringLiteral(":DevCaps: AUTOMATEDVOICE")),
                                 10000);

        m_modem->command(QStringLiteral("call 5551234567 JOHN DOE"));
        QTRY_VERIFY_WITH_TIMEOUT(m_env->readLog().contains(QStringLiteral("]  CALLERID:555-123-4567;JOHN DOE\n")), 10000);
        const QString callLog = m_env->dataDir() + QStringLiteral("CallLog.DB");
        QTRY_VERIFY_WITH_TIMEOUT(readTextFile(callLog).contains(QStringLiteral("\r\nCallerName=Bakery\r\nCallerID=555-123-4567\r\n")),
                                 5000);
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  RINGING: 1\n")));
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  CALL STATE:OFFERING\n")));

        // The modem is unplugged and comes back: the program keeps watching it.
        m_modem->command(QStringLiteral("unplug"));
        QTRY_VERIFY_WITH_TIMEOUT(m_env->readLog().contains(QStringLiteral(": line device vanished")), 10000);
        m_modem->command(QStringLiteral("plug"));
        QTRY_VERIFY_WITH_TIMEOUT(m_env->readLog().contains(QStringLiteral(": line device is back")), 10000);
        m_modem->command(QStringLiteral("call 5559876543 ANN LEE"));
        QTRY_VERIFY_WITH_TIMEOUT(m_env->readLog().contains(QStringLiteral("]  CALLERID:555-987-6543;ANN LEE\n")), 15000);
        QCOMPARE(program->state(), QProcess::Running);

        program->terminate();
        QVERIFY(program->waitForFinished(15000));
        QCOMPARE(QSettings(m_env->configFile(), QSettings::IniFormat).value(QStringLiteral("Settings/Modem")).toString(),
                 m_modem->path());
        QCOMPARE(boxes(), QString());
    }

    void installAndUninstallEndAtOnce_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::newRow("install") << "/INSTALL";
        QTest::newRow("uninstall, lower case") << "/uninstall";
    }

    void installAndUninstallEndAtOnce()
    {
        QFETCH(QString, argument);
        auto program = start({argument});
        QVERIFY(program->waitForFinished(15000));
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(!QFile::exists(m_env->configFile()));
        QCOMPARE(boxes(), QString());
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
