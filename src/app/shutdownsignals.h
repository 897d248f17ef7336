#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGHUP into a signal on the event loop, so that a desktop
// session's end or a service stop runs the regular shutdown and saves the settings.
class ShutdownSignals : public QObject
{
    Q_OBJECT

public:
    explicit ShutdownSignals(QObject *parent = nullptr);
    ~ShutdownSignals() override;

Q_SIGNALS:
    void shutdownRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
