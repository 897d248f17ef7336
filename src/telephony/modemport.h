#pragma once

#include <QSerialPort>
#include <QString>
#include <QStringList>

// One serial connection to a modem with bounded, blocking AT command exchanges for
// probing and initialising. After initialising, the owner reads the port itself.
class ModemPort
{
public:
    enum class Result { Ok, Error, NoAnswer };

    struct Response
    {
        Result result = Result::NoAnswer;
        QStringList lines; // information lines, without echo and result code
    };

    // Opens the device; throws RingseerError with the reason when it cannot.
    void open(const QString &path);
    void close();
    bool isOpen() const { return m_port.isOpen(); }

    // Sends "AT…" and waits at most timeoutMs for the final result code.
    Response command(const QString &command, int timeoutMs = 1500);

    QSerialPort &port() { return m_port; }

    // The process holding a UUCP-style lock on the device, or 0 when it is free.
    static qint64 lockOwner(const QString &path);

private:
    QSerialPort m_port;
    QByteArray m_pending;
};
