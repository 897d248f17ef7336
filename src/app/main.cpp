#include "app/diaglog.h"
#include "app/messagebox.h"
#include "app/ringseerapp.h"
#include "app/ringseerapplication.h"
#include "app/ringseerform.h"
#include "app/runflags.h"
#include "app/shutdownsignals.h"
#include "app/singleinstance.h"

#include <QApplication>

#include <exception>

namespace {

// A window cannot place itself on Wayland, and the caller card must slide up from the
// screen corner; run through XWayland unless the user chose a platform.
void preferX11OnWayland()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int main(int argc, char *argv[])
{
    preferX11OnWayland();
    RingseerApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ringseer"));
    QApplication::setOrganizationName(QStringLiteral("ORV Software"));
    QApplication::setApplicationVersion(QStringLiteral(RINGSEER_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("Look who is calling"));

    // Installed before the lock is taken: whoever sees the lock may also signal us.
    ShutdownSignals signals;

    SingleInstance instance(QStringLiteral("Ringseer"));
    if (!instance.tryAcquire()) {
        ShowMessageBox(nullptr, QStringLiteral("Ringseer"), false,
                       QStringLiteral("Ringseer is already running as icon in taskbar"));
        return 0;
    }

    const CommandLine commandLine = ParseCommandLine(QApplication::arguments());
    if (commandLine.InstallOrUninstall)
        return 0;

    QApplication::setQuitOnLastWindowClosed(false);
    TRingseerForm form(commandLine);

    QObject::connect(&signals, &ShutdownSignals::shutdownRequested, &form, &TRingseerForm::ExitApplication);
    // The session manager asks before the desktop session ends; the settings are saved
    // whatever the session decides afterwards.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &form, &TRingseerForm::ExitApplication);

    QObject::connect(form.app(), &RingseerApp::applicationTerminated, &application, [] { QApplication::exit(0); },
                     Qt::QueuedConnection);

    try {
        form.FormCreate();
    } catch (const std::exception &error) {
        WriteLog(QString::fromUtf8(error.what()));
        ShowMessageBox(&form, QStringLiteral("Ringseer"), true, QString::fromUtf8(error.what()));
    }
    if (form.app()->terminating())
        return 0;
    return QApplication::exec();
}
