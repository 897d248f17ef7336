#include "callpipeline.h"

#include "amtapipro.h"
#include "app/diaglog.h"
#include "app/error.h"
#include "app/presenter.h"
#include "app/runflags.h"
#include "app/settings.h"
#include "app/texthelpers.h"
#include "ipc/ipcprotocol.h"
#include "records/apdinidbase.h"

#include <QDateTime>
#include <QScopeGuard>

QString PresentCallerNumber(const QString &number)
{
    if (number.size() != 10)
        return number;
    return number.left(3) + QLatin1Char('-') + number.mid(3, 3) + QLatin1Char('-') + number.mid(6);
}

CallPipeline::CallPipeline(TamTapiPro &tapi, TApdIniDBase &callerDB, TApdIniDBase &callLogDB,
                           AppSettingsRecord &settings, const RunFlags &flags, Presenter *presenter, QObject *parent)
    : QObject(parent),
      m_tapi(tapi),
      m_callerDB(callerDB),
      m_callLogDB(callLogDB),
      m_settings(settings),
      m_flags(flags),
      m_presenter(presenter)
{
}

void CallPipeline::amTapiIncomingCall(int ringNumber)
{
    WriteLog(QStringLiteral("RINGING: ") + QString::number(ringNumber));
    if (m_currentCallerID == NoData)
        askLineForCallerData();
}

void CallPipeline::amTapiCallState(const QString &state)
{
    WriteLog(QStringLiteral("CALL STATE:") + state);
    if (state == QLatin1String("IDLE")) {
        m_currentCallerID = NoData;
        m_currentCallerName = NoData;
    }
    if (state == QLatin1String("OFFERING") && m_currentCallerID == NoData)
        askLineForCallerData();
}

void CallPipeline::askLineForCallerData()
{
    QString number, name;
    int flags = 0;
    m_tapi.GetCallerID(number, name, flags);
    if (flags & CallerIdNumberPresent)
        amTapiCallerID(number, name, flags);
}

void CallPipeline::amTapiCallerID(const QString &number, const QString &name, int flags)
{
    // An outgoing call being set up reports the dialled party, not a caller.
    if (m_tapi.CallStateText().contains(QLatin1String("PROCEEDING")))
        return;
    if (flags & CallerIdNumberPresent)
        m_currentCallerID = PresentCallerNumber(number);
    if (flags & CallerIdWithheld)
        m_currentCallerID = QStringLiteral("BLOCKED");
    if (flags & CallerIdNamePresent)
        m_currentCallerName = name;

    // A caller-ID event during a running pipeline only updates the texts it uses.
    if (m_handlingCall)
        return;
    m_handlingCall = true;
    const auto clearGuard = qScopeGuard([this] { m_handlingCall = false; });

    try {
        runPipeline(number);
    } catch (const std::exception &error) {
        const QString message = QString::fromUtf8(error.what());
        WriteLog(QStringLiteral("Call handling stopped: ") + message);
        if (!m_flags.Headless && m_presenter)
            m_presenter->showErrorBox(message);
    }
}

void CallPipeline::runPipeline(const QString &number)
{
    if (m_settings.Directory != QLatin1String("(NONE)") && m_currentCallerName == NoData && m_directoryLookup)
        m_currentCallerName = m_directoryLookup(number).left(31);
    else
        PauseWithMessages(200);

    const QString callerLine = QStringLiteral("CALLERID:") + m_currentCallerID + QLatin1Char(';') + m_currentCallerName;
    WriteLog(callerLine);
    if (m_flags.ServerRun)
        Q_EMIT callerLineReady(CallerLine(m_currentCallerID, m_currentCallerName));

    if (m_flags.Headless || !m_presenter)
        return;

    if (m_settings.CallLogOnTop != 0 && !m_presenter->callLogVisible())
        m_presenter->showLog();
    if (const std::optional<QString> name = FindCallerName(m_callerDB, m_currentCallerID))
        m_currentCallerName = *name;
    logCallKeepingTheCall();

    if (m_settings.Mode == ModeActive) {
        m_presenter->showAddForm(m_currentCallerID, m_currentCallerName);
        m_cardTouched = false;
        if (m_settings.SpeakCallerInfo != 0)
            m_presenter->announceCaller(m_currentCallerName, m_currentCallerID);
    } else if (m_settings.Mode == ModePassive) {
        m_presenter->dispatchCall(m_currentCallerID, m_currentCallerName);
    }
}

std::optional<QString> FindCallerName(TApdIniDBase &callerDB, const QString &number)
{
    const QStringList keys = callerDB.GetRecordList();
    const int count = qMin<int>(callerDB.GetNumRecs(), int(keys.size()));
    std::optional<QString> name;
    // Every record is visited: with several records for one number the last one wins.
    for (const DbRecord &record : callerDB.GetRecords(keys.first(count))) {
        if (record.text(QStringLiteral("CallerID")) == number)
            name = record.text(QStringLiteral("CallerName"));
    }
    return name;
}

void CallPipeline::logCallKeepingTheCall()
{
    // A refused call-log record (two calls in one second, a full log) must not cost the
    // user the caller card and the announcement.
    try {
        LogCall(m_currentCallerName, m_currentCallerID);
    } catch (const RingseerError &error) {
        WriteLog(QStringLiteral("Call not entered in the call log: ") + error.message());
    }
}

QString CallPipeline::LogCall(const QString &name, const QString &number)
{
    DbRecord record = m_callLogDB.NewRecord();
    const QString callTime = FormatLocalDateTime(QDateTime::currentDateTime(), QLocale::system()).left(20);
    record.setText(QStringLiteral("CallTime"), callTime);
    record.setText(QStringLiteral("CallerName"), name.left(31));
    record.setText(QStringLiteral("CallerID"), number.left(20));
    m_callLogDB.AddRecord(record);
    if (!m_flags.Headless && m_presenter)
        m_presenter->callLogged(callTime, record.text(QStringLiteral("CallerName")),
                                record.text(QStringLiteral("CallerID")));
    return callTime;
}
