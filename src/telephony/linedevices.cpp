#include "linedevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

void addDevice(QList<LineDevice> &devices, QSet<QString> &seenTargets, const QString &name, const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty() || seenTargets.contains(target))
        return;
    seenTargets.insert(target);
    devices.append({name, path});
}

} // namespace

QList<LineDevice> ListLineDevices()
{
    QList<LineDevice> devices;
    QSet<QString> seenTargets;

    const QString lines = qEnvironmentVariable("RINGSEER_LINES");
    for (const QString &path : lines.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        addDevice(devices, seenTargets, path, path);

    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &entry : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        addDevice(devices, seenTargets, entry.fileName(), entry.filePath());

    const QDir dev(QStringLiteral("/dev"));
    const QStringList patterns = {QStringLiteral("ttyACM*"), QStringLiteral("ttyUSB*")};
    for (const QFileInfo &entry : dev.entryInfoList(patterns, QDir::System | QDir::Files, QDir::Name))
        addDevice(devices, seenTargets, entry.fileName(), entry.filePath());
    return devices;
}

QString LinePathForName(const QString &name)
{
    if (name.isEmpty())
        return QString();
    if (name.startsWith(QLatin1Char('/')))
        return name;
    if (name.contains(QLatin1Char('/')))
        return QString();
    const QString byId = QStringLiteral("/dev/serial/by-id/") + name;
    return QFileInfo::exists(byId) ? byId : QStringLiteral("/dev/") + name;
}
