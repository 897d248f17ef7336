#include "singleinstance.h"

#include <QDir>

#include <unistd.h>

SingleInstance::SingleInstance(const QString &name)
    : m_lock(std::make_unique<QLockFile>(QDir(lockFolder()).filePath(name + QStringLiteral(".lock"))))
{
    // Only a dead owner makes a lock stale, never its age: a long-running instance
    // must keep its lock.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::tryAcquire()
{
    return m_lock->tryLock(0);
}

QString SingleInstance::lockFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QString::fromLocal8Bit(runtime);
    const QString folder = QDir::temp().filePath(QStringLiteral("ringseer-%1").arg(::getuid()));
    QDir().mkpath(folder);
    return folder;
}
