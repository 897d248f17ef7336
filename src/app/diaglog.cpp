#include "diaglog.h"

#include "datadir.h"

#include <QFile>

namespace {

// Qt keeps no separate separator setting; the short formats carry the locale's own. A
// blank only separates a month written in words (as in the C locale), never numbers.
QChar separatorIn(const QString &format, QChar fallback)
{
    for (QChar c : format) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\''))
            return c;
    }
    return fallback;
}

} // namespace

QString FormatLocalDateTime(const QDateTime &when, const QLocale &locale)
{
    const QChar dateSep = separatorIn(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
    const QChar timeSep = separatorIn(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
    const QDate date = when.date();
    const QTime time = when.time();
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0')) + dateSep + two(date.month())
        + dateSep + two(date.day()) + QLatin1Char(' ') + two(time.hour()) + timeSep + two(time.minute())
        + timeSep + two(time.second());
}

QString FormatLogTimestamp(const QDateTime &when, const QLocale &locale)
{
    return FormatLocalDateTime(when, locale) + QLatin1Char('.')
        + QStringLiteral("%1").arg(when.time().msec(), 3, 10, QLatin1Char('0'));
}

QString FormatLogLine(const QDateTime &when, const QLocale &locale, const QString &text)
{
    return QLatin1Char('[') + FormatLogTimestamp(when, locale) + QStringLiteral("]  ") + text;
}

bool AppendLogLine(const QString &path, const QString &line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    // One write call, so that lines of two processes appending at once do not interleave.
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written;
}

void WriteLog(const QString &text)
{
    const QDateTime now = QDateTime::currentDateTime();
    AppendLogLine(DataDir() + QStringLiteral("ringseer.log"), FormatLogLine(now, QLocale::system(), text));
}

void WriteDebugLog(const QString &text)
{
    WriteLog(text);
}
