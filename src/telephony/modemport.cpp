#include "modemport.h"

#include "app/error.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <csignal>

namespace {

bool isFinalResult(const QString &line, ModemPort::Result *result)
{
    if (line == QLatin1String("OK") || line == QLatin1String("0")) {
        *result = ModemPort::Result::Ok;
        return true;
    }
    if (line == QLatin1String("ERROR") || line == QLatin1String("4") || line == QLatin1String("NO CARRIER")) {
        *result = ModemPort::Result::Error;
        return true;
    }
    return false;
}

} // namespace

void ModemPort::open(const QString &path)
{
    if (!QFileInfo::exists(path))
        throw RingseerError(QStringLiteral("line device ") + path + QStringLiteral(" not found"));
    if (const qint64 owner = lockOwner(path))
        throw RingseerError(path + QStringLiteral(" is in use by process ") + QString::number(owner));
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite))
        throw RingseerError(QStringLiteral("cannot open ") + path + QStringLiteral(": ") + m_port.errorString());
    // Pinout signals are never read: pseudo-terminals fail every such request.
    m_port.setBaudRate(QSerialPort::Baud115200);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.clear();
    m_pending.clear();
}

void ModemPort::close()
{
    if (m_port.isOpen())
        m_port.close();
    m_pending.clear();
}

ModemPort::Response ModemPort::command(const QString &command, int timeoutMs)
{
    Response response;
    if (!m_port.isOpen())
        return response;
    m_port.write(command.toLatin1() + '\r');
    m_port.flush();

    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        qsizetype end;
        while ((end = m_pending.indexOf('\r')) >= 0 || (end = m_pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromLatin1(m_pending.left(end)).trimmed();
            m_pending.remove(0, end + 1);
            // Echoed command lines and unsolicited rings are not part of the answer.
            if (line.isEmpty() || line.compare(command, Qt::CaseInsensitive) == 0 || line == QLatin1String("RING"))
                continue;
            if (isFinalResult(line, &response.result))
                return response;
            response.lines << line;
        }
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0 || !m_port.waitForReadyRead(int(remaining)))
            break;
        m_pending += m_port.readAll();
    }
    response.result = Result::NoAnswer;
    return response;
}

qint64 ModemPort::lockOwner(const QString &path)
{
    const QString device = QFileInfo(QFileInfo(path).canonicalFilePath()).fileName();
    if (device.isEmpty())
        return 0;
    for (const char *folder : {"/var/lock/", "/run/lock/"}) {
        QFile lock(QString::fromLatin1(folder) + QStringLiteral("LCK..") + device);
        if (!lock.open(QIODevice::ReadOnly))
            continue;
        const QByteArray content = lock.read(64);
        bool ok = false;
        // UUCP locks hold the owner's process number as ASCII text; old ones as a binary int.
        qint64 pid = content.split('\n').value(0).trimmed().toLongLong(&ok);
        if (!ok && content.size() == 4) {
            qint32 binary = 0;
            std::memcpy(&binary, content.constData(), sizeof binary);
            pid = binary;
        }
        if (pid <= 0 || pid == QCoreApplication::applicationPid())
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno == EPERM)
            return pid;
    }
    return 0;
}
