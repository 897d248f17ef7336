#pragma once

#include <QString>

#include <optional>

// The per-user settings of the run. Text fields are cut to their capacity whenever a
// value enters the record.
struct AppSettingsRecord
{
    static constexpr qsizetype ModemCapacity = 100;
    static constexpr qsizetype ServerAddressCapacity = 20;
    static constexpr qsizetype ServerPortCapacity = 10;
    static constexpr qsizetype DirectoryCapacity = 100;
    static constexpr qsizetype VoiceFileCapacity = 250;

    int Mode = 0;
    QString Modem;
    QString ServerAddress;
    QString ServerPort;
    QString Directory;
    QString VFCallerName;
    QString VFCallerNumber;
    int SpeakCallerInfo = 0;
    int CallLogOnTop = 0;
    int Language = 0;
};

enum Mode { ModeActive = 0, ModePassive = 1, ModeServer = 2 };

// Reads a value of the settings group: the stored text, the default when the stored
// text is absent or empty, and the empty text (without the default) when the value
// cannot be read as text. Each call opens and closes the store by itself.
QString ReadSetting(const QString &name, const QString &defaultText);

// Stores the text under the name; failures are ignored.
void WriteSetting(const QString &name, const QString &text);

// Strict decimal conversion of a whole number; nothing for anything else.
std::optional<int> ToInteger(const QString &text);

// Reads a numeric value. A value that is not a whole number falls back to the default
// and leaves a log line, so that one bad value does not cost the rest of start-up.
int ReadIntegerSetting(const QString &name, int defaultValue);

// Reads a text value and cuts it to the capacity.
QString ReadTextSetting(const QString &name, const QString &defaultText, qsizetype capacity);

// Writes the values saved at a regular exit, in their fixed order.
void SaveSettingsAtExit(const AppSettingsRecord &settings);
