#include "ringseerapp.h"

#include "datadir.h"
#include "diaglog.h"
#include "presenter.h"
#include "texthelpers.h"
#include "ipc/ipcclient.h"
#include "ipc/ipcserver.h"
#include "records/apdinidbase.h"
#include "telephony/amtapipro.h"
#include "telephony/callpipeline.h"
#include "telephony/lineselection.h"

#include <QCoreApplication>
#include <QTimer>

RingseerApp::RingseerApp(const RunFlags &flags, const QString &serverAddress, Presenter *presenter,
                         QObject *parent)
    : QObject(parent),
      m_flags(flags),
      m_serverAddressArgument(serverAddress),
      m_presenter(presenter),
      m_amTapi(new TamTapiPro(this)),
      m_callerDB(std::make_unique<TApdIniDBase>(CallerFields())),
      m_directoryDB(std::make_unique<TApdIniDBase>(DirectoryFields())),
      m_callLogDB(std::make_unique<TApdIniDBase>(CallLogFields())),
      m_lineSelection(std::make_unique<LineSelection>(*m_amTapi, m_settings, m_flags, presenter)),
      m_pipeline(new CallPipeline(*m_amTapi, *m_callerDB, *m_callLogDB, m_settings, m_flags, presenter, this)),
      m_ipcServer(new IpcServer(this)),
      m_ipcClient(new IpcClient(this)),
      m_secTimer(new QTimer(this))
{
    connect(m_amTapi, &TamTapiPro::OnIncomingCall, m_pipeline, &CallPipeline::amTapiIncomingCall);
    connect(m_amTapi, &TamTapiPro::OnCallState, m_pipeline, &CallPipeline::amTapiCallState);
    connect(m_amTapi, &TamTapiPro::OnCallerID, m_pipeline, &CallPipeline::amTapiCallerID);

    connect(m_pipeline, &CallPipeline::callerLineReady, m_ipcServer, &IpcServer::Broadcast);
    connect(m_ipcClient, &IpcClient::callerLineReceived, this, &RingseerApp::serverCallReceived);

    // Tests that restart a server cannot wait a minute for the client's next check.
    bool intervalGiven = false;
    const int reconnectSeconds = qEnvironmentVariableIntValue("RINGSEER_RECONNECT_SECONDS", &intervalGiven);
    if (intervalGiven && reconnectSeconds > 0)
        m_reconnectInterval = reconnectSeconds;
    m_secTimer->setObjectName(QStringLiteral("SecTimer"));
    m_secTimer->setInterval(1000);
    connect(m_secTimer, &QTimer::timeout, this, &RingseerApp::SecTimerTimer);
    m_secTimer->start();
}

const QStringList &RingseerApp::SampleCallers()
{
    static const QStringList names = {QStringLiteral("Ringseer Support"), QStringLiteral("Jane Sample")};
    return names;
}

bool RingseerApp::cardTouched() const
{
    return m_pipeline->CardTouched();
}

void RingseerApp::setCardTouched(bool touched)
{
    m_pipeline->SetCardTouched(touched);
}

RingseerApp::~RingseerApp()
{
    if (TheLanguage() == &m_language)
        SetTheLanguage(nullptr);
}

void RingseerApp::StartApplication()
{
    const QString dataDir = DataDir();
    m_callerDB->SetFileName(dataDir + QStringLiteral("Callers.DB"));
    m_directoryDB->SetFileName(dataDir + QStringLiteral("Directories.DB"));
    m_callLogDB->SetFileName(dataDir + QStringLiteral("CallLog.DB"));
    if (!headless())
        m_presenter->fillCallerNames(m_callerDB->GetRecordList());

    m_settings.Language = ReadIntegerSetting(QStringLiteral("Language"), 1);

    m_language.LoadFile(dataDir + QStringLiteral("language.csv"));
    SetTheLanguage(&m_language);
    m_language.SetCurrentLanguage(m_settings.Language);
    if (!headless()) {
        m_presenter->translateAtStartup(m_language);
        m_presenter->createDialogs();
    }

    m_settings.ServerAddress = m_serverAddressArgument.left(AppSettingsRecord::ServerAddressCapacity);
    m_settings.ServerPort = ReadTextSetting(QStringLiteral("ServerPort"), QStringLiteral("50134"),
                                            AppSettingsRecord::ServerPortCapacity);

    if (m_flags.ServerRun) {
        if (!headless()) {
            m_presenter->showStatusWindow(QStringLiteral("Starting server..."));
            PauseWithMessages(200);
        }
        startServer();
        if (!headless())
            m_presenter->closeStatusWindow();
    }
    if (!headless())
        m_presenter->closeStatusWindow();

    readRemainingSettings();

    if (!headless()) {
        m_presenter->loadSettingsDialog(m_settings);
        m_presenter->applyMode(m_settings.Mode);
        m_presenter->setTrayIcon(TrayAction::Add, 0, QStringLiteral("Ringseer"));
    }

    if (m_flags.ClientRun) {
        if (!headless())
            m_presenter->hideLineGroups();
        connectToServer();
    } else {
        runLineStep();
    }
}

void RingseerApp::readRemainingSettings()
{
    m_settings.Directory = ReadTextSetting(QStringLiteral("Directory"), QStringLiteral("(NONE)"),
                                           AppSettingsRecord::DirectoryCapacity);
    m_settings.VFCallerName = ReadTextSetting(QStringLiteral("VFCallerName"), QString(),
                                              AppSettingsRecord::VoiceFileCapacity);
    m_settings.VFCallerNumber = ReadTextSetting(QStringLiteral("VFCallerNumber"), QString(),
                                                AppSettingsRecord::VoiceFileCapacity);
    m_settings.SpeakCallerInfo = ReadIntegerSetting(QStringLiteral("SpeakCallerInfo"), 0);
    m_settings.Mode = ReadIntegerSetting(QStringLiteral("Mode"), 0);
    m_settings.Modem = ReadTextSetting(QStringLiteral("Modem"), QString(), AppSettingsRecord::ModemCapacity);
    m_settings.CallLogOnTop = ReadIntegerSetting(QStringLiteral("CallLogOnTop"), 0);
}

void RingseerApp::startServer()
{
    if (m_ipcServer->Listen(m_settings.ServerPort))
        return;
    // No second attempt: the instance runs on without serving.
    const QString text = MessageText(QStringLiteral("msgIPCPortUsed")) + m_settings.ServerPort;
    if (!headless())
        m_presenter->showErrorBox(text);
    WriteLog(text);
}

void RingseerApp::connectToServer()
{
    m_ipcClient->Connect(m_settings.ServerAddress, m_settings.ServerPort);
    if (!waitForServerConnection())
        return;
    if (!m_ipcClient->Connected() && !headless())
        m_presenter->showErrorBox(MessageText(QStringLiteral("msgNoServerAvailable")) + m_settings.ServerAddress
                                  + QLatin1Char(':') + m_settings.ServerPort);
}

bool RingseerApp::waitForServerConnection()
{
    m_connectingToServer = true;
    const bool stillRunning = m_ipcClient->WaitWhileConnecting([this] { return m_terminating; });
    m_connectingToServer = false;
    return stillRunning;
}

void RingseerApp::SecTimerTimer()
{
    ++m_reconnectTicks;
    if (m_reconnectTicks != m_reconnectInterval || !m_flags.ClientRun)
        return;
    m_reconnectTicks = 0;
    // Ticks keep coming while a connection is being made; they must not start another.
    if (m_connectingToServer)
        return;
    if (!m_ipcClient->Connected()) {
        if (!headless())
            m_presenter->setTrayIcon(TrayAction::Modify, 1,
                                     QStringLiteral("No server availabe on IP=") + m_settings.ServerAddress
                                         + QLatin1Char(':') + m_settings.ServerPort);
        m_ipcClient->Connect(m_settings.ServerAddress, m_settings.ServerPort);
        if (!waitForServerConnection())
            return;
    }
    if (m_ipcClient->Connected() && !headless())
        m_presenter->setTrayIcon(TrayAction::Modify, 0, QStringLiteral("Ringseer"));
}

void RingseerApp::serverCallReceived(const QByteArray &line, const QString &number, const QString &name)
{
    // Two instances that serve each other would pass one call back and forth for ever:
    // a line this instance sent out itself moments ago is its own call coming back.
    if (m_ipcServer->SentRecently(line)) {
        WriteLog(QStringLiteral("Not handled again, this instance sent it moments ago: ")
                 + QString::fromUtf8(line).trimmed());
        return;
    }
    m_pipeline->amTapiCallerID(number, name, CallerIdNumberPresent | CallerIdNamePresent);
}

void RingseerApp::runLineStep()
{
    m_lineSelection->selectAtStartup();
}

void RingseerApp::ChangeLine(const QString &lineName)
{
    m_lineSelection->changeFromDialog(lineName);
}

void RingseerApp::closeLine()
{
    if (m_amTapi->LineOpen())
        m_amTapi->SetLineOpen(false);
}

void RingseerApp::RunFirstRunStep()
{
    if (!ReadSetting(QStringLiteral("FirstRun"), QString()).isEmpty())
        return;
    // The sample pictures lie next to the program, wherever it was installed.
    for (const QString &name : SampleCallers()) {
        if (!m_callerDB->KeyExists(name))
            continue;
        DbRecord record = m_callerDB->GetRecord(name);
        record.setText(QStringLiteral("Picture"), DataDir() + name + QStringLiteral(".bmp"));
        m_callerDB->UpdRecord(name, record);
    }
    WriteSetting(QStringLiteral("FirstRun"), QStringLiteral("FALSE"));
}

void RingseerApp::FeedTestCall()
{
    m_pipeline->amTapiCallerID(QString::fromLatin1(TestCallNumber), QString(),
                               CallerIdNumberPresent | CallerIdNamePresent);
}

void RingseerApp::ExitApplication()
{
    if (m_terminating)
        return;
    try {
        closeLine();
    } catch (...) {
        // A line that fails to close must not keep the settings from being saved.
    }
    if (headless())
        return;

    SaveSettingsAtExit(m_settings);
    m_presenter->setTrayIcon(TrayAction::Delete, 1, QString());
    m_settings.Language = m_language.CurrentLanguage();
    WriteSetting(QStringLiteral("Language"), QString::number(m_settings.Language));

    m_terminating = true;
    Q_EMIT applicationTerminated();
}
