#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// Appends one time-stamped line to "ringseer.log" in the data folder. The file is
// opened and closed for every line so that another process may read or delete it at
// any time. Never fails towards the caller: a line that cannot be written is lost.
void WriteLog(const QString &text);

// The same file and format; used for the internet transfer's trace lines.
void WriteDebugLog(const QString &text);

// "yyyy/mm/dd hh:nn:ss" with the locale's date and time separators, as call-log
// records store it.
QString FormatLocalDateTime(const QDateTime &when, const QLocale &locale);

// The same with ".zzz" milliseconds.
QString FormatLogTimestamp(const QDateTime &when, const QLocale &locale);

// "[" timestamp "]  " text, without the line end.
QString FormatLogLine(const QDateTime &when, const QLocale &locale, const QString &text);

// Appends the line to the given file; false when it could not be written.
bool AppendLogLine(const QString &path, const QString &line);
