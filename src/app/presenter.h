#pragma once

#include <QString>
#include <QStringList>

struct AppSettingsRecord;
class TLanguage;

enum class TrayAction { Add = 0, Modify = 1, Delete = 2 };

// What the display-free core asks of the desktop program: boxes, the tray icon, the
// windows. The service supplies no presenter, which is exactly its headless behaviour.
class Presenter
{
public:
    virtual ~Presenter() = default;

    // Warning boxes captioned with the text of "msgError", owned by the main window or
    // by the settings dialog.
    virtual void showErrorBox(const QString &text) = 0;
    virtual void showSettingsErrorBox(const QString &text) = 0;
    virtual bool setTrayIcon(TrayAction action, int image, const QString &tip) = 0;

    virtual void showStatusWindow(const QString &text) = 0;
    virtual void closeStatusWindow() = 0;

    // Start-up steps that belong to the windows, in the order start-up calls them.
    virtual void fillCallerNames(const QStringList &names) = 0;
    virtual void translateAtStartup(TLanguage &language) = 0;
    virtual void createDialogs() = 0;
    virtual void loadSettingsDialog(const AppSettingsRecord &settings) = 0;
    virtual void applyMode(int mode) = 0;
    virtual void hideLineGroups() = 0;

    // The settings dialog's line list: its entries, and the red mark of a failed line.
    virtual void setLineList(const QStringList &names, const QString &current) = 0;
    virtual void setLineListFailed(bool failed) = 0;
    // Shows the settings dialog without waiting for it.
    virtual void showSettingsDialog() = 0;

    // What a handled call shows, in the order the call pipeline asks for it.
    virtual bool callLogVisible() = 0;
    virtual void showLog() = 0;
    // A record was added to the call log; a visible call log window lists it on top.
    virtual void callLogged(const QString &callTime, const QString &name, const QString &number) = 0;
    // Slides the caller card in; returns once it is in place.
    virtual void showAddForm(const QString &number, const QString &name) = 0;
    // Announces the caller by voice files and speech, with the menus disabled meanwhile.
    virtual void announceCaller(const QString &name, const QString &number) = 0;
    // Passes the caller data to another application as the remote setups say.
    virtual void dispatchCall(const QString &number, const QString &name) = 0;
};
