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

    // Warning box owned by the main window, captioned with the text of "msgError".
    virtual void showErrorBox(const QString &text) = 0;
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
};
