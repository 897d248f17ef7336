#include "fakemodemprocess.h"

#include <QDeadlineTimer>
#include <QTest>

FakeModemProcess::~FakeModemProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool FakeModemProcess::start(const QString &linkPath, const QStringList &arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(RINGSEER_BIN_DIR "/fakemodem"),
                    QStringList{QStringLiteral("--link"), linkPath} + arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    m_path = linkPath;
    return !waitForLine(QStringLiteral("READY")).isEmpty();
}

void FakeModemProcess::command(const QString &line)
{
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(1000);
}

void FakeModemProcess::collect()
{
    m_partial += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        m_lines << QString::fromUtf8(m_partial.left(end));
        m_partial.remove(0, end + 1);
    }
}

QString FakeModemProcess::waitForLine(const QString &prefix, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        collect();
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].startsWith(prefix))
                return m_lines.takeAt(i);
        }
        if (deadline.hasExpired())
            return QString();
        // Keep the caller's event loop running: the program under test reads the device.
        QTest::qWait(20);
    }
}

QStringList FakeModemProcess::receivedCommands()
{
    collect();
    QStringList commands;
    for (const QString &line : std::as_const(m_lines)) {
        if (line.startsWith(QLatin1String("AT> ")))
            commands << line.mid(4);
    }
    return commands;
}
