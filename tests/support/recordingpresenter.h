#pragma once

#include "app/presenter.h"
#include "app/settings.h"

#include <QStringList>

#include <functional>

// Stands in for the windows: records what the core asked to show, one text per request.
class RecordingPresenter : public Presenter
{
public:
    QStringList calls;

    QStringList take() { return std::exchange(calls, {}); }

    void showErrorBox(const QString &text) override { calls << QStringLiteral("box: ") + text; }
    void showSettingsErrorBox(const QString &text) override { calls << QStringLiteral("settings box: ") + text; }
    bool setTrayIcon(TrayAction action, int image, const QString &tip) override
    {
        calls << QStringLiteral("tray: %1 %2 %3").arg(int(action)).arg(image).arg(tip);
        return true;
    }
    void showStatusWindow(const QString &text) override { calls << QStringLiteral("status: ") + text; }
    void closeStatusWindow() override {}
    void fillCallerNames(const QStringList &) override {}
    void translateAtStartup(TLanguage &) override {}
    void createDialogs() override {}
    void loadSettingsDialog(const AppSettingsRecord &) override {}
    void applyMode(int) override {}
    void hideLineGroups() override { calls << QStringLiteral("hide line groups"); }
    void setLineList(const QStringList &names, const QString &current) override
    {
        calls << QStringLiteral("lines: ") + names.join(QLatin1Char(',')) + QStringLiteral(" selected ") + current;
    }
    void setLineListFailed(bool failed) override
    {
        calls << (failed ? QStringLiteral("lines red") : QStringLiteral("lines normal"));
    }
    void showSettingsDialog() override { calls << QStringLiteral("settings dialog"); }

    bool logVisible = false;
    bool callLogVisible() override { return logVisible; }
    void showLog() override
    {
        logVisible = true;
        calls << QStringLiteral("show log");
    }
    void callLogged(const QString &, const QString &name, const QString &number) override
    {
        calls << QStringLiteral("logged: ") + name + QLatin1Char(';') + number;
    }
    void showAddForm(const QString &number, const QString &name) override
    {
        calls << QStringLiteral("card: ") + number + QLatin1Char(';') + name;
        if (onCard)
            onCard();
    }
    void announceCaller(const QString &name, const QString &number) override
    {
        calls << QStringLiteral("announce: ") + name + QLatin1Char(';') + number;
    }
    void dispatchCall(const QString &number, const QString &name) override
    {
        calls << QStringLiteral("dispatch: ") + number + QLatin1Char(';') + name;
    }

    // Runs while the card slides in, as other events may.
    std::function<void()> onCard;
};
