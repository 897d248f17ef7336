#include "lineselection.h"

#include "amtapipro.h"
#include "app/diaglog.h"
#include "app/error.h"
#include "app/presenter.h"
#include "app/runflags.h"
#include "app/settings.h"
#include "app/texthelpers.h"
#include "ui/language.h"

namespace {

// Monitor and owner privileges together.
constexpr unsigned MonitorAndOwnerPrivilege = 6;

struct MediaModeChoice
{
    const char *logText;
    unsigned mediaMode;
};

MediaModeChoice mediaModeFor(int devCaps)
{
    if (devCaps & TamTapiPro::AutomatedVoice)
        return {":DevCaps: AUTOMATEDVOICE", 8};
    if (devCaps & TamTapiPro::InteractiveVoice)
        return {":DevCaps: INTERACTIVEVOICE", 4};
    if (devCaps & TamTapiPro::DataModem)
        return {":DevCaps: DATAMODEM", 16};
    return {":DevCaps: UNKNOWN", 2};
}

} // namespace

LineSelection::LineSelection(TamTapiPro &tapi, AppSettingsRecord &settings, const RunFlags &flags,
                             Presenter *presenter)
    : m_tapi(tapi), m_settings(settings), m_flags(flags), m_presenter(presenter)
{
}

bool LineSelection::headless() const
{
    return m_flags.Headless || !m_presenter;
}

void LineSelection::selectAtStartup()
{
    QStringList usableLines;
    for (int index = 0; index <= m_tapi.LineCount() - 1; ++index) {
        const QString name = m_tapi.GetLineName(index);
        m_tapi.SetLineName(name);
        if (m_tapi.LineUsable() > 0)
            usableLines << name;
    }
    if (usableLines.isEmpty()) {
        reportNoUsableLine();
        return;
    }

    // A stored line is used even when it is not listed now: the check reports it.
    if (!m_settings.Modem.isEmpty()) {
        m_tapi.SetLineName(m_settings.Modem);
    } else {
        m_tapi.SetLineName(usableLines.first());
        m_settings.Modem = usableLines.first().left(AppSettingsRecord::ModemCapacity);
        WriteSetting(QStringLiteral("Modem"), m_settings.Modem);
    }

    checkCapability(Variant::Startup);
    if (!headless())
        m_presenter->setLineList(usableLines, m_tapi.LineName());
}

void LineSelection::changeFromDialog(const QString &lineName)
{
    try {
        m_tapi.SetLineOpen(false);
    } catch (const std::exception &) {
        // Closing a line that fails to close leaves nothing to undo.
    }
    m_tapi.SetLineName(lineName);
    PauseWithMessages(100);
    checkCapability(Variant::Dialog);
    if (m_tapi.LineOpen() && !headless()) {
        m_presenter->setLineListFailed(false);
        m_presenter->setTrayIcon(TrayAction::Modify, 0, QStringLiteral("Ringseer"));
    }
}

bool LineSelection::checkCapability(Variant variant)
{
    try {
        m_tapi.SetCallPrivilege(MonitorAndOwnerPrivilege);
        const MediaModeChoice choice = mediaModeFor(m_tapi.DevCaps());
        WriteLog(m_tapi.LineName() + QString::fromLatin1(choice.logText));
        m_tapi.SetMediaMode(choice.mediaMode);
        if (variant == Variant::Dialog)
            PauseWithMessages(100);
        m_tapi.SetLineOpen(true);
        if (!(m_tapi.DevCaps() & TamTapiPro::CallerIdCapable))
            throw RingseerError(QStringLiteral("CALLERID NOT SUPPORTED"));
        return true;
    } catch (const RingseerError &error) {
        reportFailure(variant, error.message());
    } catch (const std::exception &error) {
        reportFailure(variant, QString::fromUtf8(error.what()));
    }
    return false;
}

void LineSelection::reportFailure(Variant variant, const QString &reason)
{
    const QString lineName = m_tapi.LineName();
    const QString notAvailable = MessageText(QStringLiteral("msgModemNotAvailable"));
    const QString logLine = lineName + notAvailable + QStringLiteral(" [") + reason + QLatin1Char(']');
    const QString boxText = logLine + QLatin1Char('\n') + MessageText(QStringLiteral("msgPleaseSelectValidModem"));

    if (variant == Variant::Startup) {
        if (!headless()) {
            m_presenter->showErrorBox(boxText);
            m_presenter->setTrayIcon(TrayAction::Modify, 1, lineName + notAvailable);
            m_presenter->showSettingsDialog();
            m_presenter->setLineListFailed(true);
        }
        WriteLog(logLine);
        return;
    }

    if (!headless())
        m_presenter->showSettingsErrorBox(boxText);
    WriteLog(logLine);
    if (!headless())
        m_presenter->setTrayIcon(TrayAction::Modify, 1, QStringLiteral("Modem not available"));
    try {
        m_tapi.SetLineOpen(false);
    } catch (const std::exception &) {
    }
    if (!headless())
        m_presenter->setLineListFailed(true);
}

void LineSelection::reportNoUsableLine()
{
    const QString noModems = MessageText(QStringLiteral("msgNoModems"));
    if (!headless()) {
        m_presenter->setTrayIcon(TrayAction::Modify, 1, noModems);
        m_presenter->showErrorBox(noModems);
    }
    WriteLog(noModems);
}
