#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTcpServer>

class TTcpSrvClient;

// The serving end of the line protocol: listens on all local IPv4 addresses, greets every
// client and passes each call line to all connected clients. It never answers what a
// client sends. Single-threaded: everything runs on the owner's event loop.
class IpcServer : public QTcpServer
{
    Q_OBJECT

public:
    // Output a client has not taken yet, above which it counts as gone (see Broadcast).
    static constexpr qint64 DefaultOutputLimit = 65536;
    // How long a broadcast line is remembered for SentRecently.
    static constexpr int DefaultEchoWindowMs = 5000;

    explicit IpcServer(QObject *parent = nullptr);
    ~IpcServer() override;

    // Starts listening on 0.0.0.0 and the port given as text; false when the port is not a
    // port number or cannot be listened on (typically because another program holds it).
    bool Listen(const QString &port);

    // Queues the line on every live connection, the most recently accepted first, and
    // hands it to the system at once, so no client waits for the event loop. A client
    // that has not taken DefaultOutputLimit bytes is dropped instead of being queued
    // more: it would only make the server's memory grow, and it reconnects by itself.
    void Broadcast(const QByteArray &line);

    // True when the line (with or without its CR LF) went out in a broadcast within the
    // echo window. Instances that serve each other use it to recognise their own calls.
    bool SentRecently(QByteArrayView line) const;

    qsizetype ClientCount() const { return m_clients.size(); }
    // Connection i in the order of acceptance; 0 is the oldest.
    TTcpSrvClient *Client(qsizetype index) const { return m_clients.at(index); }

    void setOutputLimit(qint64 bytes) { m_outputLimit = bytes; }
    void setEchoWindow(int milliseconds) { m_echoWindowMs = milliseconds; }

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void IPCServerClientConnect(TTcpSrvClient *client);
    void ClientDataAvailable(TTcpSrvClient *client);
    void ProcessClientRequest(TTcpSrvClient *client);
    void ClientBgException(TTcpSrvClient *client, const QString &kind, const QString &message);
    void IPCServerBgException(const QString &kind, const QString &message);
    void clientClosed(TTcpSrvClient *client);
    void send(TTcpSrvClient *client, const QByteArray &line);

    QList<TTcpSrvClient *> m_clients;
    qint64 m_outputLimit = DefaultOutputLimit;
    int m_echoWindowMs = DefaultEchoWindowMs;
    struct SentLine
    {
        QByteArray Line;
        QElapsedTimer Age;
    };
    QList<SentLine> m_sentLines;
    bool m_acceptFailing = false;
};
