#include "ipcprotocol.h"

#include "app/textcodec.h"
#include "app/texthelpers.h"

QByteArray CallerLine(const QString &number, const QString &name)
{
    return (QStringLiteral("CALLERID:") + number + QLatin1Char(';') + name + QStringLiteral("\r\n")).toUtf8();
}

QString DecodeServerLine(QByteArrayView line)
{
    const qsizetype zero = line.indexOf('\0');
    return DecodeDataFile(line.first(zero < 0 ? line.size() : zero).toByteArray());
}

std::optional<ServerCaller> ProcessServerResponse(const QString &line)
{
    if (TextBefore(line, QStringLiteral(":")) != QLatin1String("CALLERID"))
        return std::nullopt;
    return ServerCaller{TextBetween(line, QStringLiteral(":"), QStringLiteral(";")),
                        TextBetween(line, QStringLiteral(";"), QStringLiteral("\r"))};
}

std::optional<quint16> IpcPortNumber(const QString &port)
{
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number == 0 || number > 65535)
        return std::nullopt;
    return quint16(number);
}
