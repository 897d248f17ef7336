#pragma once

#include <QString>

class Presenter;
class TamTapiPro;
struct AppSettingsRecord;
struct RunFlags;

// Chooses, opens and checks the watched line: at start-up the stored line (or the
// first usable one), and again whenever the user picks a line or directory in the
// settings dialog. Every failure is reported to the user and to the log.
class LineSelection
{
public:
    LineSelection(TamTapiPro &tapi, AppSettingsRecord &settings, const RunFlags &flags, Presenter *presenter);

    void selectAtStartup();
    void changeFromDialog(const QString &lineName);

private:
    enum class Variant { Startup, Dialog };

    bool checkCapability(Variant variant);
    void reportFailure(Variant variant, const QString &reason);
    void reportNoUsableLine();
    bool headless() const;

    TamTapiPro &m_tapi;
    AppSettingsRecord &m_settings;
    const RunFlags &m_flags;
    Presenter *m_presenter;
};
