#pragma once

#include <QString>
#include <QStringList>

// Role flags of the run, fixed at start-up. None of them is tied to the mode setting.
struct RunFlags
{
    bool ClientRun = false;
    bool ServerRun = false;
    bool DebugRun = false;
    bool Headless = false;
};

// What the command line asks for. Only the first two arguments are looked at.
struct CommandLine
{
    bool InstallOrUninstall = false; // "/INSTALL" or "/UNINSTALL": skip the whole start-up
    RunFlags Flags;
    QString ServerAddress;
};

// Switches are matched anywhere in the first argument, in any case; the server
// address comes from the second argument.
CommandLine ParseCommandLine(const QStringList &arguments);

// The text after "/IP=" in the upper-cased argument, or the whole upper-cased argument
// when it holds no "/IP="; cut to 20 characters.
QString ServerAddressFromArgument(const QString &argument);
