#include "fakemodemprocess.h"
#include "ipc/ipcclient.h"
#include "ipctestsupport.h"
#include "testenvironment.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTcpSocket>
#include <QTest>

#include <csignal>

// Serving and client instances of the desktop program, each a process of its own with
// its own home, settings and data folder, talking over 127.0.0.1.
class TestIpcProgram : public QObject
{
    Q_OBJECT

private:
    struct Instance
    {
        std::unique_ptr<TestEnvironment> env;
        QString program;
        std::unique_ptr<QProcess> process;

        QString log() const { return env->readLog(); }
        QString boxes() const { return readTextFile(env->root() + QStringLiteral("/boxes.txt")); }
        QString callLog() const { return readTextFile(env->dataDir() + QStringLiteral("CallLog.DB")); }
        int count(const QString &text) const { return int(log().count(text)); }
    };

    quint16 m_port = 0;
    std::vector<std::unique_ptr<Instance>> m_instances;
    std::unique_ptr<FakeModemProcess> m_modem;

    // Every instance shows calls in the "Server" mode: logged and entered in the call log.
    Instance &makeInstance(const QByteArray &callers = {})
    {
        auto instance = std::make_unique<Instance>();
        instance->env = std::make_unique<TestEnvironment>();
        instance->program = instance->env->installProgram(QStringLiteral("Ringseer"));
        QSettings settings(instance->env->configFile(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Settings/ServerPort"), QString::number(m_port));
        settings.setValue(QStringLiteral("Settings/Mode"), QStringLiteral("2"));
        if (!callers.isEmpty()) {
            QFile file(instance->env->dataDir() + QStringLiteral("Callers.DB"));
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write(callers);
        }
        m_instances.push_back(std::move(instance));
        return *m_instances.back();
    }

    void start(Instance &instance, const QStringList &arguments, const QString &reconnectSeconds = {})
    {
        QProcessEnvironment environment = instance.env->processEnvironment();
        environment.insert(QStringLiteral("RINGSEER_LINES"),
                           m_modem ? m_modem->path() : instance.env->root() + QStringLiteral("/no-modem"));
        if (!reconnectSeconds.isEmpty())
            environment.insert(QStringLiteral("RINGSEER_RECONNECT_SECONDS"), reconnectSeconds);
        instance.process = std::make_unique<QProcess>();
        instance.process->setProcessEnvironment(environment);
        instance.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        instance.process->start(instance.program, arguments);
    }

    static void stop(Instance &instance)
    {
        instance.process->terminate();
        if (!instance.process->waitForFinished(15000))
            instance.process->kill();
    }

    // A serving instance watching the fake modem, once its line is open.
    Instance &startServer()
    {
        Instance &server = makeInstance();
        start(server, {QStringLiteral("/SERVER")});
        watchesTheLine(server, 1);
        return server;
    }

    void watchesTheLine(const Instance &server, int times)
    {
        QTRY_VERIFY_WITH_TIMEOUT(server.count(m_modem->path() + QStringLiteral(":DevCaps: AUTOMATEDVOICE")) == times,
                                 15000);
    }

    Instance &startClient(const QByteArray &callers = {}, const QString &reconnectSeconds = {})
    {
        Instance &client = makeInstance(callers);
        start(client, {QStringLiteral("/CLIENT"), QStringLiteral("/IP=127.0.0.1")}, reconnectSeconds);
        return client;
    }

    static QByteArray callerRecord(const QByteArray &name)
    {
        return "[Index]\r\n" + name + "=#\r\n[Defaults]\r\n_Entries=1\r\n[" + name + "]\r\nCallerID=555-123-4567\r\n";
    }

private Q_SLOTS:
    void init()
    {
        m_port = freeTcpPort();
        m_modem = std::make_unique<FakeModemProcess>();
        auto modemHome = std::make_unique<TestEnvironment>();
        QVERIFY(m_modem->start(modemHome->root() + QStringLiteral("/modem"),
                               {QStringLiteral("--ring-ms"), QStringLiteral("300"), QStringLiteral("--rings"),
                                QStringLiteral("2")}));
        m_instances.push_back(std::make_unique<Instance>());
        m_instances.back()->env = std::move(modemHome);
    }

    void cleanup()
    {
        for (auto &instance : m_instances) {
            if (instance->process && instance->process->state() != QProcess::NotRunning)
                stop(*instance);
        }
        m_modem.reset();
        m_instances.clear();
    }

    void eachClientGetsEachCallOnceAndShowsItByItsOwnRecords()
    {
        Instance &server = startServer();
        QList<Instance *> clients;
        for (const QByteArray &callers : {callerRecord("Bakery"), callerRecord("Corner Shop"), QByteArray()}) {
            clients << &startClient(callers);
            QTRY_COMPARE_WITH_TIMEOUT(establishedConnections(m_port), int(clients.size()), 30000);
        }

        m_modem->command(QStringLiteral("call 5551234567 JOHN DOE"));
        const QString first = QStringLiteral("]  CALLERID:555-123-4567;JOHN DOE\n");
        QTRY_COMPARE_WITH_TIMEOUT(server.count(first), 1, 15000);
        for (Instance *client : std::as_const(clients))
            QTRY_COMPARE_WITH_TIMEOUT(client->count(first), 1, 10000);
        const QStringList names = {"Bakery", "Corner Shop", "JOHN DOE"};
        for (qsizetype i = 0; i < clients.size(); ++i)
            QTRY_VERIFY(clients[i]->callLog().contains("\r\nCallerName=" + names[i] + "\r\nCallerID=555-123-4567\r\n"));

        // A client that comes after the call does not get it, only the next one.
        Instance &late = startClient();
        QTRY_COMPARE_WITH_TIMEOUT(establishedConnections(m_port), 4, 30000);
        m_modem->command(QStringLiteral("call 5559876543 ANN LEE"));
        const QString second = QStringLiteral("]  CALLERID:555-987-6543;ANN LEE\n");
        clients << &late;
        for (Instance *client : std::as_const(clients))
            QTRY_COMPARE_WITH_TIMEOUT(client->count(second), 1, 15000);

        QTest::qWait(1000);
        for (Instance *client : std::as_const(clients)) {
            QCOMPARE(client->count(first), client == &late ? 0 : 1);
            QCOMPARE(client->count(second), 1);
            QCOMPARE(client->boxes(), QString());
            QCOMPARE(client->process->state(), QProcess::Running);
        }
    }

    void aClientThatSendsTextGetsNoAnswerAndStaysServed()
    {
        startServer();
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(client.waitForConnected(5000));
        QTRY_VERIFY(client.bytesAvailable() >= 21);
        QCOMPARE(client.readAll(), QByteArray("Relaypost IPC ready\r\n"));

        client.write("HELLO SERVER\r\n");
        QVERIFY(client.waitForBytesWritten(5000));
        QTest::qWait(1000);
        QCOMPARE(client.bytesAvailable(), 0);
        QCOMPARE(client.state(), QAbstractSocket::ConnectedState);

        m_modem->command(QStringLiteral("call 5551234567"));
        QTRY_VERIFY_WITH_TIMEOUT(client.bytesAvailable() > 0, 15000);
        QTest::qWait(200);
        QCOMPARE(client.readAll(), QByteArray("CALLERID:555-123-4567;NO DATA\r\n"));
    }

    void aSecondServerOnATakenPortSaysSoAndStillWatchesItsLine()
    {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, m_port));
        Instance &server = startServer();
        const QString text = QStringLiteral("The server port is already in use: ") + QString::number(m_port);
        QCOMPARE(server.count(QStringLiteral("]  ") + text + QLatin1Char('\n')), 1);
        QCOMPARE(server.boxes(), QStringLiteral("Error\t") + text + QLatin1Char('\n'));

        m_modem->command(QStringLiteral("call 5551234567 JOHN DOE"));
        QTRY_VERIFY_WITH_TIMEOUT(server.log().contains(QStringLiteral("]  CALLERID:555-123-4567;JOHN DOE\n")), 15000);
    }

    void aClientFindsItsServerAgainAtItsNextCheck()
    {
        Instance &client = startClient({}, QStringLiteral("2"));
        QTRY_COMPARE_WITH_TIMEOUT(client.boxes(),
                                  QStringLiteral("Error\tNo server available on 127.0.0.1:%1\n").arg(m_port), 15000);

        Instance &server = startServer();
        QTRY_COMPARE_WITH_TIMEOUT(establishedConnections(m_port), 1, 10000);
        m_modem->command(QStringLiteral("call 5551234567 JOHN DOE"));
        QTRY_VERIFY_WITH_TIMEOUT(client.log().contains(QStringLiteral("]  CALLERID:555-123-4567;JOHN DOE\n")), 15000);

        stop(server);
        QTRY_COMPARE_WITH_TIMEOUT(establishedConnections(m_port), 0, 10000);
        start(server, {QStringLiteral("/SERVER")});
        watchesTheLine(server, 2);
        QTRY_COMPARE_WITH_TIMEOUT(establishedConnections(m_port), 1, 10000);
        m_modem->command(QStringLiteral("call 5559876543 ANN LEE"));
        QTRY_VERIFY_WITH_TIMEOUT(client.log().contains(QStringLiteral("]  CALLERID:555-987-6543;ANN LEE\n")), 15000);
        QCOMPARE(client.boxes().count(QLatin1Char('\n')), 1);
    }

    void aClientToldToEndWhileConnectingEndsAtOnce()
    {
        UnansweringPort silent;
        Instance &client = makeInstance();
        QSettings(client.env->configFile(), QSettings::IniFormat)
            .setValue(QStringLiteral("Settings/ServerPort"), QString::number(silent.port()));
        start(client, {QStringLiteral("/CLIENT"), QStringLiteral("/IP=127.0.0.1")});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(client.env->root() + QStringLiteral("/runtime/Ringseer.lock")), 15000);
        QTest::qWait(500);

        QCOMPARE(::kill(pid_t(client.process->processId()), SIGTERM), 0);
        // Well before the connection attempt would be given up.
        QVERIFY(client.process->waitForFinished(IpcClient::DefaultConnectTimeoutMs / 2));
        QCOMPARE(client.process->exitCode(), 0);
        QCOMPARE(client.boxes(), QString());
        QVERIFY(QSettings(client.env->configFile(), QSettings::IniFormat).contains(QStringLiteral("Settings/Language")));
    }
};

QTEST_GUILESS_MAIN(TestIpcProgram)
#include "tst_ipcprogram.moc"
