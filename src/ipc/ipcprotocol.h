#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The line protocol between a serving instance and its clients: one-way from server to
// client, text lines ending in CR LF, no length prefix and no escaping. Other programs
// and older instances read these bytes, so they must stay exactly as they are.

// Sent once to every client as soon as its connection is accepted.
inline constexpr char IpcGreeting[] = "Relaypost IPC ready\r\n";

// "CALLERID:" number ";" name CR LF; the separator is there also when the name is empty.
QByteArray CallerLine(const QString &number, const QString &name);

// One received line, cut at its LF (a CR in front of the LF stays part of the line), as
// text: up to its first zero byte, UTF-8, or the Windows Western code page when it is not
// valid UTF-8, which is what servers on older installations send.
QString DecodeServerLine(QByteArrayView line);

struct ServerCaller
{
    QString Number;
    QString Name;
};

// Takes a received line apart by the program's text rules: the text before the first
// ":" must be exactly "CALLERID" (case matters), the number runs from that ":" to the
// first ";", the name from the first ";" to the first CR. Anything else, the greeting
// among it, yields nothing.
std::optional<ServerCaller> ProcessServerResponse(const QString &line);

// The "ServerPort" setting is text; only a whole number from 1 to 65535 names a port.
std::optional<quint16> IpcPortNumber(const QString &port);
