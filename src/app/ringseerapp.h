#pragma once

#include "runflags.h"
#include "settings.h"
#include "ui/language.h"

#include <QObject>

#include <memory>

class CallPipeline;
class IpcClient;
class IpcServer;
class LineSelection;
class TApdIniDBase;
class Presenter;
class TamTapiPro;
class QTimer;

// The display-free half of the main window: it owns the run's settings, role flags
// and long-lived components, and runs the start-up and shutdown sequences. The
// desktop program supplies a presenter; the service runs it headless.
class RingseerApp : public QObject
{
    Q_OBJECT

public:
    // A fixed ten-digit number fed by the hidden "Test" menu entry.
    static constexpr const char *TestCallNumber = "5551234567";

    RingseerApp(const RunFlags &flags, const QString &serverAddress, Presenter *presenter,
                QObject *parent = nullptr);
    ~RingseerApp() override;

    void StartApplication();
    void ExitApplication();

    // Marks the "FirstRun" value once the sample callers point at their pictures.
    void RunFirstRunStep();

    // The user has handled the caller card since it was last shown for a call.
    bool cardTouched() const;
    void setCardTouched(bool touched);

    // The two sample callers shipped in the caller database.
    static const QStringList &SampleCallers();

    // Feeds a sample call into the call handling, as the hidden "Test" entry does.
    void FeedTestCall();

    const RunFlags &flags() const { return m_flags; }
    AppSettingsRecord &settings() { return m_settings; }
    const AppSettingsRecord &settings() const { return m_settings; }
    TLanguage &language() { return m_language; }
    TamTapiPro *amTapi() const { return m_amTapi; }
    TApdIniDBase &CallerDB() { return *m_callerDB; }
    TApdIniDBase &DirectoryDB() { return *m_directoryDB; }
    TApdIniDBase &CallLogDB() { return *m_callLogDB; }
    CallPipeline &pipeline() { return *m_pipeline; }
    IpcServer &IPCServer() { return *m_ipcServer; }
    IpcClient &IPCClient() { return *m_ipcClient; }

    // Ticks of SecTimer between two checks of the client connection; 60 unless the
    // environment variable RINGSEER_RECONNECT_SECONDS says otherwise.
    void setReconnectInterval(int ticks) { m_reconnectInterval = ticks; }

    // The settings dialog's line check: closes the line and opens the chosen one.
    void ChangeLine(const QString &lineName);

    // True once the shutdown sequence has asked the application to end.
    bool terminating() const { return m_terminating; }

Q_SIGNALS:
    void applicationTerminated();

private:
    bool headless() const { return m_flags.Headless; }
    void startServer();
    void connectToServer();
    bool waitForServerConnection();
    void SecTimerTimer();
    void serverCallReceived(const QByteArray &line, const QString &number, const QString &name);
    void runLineStep();
    void closeLine();
    void readRemainingSettings();

    RunFlags m_flags;
    QString m_serverAddressArgument;
    Presenter *m_presenter;
    AppSettingsRecord m_settings;
    TLanguage m_language;
    TamTapiPro *m_amTapi;
    std::unique_ptr<TApdIniDBase> m_callerDB;
    std::unique_ptr<TApdIniDBase> m_directoryDB;
    std::unique_ptr<TApdIniDBase> m_callLogDB;
    std::unique_ptr<LineSelection> m_lineSelection;
    CallPipeline *m_pipeline;
    IpcServer *m_ipcServer;
    IpcClient *m_ipcClient;
    QTimer *m_secTimer;
    int m_reconnectTicks = 0;
    int m_reconnectInterval = 60;
    bool m_connectingToServer = false;
    bool m_terminating = false;
};
