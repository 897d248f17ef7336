#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <arpa/inet.h>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// A client on a plain socket, read by the test without an event loop: it sees exactly
// the bytes the server sent, and the time the system received them.
class RawClient
{
public:
    // A receive buffer size other than 0 is set before connecting.
    explicit RawClient(quint16 port, int receiveBufferSize = 0)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
        if (receiveBufferSize > 0)
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBufferSize, sizeof receiveBufferSize);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(m_fd); }
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    bool connected() const { return m_connected; }

    // What arrives within the time, in one read; arrivedNs gets the system's receive time.
    QByteArray receive(int timeoutMs, qint64 *arrivedNs = nullptr)
    {
        pollfd readable{m_fd, POLLIN, 0};
        if (::poll(&readable, 1, timeoutMs) <= 0)
            return QByteArray();
        char data[65536];
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
        iovec part{data, sizeof data};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t count = ::recvmsg(m_fd, &message, 0);
        if (count <= 0) {
            m_closed = true;
            return QByteArray();
        }
        for (cmsghdr *header = CMSG_FIRSTHDR(&message); header && arrivedNs; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_TIMESTAMPNS) {
                timespec stamp;
                memcpy(&stamp, CMSG_DATA(header), sizeof stamp);
                *arrivedNs = qint64(stamp.tv_sec) * 1000000000 + stamp.tv_nsec;
            }
        }
        return QByteArray(data, count);
    }

    // Everything that arrives until nothing more comes for the given time.
    QByteArray receiveAll(int quietMs)
    {
        QByteArray all;
        for (QByteArray part; !(part = receive(quietMs)).isEmpty();)
            all += part;
        return all;
    }

    void send(const QByteArray &data) { (void)::send(m_fd, data.constData(), data.size(), MSG_NOSIGNAL); }

    // True once a read found the connection closed by the server.
    bool closed() const { return m_closed; }

private:
    int m_fd = -1;
    bool m_connected = false;
    bool m_closed = false;
};
