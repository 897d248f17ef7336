#pragma once

#include <QFile>
#include <QHostAddress>
#include <QTcpServer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A port on which nothing listens at the moment.
inline quint16 freeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4, 0);
    return probe.serverPort();
}

// Established IPv4 connections whose local end is the port: on a listening port, the
// connections its server has (or is about to) accept. Lets a test see that a program
// outside it has connected.
inline int establishedConnections(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray localEnd = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    int count = 0;
    for (const QByteArray &row : table.readAll().split('\n')) {
        const QList<QByteArray> fields = row.simplified().split(' ');
        // sl local_address rem_address st ...; state 01 is ESTABLISHED.
        if (fields.size() > 3 && fields[1].endsWith(localEnd) && fields[3] == "01")
            ++count;
    }
    return count;
}

// A listening socket whose accept queue is full: connections to it neither succeed nor
// fail, they stay in the making, as with a host that does not answer.
class UnansweringPort
{
public:
    UnansweringPort()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length);
        ::listen(m_listener, 0);
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        // Backlog 0 still queues one connection; it fills the queue.
        m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(m_filler, reinterpret_cast<sockaddr *>(&address), length);
    }
    ~UnansweringPort()
    {
        ::close(m_filler);
        ::close(m_listener);
    }
    UnansweringPort(const UnansweringPort &) = delete;
    UnansweringPort &operator=(const UnansweringPort &) = delete;

    quint16 port() const { return m_port; }

private:
    int m_listener = -1;
    int m_filler = -1;
    quint16 m_port = 0;
};
