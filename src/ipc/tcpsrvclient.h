#pragma once

#include <QDateTime>
#include <QString>
#include <QTcpSocket>

// One accepted client connection of the IPC server.
class TTcpSrvClient : public QTcpSocket
{
    Q_OBJECT

public:
    explicit TTcpSrvClient(QObject *parent = nullptr)
        : QTcpSocket(parent) {}

    // What the client last sent, without CR and LF; nothing ever answers it.
    QString ReceivedText;
    // Local date and time when the connection was accepted.
    QDateTime ConnectedAt;
};
