#include "ringseerapp.h"

#include "datadir.h"
#include "diaglog.h"
#include "presenter.h"
#include "texthelpers.h"
#include "records/apdinidbase.h"
#include "telephony/amtapipro.h"
#include "telephony/callpipeline.h"
#include "telephony/lineselection.h"

#include <QCoreApplication>

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
      m_pipeline(new CallPipeline(*m_amTapi, *m_callerDB, *m_callLogDB, m_settings, m_flags, presenter, this))
{
    connect(m_amTapi, &TamTapiPro::OnIncomingCall, m_pipeline, &CallPipeline::amTapiIncomingCall);
    connect(m_amTapi, &TamTapiPro::OnCallState, m_pipeline, &CallPipeline::amTapiCallState);
    connect(m_amTapi, &TamTapiPro::OnCallerID, m_pipeline, &CallPipeline::amTapiCallerID);
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
    // The listening socket arrives with the network distribution.
}

void RingseerApp::connectToServer()
{
    // The client connection arrives with the network distribution.
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
