#pragma once

#include "serverinput.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QTcpSocket;
class QTimer;

// The receiving end of the line protocol: one connection to the serving instance, whose
// call lines are taken apart and handed on. It never writes to the connection.
class IpcClient : public QObject
{
    Q_OBJECT

public:
    // A server on the local network answers within milliseconds; an address that does not
    // answer at all would otherwise hold the start-up or a check for the system's two
    // minutes of connection retries.
    static constexpr int DefaultConnectTimeoutMs = 15000;

    explicit IpcClient(QObject *parent = nullptr);
    ~IpcClient() override;

    // Drops any connection and starts connecting to the address and port (both as text,
    // the port as the setting holds it). A port that is no port number fails at once.
    void Connect(const QString &address, const QString &port);

    bool Connecting() const;
    bool Connected() const;

    // Dispatches events while the connection is being made. Returns false as soon as
    // abandon() says so, which is how a program being told to end leaves the wait at once.
    bool WaitWhileConnecting(const std::function<bool()> &abandon);

    void setConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }
    QTcpSocket *socket() const { return m_socket; }

Q_SIGNALS:
    // A call line from the server: the line as received (without its LF) and its fields.
    void callerLineReceived(const QByteArray &line, const QString &number, const QString &name);

private:
    void IPCClientDataAvailable();
    void handOverLine(const QByteArray &line);

    QTcpSocket *m_socket;
    QTimer *m_connectTimer;
    int m_connectTimeoutMs = DefaultConnectTimeoutMs;
    ServerInput m_serverInput;
    QList<QByteArray> m_pendingLines;
    bool m_delivering = false;
};
