#include "testenvironment.h"

#include "app/datadir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>

#include <unistd.h>

TestEnvironment::TestEnvironment()
{
    QDir root(m_root.path());
    for (const char *folder : {"home", "config", "runtime", "data"})
        root.mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", root.filePath(QStringLiteral("home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", root.filePath(QStringLiteral("runtime")).toLocal8Bit());
    // QSettings reads XDG_CONFIG_HOME once per process; each test gets its own folder.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root.filePath(QStringLiteral("config")));
    SetDataDirForTesting(dataDir());
}

QString TestEnvironment::configFile() const
{
    return m_root.path() + QStringLiteral("/config/ORV Software/Ringseer.conf");
}

QString TestEnvironment::readLog() const
{
    return readTextFile(logPath());
}

QProcessEnvironment TestEnvironment::processEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_root.path() + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.path() + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("RINGSEER_BOX_LOG"), m_root.path() + QStringLiteral("/boxes.txt"));
    return env;
}

QString TestEnvironment::installProgram(const QString &programName) const
{
    const QString source = QStringLiteral(RINGSEER_BIN_DIR "/") + programName;
    const QString target = dataDir() + programName;
    QFile::remove(target);
    if (::link(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) != 0)
        QFile::copy(source, target);
    installData();
    return target;
}

void TestEnvironment::installData() const
{
    const QString shipped = QStringLiteral(RINGSEER_SOURCE_DIR "/data");
    QDirIterator it(shipped, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = QDir(shipped).relativeFilePath(file);
        const QString destination = dataDir() + relative;
        if (QFile::exists(destination))
            continue;
        QDir().mkpath(QFileInfo(destination).path());
        QFile::copy(file, destination);
        QFile::setPermissions(destination, QFile::permissions(destination) | QFileDevice::WriteOwner);
    }
}

QString readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
