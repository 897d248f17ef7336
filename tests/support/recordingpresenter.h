#pragma once

#include "app/presenter.h"
#include "app/settings.h"

#include <QStringList>

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
};
