#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// A per-user lock held for the whole run, so that one desktop session runs one
// instance. A lock left behind by a crashed instance is taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString &name);

    // False when another live instance holds the lock.
    bool tryAcquire();

    static QString lockFolder();

private:
    std::unique_ptr<QLockFile> m_lock;
};
