#include "ipc/ipcprotocol.h"
#include "ipc/ipcserver.h"
#include "ipc/tcpsrvclient.h"
#include "ipctestsupport.h"
#include "rawclient.h"
#include "testenvironment.h"
#include "ui/language.h"

#include <QTcpSocket>
#include <QTest>

#include <sys/resource.h>

// The serving end against clients on plain sockets, so the test sees the exact bytes
// each connection carries.
class TestIpcServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<IpcServer> m_server;
    TLanguage m_language;
    std::unique_ptr<RawClient> m_stampKeeper;

    // Connects a client and waits until the server has accepted it and it has the greeting.
    std::unique_ptr<RawClient> connectClient(int receiveBufferSize = 0)
    {
        const qsizetype before = m_server->ClientCount();
        auto client = std::make_unique<RawClient>(m_server->serverPort(), receiveBufferSize);
        if (!client->connected() || !QTest::qWaitFor([&] { return m_server->ClientCount() > before; }, 5000))
            return nullptr;
        if (client->receive(2000) != "Relaypost IPC ready\r\n")
            return nullptr;
        return client;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The system turns receive time stamps on a moment after the first socket asks for
        // them, and off again when the last one closes; keep one asking from the start.
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        m_stampKeeper = std::make_unique<RawClient>(server.serverPort());
        QVERIFY(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000));
        QTcpSocket *peer = server.nextPendingConnection();
        qint64 arrived = 0;
        for (int attempt = 0; attempt < 50 && arrived == 0; ++attempt) {
            QTest::qWait(20);
            peer->write("x");
            peer->flush();
            m_stampKeeper->receive(1000, &arrived);
        }
        QVERIFY(arrived != 0);
    }

    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->installData();
        m_language.LoadFile(m_env->dataDir() + QStringLiteral("language.csv"));
        SetTheLanguage(&m_language);
        m_server = std::make_unique<IpcServer>();
        QVERIFY(m_server->Listen(QString::number(freeTcpPort())));
        QCOMPARE(m_server->serverAddress(), QHostAddress(QHostAddress::AnyIPv4));
    }

    void cleanup()
    {
        m_server.reset();
        SetTheLanguage(nullptr);
        m_env.reset();
    }

    void oneCallReachesEveryClientOnceTheNewestFirst()
    {
        const QDateTime before = QDateTime::currentDateTime();
        std::vector<std::unique_ptr<RawClient>> clients;
        for (int i = 0; i < 3; ++i) {
            clients.push_back(connectClient());
            QVERIFY(clients.back());
        }
        QCOMPARE(m_server->ClientCount(), 3);
        QVERIFY(m_server->Client(0)->ConnectedAt >= before);
        QVERIFY(m_server->Client(2)->ConnectedAt >= m_server->Client(0)->ConnectedAt);

        m_server->Broadcast(CallerLine(QStringLiteral("555-123-4567"), QStringLiteral("NO DATA")));

        // The system stamps each segment as it arrives, which on loopback is the order of sending.
        qint64 arrived[3] = {};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(clients[i]->receive(2000, &arrived[i]), QByteArray("CALLERID:555-123-4567;NO DATA\r\n"));
            QVERIFY(arrived[i] != 0);
        }
        QVERIFY2(arrived[2] < arrived[1] && arrived[1] < arrived[0], "the most recently accepted client comes first");
        for (auto &client : clients)
            QCOMPARE(client->receiveAll(200), QByteArray());
    }

    void aClientThatConnectsAfterACallDoesNotGetIt()
    {
        auto early = connectClient();
        QVERIFY(early);
        m_server->Broadcast(CallerLine(QStringLiteral("111"), QStringLiteral("FIRST")));
        auto late = connectClient();
        QVERIFY(late);
        m_server->Broadcast(CallerLine(QStringLiteral("222"), QString()));

        QCOMPARE(early->receiveAll(200), QByteArray("CALLERID:111;FIRST\r\nCALLERID:222;\r\n"));
        QCOMPARE(late->receiveAll(200), QByteArray("CALLERID:222;\r\n"));
    }

    void whatAClientSendsIsReadAndNeverAnswered()
    {
        auto client = connectClient();
        QVERIFY(client);
        client->send("HELLO\r\nSERVER\r\n");
        QTRY_COMPARE(m_server->Client(0)->ReceivedText, QStringLiteral("HELLOSERVER"));
        QCOMPARE(client->receiveAll(300), QByteArray());

        m_server->Broadcast(CallerLine(QStringLiteral("555-123-4567"), QStringLiteral("JOHN DOE")));
        QCOMPARE(client->receive(2000), QByteArray("CALLERID:555-123-4567;JOHN DOE\r\n"));
        QCOMPARE(m_server->ClientCount(), 1);
    }

    void aClientThatLeavesIsForgotten()
    {
        auto staying = connectClient();
        auto leaving = connectClient();
        QVERIFY(staying && leaving);
        leaving.reset();
        QTRY_COMPARE(m_server->ClientCount(), 1);
        m_server->Broadcast(CallerLine(QStringLiteral("1"), QStringLiteral("A")));
        QCOMPARE(staying->receive(2000), QByteArray("CALLERID:1;A\r\n"));
        QVERIFY(!m_env->readLog().contains(QStringLiteral("error")));
    }

    void aClientThatNeverReadsIsDroppedAndTheOthersAreServed()
    {
        constexpr qint64 limit = 16384;
        m_server->setOutputLimit(limit);
        auto reader = connectClient();
        auto stuck = connectClient(4096);
        QVERIFY(reader && stuck);
        // Small system buffers, so the server's own queue is what fills up.
        m_server->Client(1)->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4096);

        const QString name(1000, QLatin1Char('n'));
        QByteArray expected;
        QByteArray received;
        for (int call = 0; call < 300; ++call) {
            const QByteArray line = CallerLine(QString::number(call), name);
            expected += line;
            m_server->Broadcast(line);
            for (qsizetype i = 0; i < m_server->ClientCount(); ++i)
                QVERIFY(m_server->Client(i)->bytesToWrite() <= limit);
            received += reader->receiveAll(0);
        }
        received += reader->receiveAll(200);
        QCOMPARE(received.size(), expected.size());
        QVERIFY(received == expected);

        QTRY_COMPARE(m_server->ClientCount(), 1);
        QVERIFY(m_env->readLog().contains(QStringLiteral("Client connection error: OutputBacklog: ")));
        stuck->receiveAll(0);
        QTRY_VERIFY((stuck->receiveAll(50), stuck->closed()));
    }

    void listeningGoesOnAfterTheSystemRanOutOfDescriptors()
    {
        rlimit original{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &original), 0);
        RawClient client(m_server->serverPort());
        QVERIFY(client.connected());

        // Every descriptor below the lowest free one is in use: the server cannot accept.
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        rlimit exhausted = original;
        exhausted.rlim_cur = rlim_t(lowestFree);
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &exhausted), 0);
        QTest::qWait(200);
        const qsizetype acceptedMeanwhile = m_server->ClientCount();
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &original), 0);
        QCOMPARE(acceptedMeanwhile, 0);

        QTRY_COMPARE_WITH_TIMEOUT(m_server->ClientCount(), 1, 5000);
        QCOMPARE(client.receive(2000), QByteArray("Relaypost IPC ready\r\n"));
    }

    void listeningFails_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("a port another program holds") << QStringLiteral("taken");
        QTest::newRow("not a number") << QStringLiteral("50x34");
        QTest::newRow("beyond the last port") << QStringLiteral("65536");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("empty") << QString();
    }

    void listeningFails()
    {
        QFETCH(QString, port);
        QTcpServer holder;
        if (port == QLatin1String("taken")) {
            QVERIFY(holder.listen(QHostAddress::AnyIPv4, freeTcpPort()));
            port = QString::number(holder.serverPort());
        }
        IpcServer second;
        QVERIFY(!second.Listen(port));
        QVERIFY(!second.isListening());
    }

    void remembersWhatItSentForAWhile()
    {
        m_server->setEchoWindow(300);
        m_server->Broadcast(CallerLine(QStringLiteral("555-123-4567"), QStringLiteral("JOHN DOE")));
        QVERIFY(m_server->SentRecently("CALLERID:555-123-4567;JOHN DOE\r"));
        QVERIFY(m_server->SentRecently("CALLERID:555-123-4567;JOHN DOE\r\n"));
        QVERIFY(!m_server->SentRecently("CALLERID:555-123-4567;JOHN DO\r"));
        QTRY_VERIFY(!m_server->SentRecently("CALLERID:555-123-4567;JOHN DOE\r"));
    }
};

QTEST_GUILESS_MAIN(TestIpcServer)
#include "tst_ipcserver.moc"
