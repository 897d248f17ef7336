#include "ipc/ipcprotocol.h"
#include "ipc/ipcserver.h"
#include "ipctestsupport.h"
#include "testenvironment.h"

#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

// Clients come and go in a loop while calls are broadcast: the server keeps serving, and
// every connected client gets every call from the moment it was greeted, in order.
class TestIpcSoak : public QObject
{
    Q_OBJECT

private:
    static constexpr int SoakMs = 15000;
    static constexpr int StableClients = 5;
    static constexpr int ChurnSlots = 20;

    struct Client
    {
        QTcpSocket *socket = nullptr;
        QByteArray received;
        // The first call broadcast after the client had its greeting.
        int firstExpected = -1;
    };

    // The numbers of the complete call lines a client received after the greeting.
    static QList<int> callNumbers(const QByteArray &received)
    {
        QList<QByteArray> lines = received.split('\n');
        lines.removeLast(); // nothing, or the start of a line cut off by the close
        QList<int> numbers;
        for (const QByteArray &line : std::as_const(lines)) {
            if (line.startsWith("CALLERID:"))
                numbers << line.mid(9, line.indexOf(';') - 9).toInt();
        }
        return numbers;
    }

    static QString checkRun(const Client &client)
    {
        if (!client.received.startsWith("Relaypost IPC ready\r\n"))
            return client.received.isEmpty() ? QString() : QStringLiteral("no greeting first");
        const QList<int> numbers = callNumbers(client.received);
        for (qsizetype i = 1; i < numbers.size(); ++i) {
            if (numbers[i] != numbers[i - 1] + 1)
                return QStringLiteral("call %1 followed by %2").arg(numbers[i - 1]).arg(numbers[i]);
        }
        if (!numbers.isEmpty() && numbers.last() >= client.firstExpected && numbers.first() > client.firstExpected)
            return QStringLiteral("call %1 missing at the start").arg(client.firstExpected);
        return QString();
    }

private Q_SLOTS:
    void clientsComeAndGoWhileCallsAreBroadcast()
    {
        TestEnvironment env;
        IpcServer server;
        QVERIFY(server.Listen(QString::number(freeTcpPort())));
        int nextCall = 0;
        QStringList faults;
        int connections = 0;

        auto connectClient = [&](Client &client) {
            client = Client();
            client.socket = new QTcpSocket(&server);
            QTcpSocket *socket = client.socket;
            connect(socket, &QTcpSocket::readyRead, socket, [&client, &nextCall, socket] {
                if (client.socket != socket)
                    return;
                const bool greeted = client.received.size() >= 21;
                client.received += socket->readAll();
                if (!greeted && client.received.size() >= 21)
                    client.firstExpected = nextCall;
            });
            socket->connectToHost(QHostAddress::LocalHost, server.serverPort());
            ++connections;
        };
        auto closeClient = [&](Client &client) {
            if (const QString fault = checkRun(client); !fault.isEmpty())
                faults << fault;
            client.socket->abort();
            client.socket->deleteLater();
            client.socket = nullptr;
        };

        std::vector<Client> stable(StableClients);
        for (Client &client : stable)
            connectClient(client);
        QTRY_COMPARE(server.ClientCount(), StableClients);
        QTRY_VERIFY(std::all_of(stable.begin(), stable.end(), [](const Client &c) { return c.firstExpected == 0; }));

        std::vector<Client> churn(ChurnSlots);
        QTimer churnTimer;
        connect(&churnTimer, &QTimer::timeout, [&] {
            Client &client = churn[QRandomGenerator::global()->bounded(ChurnSlots)];
            if (client.socket)
                closeClient(client);
            else
                connectClient(client);
        });
        QTimer callTimer;
        connect(&callTimer, &QTimer::timeout, [&] {
            server.Broadcast(CallerLine(QString::number(nextCall++), QStringLiteral("SOAK")));
        });
        churnTimer.start(5);
        callTimer.start(10);
        QTest::qWait(SoakMs);
        churnTimer.stop();
        callTimer.stop();
        QTest::qWait(500);

        for (Client &client : churn) {
            if (client.socket)
                closeClient(client);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
        QTRY_COMPARE(server.ClientCount(), StableClients);

        QList<int> all(nextCall);
        std::iota(all.begin(), all.end(), 0);
        for (const Client &client : stable)
            QCOMPARE(callNumbers(client.received), all);

        // Still serving: a newcomer is greeted and gets the next call.
        Client newcomer;
        connectClient(newcomer);
        QTRY_VERIFY(newcomer.firstExpected >= 0);
        server.Broadcast(CallerLine(QStringLiteral("last"), QStringLiteral("SOAK")));
        QTRY_VERIFY(newcomer.received.endsWith("CALLERID:last;SOAK\r\n"));
        qInfo("%d calls, %d connections", nextCall, connections);
        QVERIFY(nextCall > 100 && connections > 100);
    }
};

QTEST_GUILESS_MAIN(TestIpcSoak)
#include "tst_ipcsoak.moc"
