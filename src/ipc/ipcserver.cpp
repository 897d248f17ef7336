#include "ipcserver.h"

#include "ipcprotocol.h"
#include "tcpsrvclient.h"

#include "app/diaglog.h"
#include "app/textcodec.h"
#include "app/texthelpers.h"
#include "ui/language.h"

#include <QMetaEnum>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// What a client sends is thrown away; reading it in small portions keeps a client that
// floods the server from costing it memory.
constexpr qint64 ClientReadBufferSize = 4096;

// With no descriptor left, a pending connection stays pending; accepting again at once
// would spin.
constexpr int AcceptRetryMs = 1000;

QByteArrayView withoutLineEnd(QByteArrayView line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

QString socketErrorName(QAbstractSocket::SocketError error)
{
    return QStringLiteral("QAbstractSocket::")
        + QString::fromLatin1(QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(error));
}

} // namespace

IpcServer::IpcServer(QObject *parent)
    : QTcpServer(parent)
{
    connect(this, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
        // One line per run of failures: the retry below would otherwise log every second.
        if (!m_acceptFailing)
            IPCServerBgException(socketErrorName(error), errorString());
        m_acceptFailing = true;
        QTimer::singleShot(AcceptRetryMs, this, &QTcpServer::resumeAccepting);
    });
}

IpcServer::~IpcServer() = default;

bool IpcServer::Listen(const QString &port)
{
    const std::optional<quint16> number = IpcPortNumber(port);
    if (!number)
        return false;
    setListenBacklogSize(5);
    return listen(QHostAddress::AnyIPv4, *number);
}

void IpcServer::incomingConnection(qintptr socketDescriptor)
{
    auto *client = new TTcpSrvClient(this);
    if (!client->setSocketDescriptor(socketDescriptor)) {
        ::close(int(socketDescriptor));
        delete client;
        return;
    }
    m_acceptFailing = false;
    m_clients.append(client);
    IPCServerClientConnect(client);
    send(client, QByteArray(IpcGreeting));
}

void IpcServer::IPCServerClientConnect(TTcpSrvClient *client)
{
    client->setReadBufferSize(ClientReadBufferSize);
    connect(client, &QTcpSocket::readyRead, this, [this, client] { ClientDataAvailable(client); });
    connect(client, &QTcpSocket::errorOccurred, this, [this, client](QAbstractSocket::SocketError error) {
        // A client that goes away is the ordinary end of a connection, not an error.
        if (error != QAbstractSocket::RemoteHostClosedError)
            ClientBgException(client, socketErrorName(error), client->errorString());
    });
    connect(client, &QTcpSocket::disconnected, this, [this, client] { clientClosed(client); });
    client->ConnectedAt = QDateTime::currentDateTime();
}

void IpcServer::ClientDataAvailable(TTcpSrvClient *client)
{
    client->ReceivedText = RemoveChars(DecodeDataFile(client->readAll()), QStringLiteral("\r\n"));
    ProcessClientRequest(client);
}

void IpcServer::ProcessClientRequest(TTcpSrvClient *client)
{
    // The protocol has no requests: clients are never answered.
    Q_UNUSED(client);
}

void IpcServer::ClientBgException(TTcpSrvClient *client, const QString &kind, const QString &message)
{
    WriteLog(MessageText(QStringLiteral("msgClientExceptionOccured")) + kind + QStringLiteral(": ") + message);
    client->abort();
}

void IpcServer::IPCServerBgException(const QString &kind, const QString &message)
{
    WriteLog(MessageText(QStringLiteral("msgServerExceptionOccured")) + kind + QStringLiteral(": ") + message);
}

void IpcServer::clientClosed(TTcpSrvClient *client)
{
    m_clients.removeOne(client);
    // Closing may be reported from inside a broadcast that still holds the pointer.
    client->deleteLater();
}

void IpcServer::Broadcast(const QByteArray &line)
{
    m_sentLines.removeIf([this](const SentLine &sent) { return sent.Age.hasExpired(m_echoWindowMs); });
    m_sentLines.append({withoutLineEnd(line).toByteArray(), {}});
    m_sentLines.last().Age.start();

    // A client that fails while being written to leaves the list at once.
    const QList<QPointer<TTcpSrvClient>> clients(m_clients.cbegin(), m_clients.cend());
    for (qsizetype i = clients.size() - 1; i >= 0; --i) {
        if (TTcpSrvClient *client = clients[i])
            send(client, line);
    }
}

bool IpcServer::SentRecently(QByteArrayView line) const
{
    const QByteArrayView text = withoutLineEnd(line);
    return std::any_of(m_sentLines.cbegin(), m_sentLines.cend(), [&](const SentLine &sent) {
        return !sent.Age.hasExpired(m_echoWindowMs) && sent.Line == text;
    });
}

void IpcServer::send(TTcpSrvClient *client, const QByteArray &line)
{
    if (client->state() != QAbstractSocket::ConnectedState)
        return;
    const qint64 waiting = client->bytesToWrite();
    if (waiting + line.size() > m_outputLimit) {
        ClientBgException(client, QStringLiteral("OutputBacklog"),
                          QStringLiteral("%1 bytes not taken by %2:%3")
                              .arg(waiting)
                              .arg(client->peerAddress().toString())
                              .arg(client->peerPort()));
        return;
    }
    // Writing through the socket object turns its write notifier on and off for every
    // line, and with the desktop's event dispatcher each turn costs time in proportion to
    // the number of connections. While nothing waits in the object's queue, the line goes
    // to the system directly; only what the system does not take at once is queued.
    qsizetype written = 0;
    if (waiting == 0) {
        const ssize_t sent = ::send(int(client->socketDescriptor()), line.constData(), size_t(line.size()),
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            const int error = errno;
            if (error == EPIPE || error == ECONNRESET) {
                // The client went away; its socket reports the close in the usual way.
                client->abort();
                return;
            }
            if (error != EAGAIN && error != EWOULDBLOCK && error != EINTR) {
                ClientBgException(client, QStringLiteral("send"), qt_error_string(error));
                return;
            }
        }
        written = qMax<qsizetype>(sent, 0);
    }
    if (written < line.size())
        client->write(line.constData() + written, line.size() - written);
}
