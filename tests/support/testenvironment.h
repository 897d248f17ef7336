#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// Gives a test its own home, configuration and runtime folders and its own data
// folder, so that no test touches a real user's files or another test's.
class TestEnvironment
{
public:
    TestEnvironment();

    QString root() const { return m_root.path(); }
    QString dataDir() const { return m_root.path() + QStringLiteral("/data/"); }
    QString configFile() const;
    QString logPath() const { return dataDir() + QStringLiteral("ringseer.log"); }
    QString readLog() const;

    // Environment for programs started by the test.
    QProcessEnvironment processEnvironment() const;

    // Places a built program (by hard link, else a copy) and the shipped data into the
    // data folder, so the program finds its files next to itself as installed.
    QString installProgram(const QString &programName) const;
    // Places the shipped data files (translation table, databases, pictures) only.
    void installData() const;

private:
    QTemporaryDir m_root;
};

QString readTextFile(const QString &path);
