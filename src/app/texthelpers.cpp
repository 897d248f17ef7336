#include "texthelpers.h"

#include "datadir.h"
#include "error.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

QString LeftStr(const QString &text, qsizetype n)
{
    return text.left(qMax<qsizetype>(n, 0));
}

QString RightStr(const QString &text, qsizetype n)
{
    return text.right(qMax<qsizetype>(n, 0));
}

static qsizetype findSeparator(const QString &text, const QString &sep)
{
    if (sep.isEmpty())
        return -1;
    return text.toUpper().indexOf(sep.toUpper());
}

QString TextBefore(const QString &text, const QString &sep)
{
    const qsizetype pos = findSeparator(text, sep);
    return pos < 0 ? text : text.left(pos);
}

QString TextAfter(const QString &text, const QString &sep)
{
    const qsizetype pos = findSeparator(text, sep);
    return pos < 0 ? text : text.mid(pos + sep.size());
}

QString TextBetween(const QString &text, const QString &start, const QString &end)
{
    return TextBefore(TextAfter(text, start), end);
}

QString PadLeft(const QString &text, QChar ch, qsizetype n)
{
    return text.size() >= n ? text : QString(n - text.size(), ch) + text;
}

QString PadRight(const QString &text, QChar ch, qsizetype n)
{
    return text.size() >= n ? text : text + QString(n - text.size(), ch);
}

QString ReplaceAllText(const QString &text, const QString &oldText, const QString &newText)
{
    if (oldText == newText || oldText.isEmpty())
        return text;
    QString result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype pos = text.indexOf(oldText, from, Qt::CaseInsensitive);
        if (pos < 0)
            break;
        result += QStringView(text).mid(from, pos - from);
        result += newText;
        from = pos + oldText.size();
    }
    result += QStringView(text).mid(from);
    return result;
}

QString RemoveChars(const QString &text, const QString &set)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        if (!set.contains(c))
            result += c;
    }
    return result;
}

QString JoinLines(const QString &text, const QString &sep)
{
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineEnd);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QString result;
    for (const QString &line : std::as_const(lines))
        result += line + sep;
    return result;
}

void PauseWithMessages(int milliseconds)
{
    if (milliseconds > 0) {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QCoreApplication::processEvents();
}

QString MakeTempFileIn(const QString &folder, const QString &extension)
{
    const QString cleanExtension = JoinLines(extension, QString());
    // Five digits give 100000 names; past them the folder is full or unwritable and
    // trying further would never end.
    constexpr int maxAttempts = 100000;
    for (int n = 0; n < maxAttempts; ++n) {
        const QString name = QDir(folder).filePath(
            QStringLiteral("temp_") + PadLeft(QString::number(n), QLatin1Char('0'), 5) + cleanExtension);
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Text))
            continue;
        file.write("ORV\n");
        file.close();
        return name;
    }
    throw RingseerError(QStringLiteral("Cannot create a temporary file in ") + folder);
}

QString MakeTempFile(const QString &extension)
{
    QString folder = QDir::tempPath();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = DataDir();
    return MakeTempFileIn(folder, extension);
}
