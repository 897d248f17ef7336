#include "runflags.h"

#include "settings.h"

CommandLine ParseCommandLine(const QStringList &arguments)
{
    CommandLine result;
    const QString first = arguments.value(1).toUpper();
    if (first.contains(QStringLiteral("/INSTALL")) || first.contains(QStringLiteral("/UNINSTALL"))) {
        result.InstallOrUninstall = true;
        return result;
    }
    result.Flags.ClientRun = first.contains(QStringLiteral("/CLIENT"));
    result.Flags.ServerRun = first.contains(QStringLiteral("/SERVER"));
    result.Flags.DebugRun = first.contains(QStringLiteral("/DEBUG"));
    result.ServerAddress = ServerAddressFromArgument(arguments.value(2));
    return result;
}

QString ServerAddressFromArgument(const QString &argument)
{
    const QString upper = argument.toUpper();
    static const QString marker = QStringLiteral("/IP=");
    const qsizetype pos = upper.indexOf(marker);
    const QString address = pos < 0 ? upper : upper.mid(pos + marker.size());
    return address.left(AppSettingsRecord::ServerAddressCapacity);
}
