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
};
