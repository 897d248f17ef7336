#include "datadir.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &overriddenDataDir()
{
    static QString folder;
    return folder;
}

QString withTrailingSeparator(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}
} // namespace

QString DataDir()
{
    if (!overriddenDataDir().isEmpty())
        return overriddenDataDir();
    return withTrailingSeparator(QCoreApplication::applicationDirPath());
}

void SetDataDirForTesting(const QString &folder)
{
    overriddenDataDir() = folder.isEmpty() ? QString() : withTrailingSeparator(folder);
}
