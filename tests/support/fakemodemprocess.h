#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A fakemodem process serving a pseudo-terminal behind a stable link path.
class FakeModemProcess
{
public:
    FakeModemProcess() = default;
    ~FakeModemProcess();

    // Starts the simulator with the link at linkPath; false when it did not come up.
    bool start(const QString &linkPath, const QStringList &arguments = {});
    void command(const QString &line);
    // Waits for an output line starting with the prefix; gives the whole line, or empty.
    QString waitForLine(const QString &prefix, int timeoutMs = 5000);
    QStringList receivedCommands();
    QString path() const { return m_path; }

private:
    void collect();

    QProcess m_process;
    QString m_path;
    QStringList m_lines;
    QByteArray m_partial;
};
