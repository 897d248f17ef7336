#include "settings.h"

#include "diaglog.h"

#include <QSettings>

namespace {
const QString settingsGroup = QStringLiteral("Settings");

QString organisation() { return QStringLiteral("ORV Software"); }
QString application() { return QStringLiteral("Ringseer"); }
} // namespace

QString ReadSetting(const QString &name, const QString &defaultText)
{
    QSettings store(organisation(), application());
    if (store.status() == QSettings::AccessError)
        return defaultText;
    if (store.status() != QSettings::NoError)
        return QString();
    store.beginGroup(settingsGroup);
    const QVariant value = store.value(name);
    if (!value.isValid())
        return defaultText;
    // Anything but plain text (a list, a byte array, a typed variant) is a value of
    // another type, which the store cannot hand out as text.
    if (value.typeId() != QMetaType::QString)
        return QString();
    const QString text = value.toString();
    return text.isEmpty() ? defaultText : text;
}

void WriteSetting(const QString &name, const QString &text)
{
    QSettings store(organisation(), application());
    store.beginGroup(settingsGroup);
    store.setValue(name, text);
    store.endGroup();
    store.sync();
}

std::optional<int> ToInteger(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().size() == text.size() ? text.toInt(&ok, 10) : 0;
    if (!ok)
        return std::nullopt;
    return value;
}

int ReadIntegerSetting(const QString &name, int defaultValue)
{
    const QString text = ReadSetting(name, QString::number(defaultValue));
    if (const std::optional<int> value = ToInteger(text))
        return *value;
    WriteLog(QStringLiteral("Setting ") + name + QStringLiteral(" is not a whole number ('") + text
             + QStringLiteral("'), using ") + QString::number(defaultValue));
    return defaultValue;
}

QString ReadTextSetting(const QString &name, const QString &defaultText, qsizetype capacity)
{
    return ReadSetting(name, defaultText).left(capacity);
}

void SaveSettingsAtExit(const AppSettingsRecord &settings)
{
    WriteSetting(QStringLiteral("Mode"), QString::number(settings.Mode));
    WriteSetting(QStringLiteral("CallLogOnTop"), QString::number(settings.CallLogOnTop));
    WriteSetting(QStringLiteral("Modem"), settings.Modem);
    WriteSetting(QStringLiteral("ServerPort"), settings.ServerPort);
    WriteSetting(QStringLiteral("Directory"), settings.Directory);
    WriteSetting(QStringLiteral("VFCallerName"), settings.VFCallerName);
    WriteSetting(QStringLiteral("VFCallerNumber"), settings.VFCallerNumber);
    WriteSetting(QStringLiteral("SpeakCallerInfo"), QString::number(settings.SpeakCallerInfo));
}
