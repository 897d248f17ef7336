#include "ipc/ipcclient.h"
#include "ipctestsupport.h"
#include "testenvironment.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

// The receiving end against a server played by the test, which decides exactly which
// bytes arrive in which read.
class TestIpcClient : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<QTcpServer> m_server;
    std::unique_ptr<IpcClient> m_client;
    QStringList m_calls;
    std::function<void()> m_onCall;

    // The server side of the client's connection.
    QTcpSocket *connectClient()
    {
        m_client->Connect(QStringLiteral("127.0.0.1"), QString::number(m_server->serverPort()));
        if (!QTest::qWaitFor([&] { return m_server->hasPendingConnections(); }, 5000))
            return nullptr;
        QTcpSocket *peer = m_server->nextPendingConnection();
        return QTest::qWaitFor([&] { return m_client->Connected(); }, 5000) ? peer : nullptr;
    }

    // Each portion reaches the client in a read of its own.
    static void sendInPortions(QTcpSocket *peer, const QList<QByteArray> &portions)
    {
        for (const QByteArray &portion : portions) {
            peer->write(portion);
            peer->flush();
            QTest::qWait(50);
        }
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_server = std::make_unique<QTcpServer>();
        QVERIFY(m_server->listen(QHostAddress::LocalHost));
        m_client = std::make_unique<IpcClient>();
        m_calls.clear();
        m_onCall = nullptr;
        connect(m_client.get(), &IpcClient::callerLineReceived, this,
                [this](const QByteArray &, const QString &number, const QString &name) {
                    m_calls << number + QLatin1Char('|') + name;
                    if (m_onCall)
                        std::exchange(m_onCall, nullptr)();
                });
    }

    void cleanup()
    {
        m_client.reset();
        m_server.reset();
        m_env.reset();
    }

    void takesLinesApart_data()
    {
        QTest::addColumn<QList<QByteArray>>("portions");
        QTest::addColumn<QStringList>("calls");

        const QByteArray greeting = "Relaypost IPC ready\r\n";
        QTest::newRow("the greeting shows nothing") << QList<QByteArray>{greeting} << QStringList{};
        QTest::newRow("a call after the greeting")
            << QList<QByteArray>{greeting + "CALLERID:555-123-4567;JOHN DOE\r\n"}
            << QStringList{"555-123-4567|JOHN DOE"};
        QTest::newRow("lower-case prefix is ignored")
            << QList<QByteArray>{"callerid:555-123-4567;JOHN DOE\r\n", "Callerid:1;A\r\n"} << QStringList{};
        QTest::newRow("other text is ignored")
            << QList<QByteArray>{"HELLO\r\n", "\r\n", "CALLER:1;A\r\n"} << QStringList{};
        QTest::newRow("a name with ':' and ';' arrives whole")
            << QList<QByteArray>{"CALLERID:555-123-4567;Smith: Jones; and Co\r\n"}
            << QStringList{"555-123-4567|Smith: Jones; and Co"};
        QTest::newRow("an empty name") << QList<QByteArray>{"CALLERID:555-123-4567;\r\n"}
                                       << QStringList{"555-123-4567|"};
        QTest::newRow("BLOCKED and NO DATA pass as text")
            << QList<QByteArray>{"CALLERID:BLOCKED;NO DATA\r\n"} << QStringList{"BLOCKED|NO DATA"};
        QTest::newRow("a line split over two reads is handled once")
            << QList<QByteArray>{"CALLERID:555-12", "3-4567;ANN LEE\r\n"} << QStringList{"555-123-4567|ANN LEE"};
        QTest::newRow("split between CR and LF") << QList<QByteArray>{"CALLERID:1;A\r", "\n"}
                                                 << QStringList{"1|A"};
        QTest::newRow("two lines in one read, in order")
            << QList<QByteArray>{"CALLERID:111;FIRST\r\nCALLERID:222;SECOND\r\n"}
            << QStringList{"111|FIRST", "222|SECOND"};
        QTest::newRow("LF alone ends a line too") << QList<QByteArray>{"CALLERID:1;A\nCALLERID:2;B\n"}
                                                  << QStringList{"1|A", "2|B"};
        // The rules' own reading of a line without ';'; no server sends one.
        QTest::newRow("no ';': number to the end, name the whole line up to CR")
            << QList<QByteArray>{"CALLERID:555\r\n"} << QStringList{"555\r|CALLERID:555"};
        QTest::newRow("a zero byte ends the text") << QList<QByteArray>{QByteArray("CALLERID:1;AB\0CD\r\n", 18)}
                                                   << QStringList{"1|AB"};
        QTest::newRow("a name from an older server in the Western code page")
            << QList<QByteArray>{"CALLERID:1;M\xfcller\r\n"} << QStringList{"1|M\u00fcller"};

        const QByteArray fits = "CALLERID:1;" + QByteArray(1022 - 12, 'x') + "\r";
        Q_ASSERT(fits.size() == 1022);
        QTest::newRow("the longest line that fits") << QList<QByteArray>{fits + "\n"}
                                                    << QStringList{"1|" + QString(1022 - 12, QLatin1Char('x'))};
        const QByteArray tooLong = "CALLERID:9;" + QByteArray(1011, 'x') + "\r";
        Q_ASSERT(tooLong.size() == 1023);
        QTest::newRow("one byte too long: dropped, the next line is handled")
            << QList<QByteArray>{tooLong + "\nCALLERID:2;B\r\n"} << QStringList{"2|B"};
        QTest::newRow("a very long line over several reads is dropped without harm")
            << QList<QByteArray>{"CALLERID:1;A\r\nCALLERID:9;" + QByteArray(3000, 'x'), QByteArray(3000, 'y'),
                                 "\r\nCALLERID:2;B\r\n"}
            << QStringList{"1|A", "2|B"};
    }

    void takesLinesApart()
    {
        QFETCH(QList<QByteArray>, portions);
        QFETCH(QStringList, calls);
        QTcpSocket *peer = connectClient();
        QVERIFY(peer);
        sendInPortions(peer, portions);
        QCOMPARE(m_calls, calls);
        QVERIFY(m_client->Connected());
    }

    void newConnectionStartsWithAnEmptyBuffer()
    {
        QTcpSocket *first = connectClient();
        QVERIFY(first);
        sendInPortions(first, {"CALLERID:1;HALF A LI"});
        first->disconnectFromHost();
        QTRY_VERIFY(!m_client->Connected());

        // Joined to the old bytes, the greeting would become a call "1" from "HALF A LIRelaypost...".
        QTcpSocket *second = connectClient();
        QVERIFY(second);
        sendInPortions(second, {"Relaypost IPC ready\r\n", "CALLERID:2;B\r\n"});
        QCOMPARE(m_calls, QStringList{"2|B"});
    }

    void linesArrivingWhileACallIsHandedOverWaitTheirTurn()
    {
        QTcpSocket *peer = connectClient();
        QVERIFY(peer);
        // Handling a call dispatches events while it waits, as the call handling does.
        m_onCall = [&] {
            sendInPortions(peer, {"CALLERID:2;SECOND\r\n", "CALLERID:3;THIRD\r\n"});
            QTest::qWait(100);
            m_calls << QStringLiteral("first handled");
        };
        sendInPortions(peer, {"CALLERID:1;FIRST\r\n"});
        QTRY_COMPARE(m_calls, (QStringList{"1|FIRST", "first handled", "2|SECOND", "3|THIRD"}));
    }

    void connectingEnds_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("connects");
        QTest::newRow("a closed port is refused") << QString::number(freeTcpPort()) << false;
        QTest::newRow("a port text that is no port") << QStringLiteral("1234567890") << false;
        QTest::newRow("no port at all") << QString() << false;
        QTest::newRow("a listening port") << QStringLiteral("listening") << true;
    }

    void connectingEnds()
    {
        QFETCH(QString, port);
        QFETCH(bool, connects);
        if (port == QLatin1String("listening"))
            port = QString::number(m_server->serverPort());
        m_client->Connect(QStringLiteral("127.0.0.1"), port);
        QVERIFY(m_client->WaitWhileConnecting([] { return false; }));
        QCOMPARE(m_client->Connected(), connects);
    }

    void aServerThatNeverAnswersIsGivenUpAfterTheTimeout()
    {
        UnansweringPort silent;
        m_client->setConnectTimeout(300);
        m_client->Connect(QStringLiteral("127.0.0.1"), QString::number(silent.port()));
        QVERIFY(m_client->Connecting());
        QVERIFY(m_client->WaitWhileConnecting([] { return false; }));
        QVERIFY(!m_client->Connected());
    }

    void theWaitEndsAtOnceWhenTheProgramIsTold()
    {
        UnansweringPort silent;
        m_client->Connect(QStringLiteral("127.0.0.1"), QString::number(silent.port()));
        bool told = false;
        QTimer::singleShot(100, [&] { told = true; });
        QVERIFY(!m_client->WaitWhileConnecting([&] { return told; }));
        QVERIFY(m_client->Connecting());
    }
};

QTEST_GUILESS_MAIN(TestIpcClient)
#include "tst_ipcclient.moc"
