#include "ipcclient.h"

#include "ipcprotocol.h"

#include "app/diaglog.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTimer>

IpcClient::IpcClient(QObject *parent)
    : QObject(parent),
      m_socket(new QTcpSocket(this)),
      m_connectTimer(new QTimer(this))
{
    m_connectTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this, [this] {
        if (Connecting())
            m_socket->abort();
    });
    connect(m_socket, &QTcpSocket::connected, m_connectTimer, &QTimer::stop);
    connect(m_socket, &QTcpSocket::readyRead, this, &IpcClient::IPCClientDataAvailable);
}

IpcClient::~IpcClient() = default;

void IpcClient::Connect(const QString &address, const QString &port)
{
    m_socket->abort();
    m_serverInput.Clear();
    const std::optional<quint16> number = IpcPortNumber(port);
    if (!number)
        return;
    m_connectTimer->start(m_connectTimeoutMs);
    // The server listens on IPv4 only; a name that also resolves to IPv6 would try that
    // address first and be refused there.
    m_socket->connectToHost(address, *number, QIODevice::ReadOnly, QAbstractSocket::IPv4Protocol);
}

bool IpcClient::Connecting() const
{
    const QAbstractSocket::SocketState state = m_socket->state();
    return state == QAbstractSocket::HostLookupState || state == QAbstractSocket::ConnectingState;
}

bool IpcClient::Connected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool IpcClient::WaitWhileConnecting(const std::function<bool()> &abandon)
{
    while (Connecting()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (abandon())
            return false;
    }
    return true;
}

void IpcClient::IPCClientDataAvailable()
{
    // Handing a call over runs the call handling, which dispatches events while it waits.
    // The socket does not report data that arrives meanwhile again, so it is read here
    // between two hand-overs; and lines queue up behind the current one, so they are
    // handed over one by one in the order they came.
    if (m_delivering)
        return;
    m_delivering = true;
    const auto done = qScopeGuard([this] { m_delivering = false; });
    for (;;) {
        while (m_socket->bytesAvailable() > 0) {
            const ServerInput::Received received = m_serverInput.Append(m_socket->read(ServerInput::Capacity));
            m_pendingLines += received.Lines;
            for (int i = 0; i < received.DroppedLines; ++i)
                WriteLog(QStringLiteral("A line from the server longer than %1 bytes was dropped")
                             .arg(ServerInput::Capacity));
        }
        if (m_pendingLines.isEmpty())
            break;
        handOverLine(m_pendingLines.takeFirst());
    }
}

void IpcClient::handOverLine(const QByteArray &line)
{
    const std::optional<ServerCaller> caller = ProcessServerResponse(DecodeServerLine(line));
    if (caller)
        Q_EMIT callerLineReceived(line, caller->Number, caller->Name);
}
