#include "language.h"

#include "app/error.h"
#include "app/textcodec.h"
#include "app/texthelpers.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace {
TLanguage *processLanguage = nullptr;

QString textBeforeSemicolon(const QString &row)
{
    const qsizetype pos = row.indexOf(QLatin1Char(';'));
    return pos < 0 ? row : row.left(pos);
}

// Drops everything up to and including the first ";"; a text without one stays.
QString dropFirstColumn(const QString &row)
{
    const qsizetype pos = row.indexOf(QLatin1Char(';'));
    return pos < 0 ? row : row.mid(pos + 1);
}
} // namespace

void TLanguage::LoadFile(const QString &path)
{
    m_lines.clear();
    m_keys.clear();
    m_tablePath = path;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
        m_lines = DecodeDataFile(file.readAll()).split(lineEnd);
        if (!m_lines.isEmpty() && m_lines.last().isEmpty())
            m_lines.removeLast();
    }
    for (const QString &row : std::as_const(m_lines))
        m_keys.append(textBeforeSemicolon(row));
}

QString TLanguage::Lookup(const QString &section, const QString &name, const QString &defaultText)
{
    const QString key = section + QStringLiteral("->") + name;
    qsizetype found = -1;
    for (qsizetype i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].compare(key, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    if (found < 0) {
        m_lines.append(key + QLatin1Char(';') + defaultText);
        m_keys.append(key);
        save();
        return defaultText;
    }
    QString text = dropFirstColumn(m_lines[found]);
    for (int column = 1; column < m_currentLanguage; ++column)
        text = dropFirstColumn(text);
    text = textBeforeSemicolon(text);
    text = ReplaceAllText(text, QStringLiteral("\\n"), QStringLiteral("\r\n"));
    return text;
}

QString TLanguage::LanguageName(int index, bool *more) const
{
    QString text = dropFirstColumn(m_lines.value(0));
    for (int i = 0; i < index; ++i)
        text = dropFirstColumn(text);
    const bool hasMore = text.contains(QLatin1Char(';'));
    if (more)
        *more = hasMore;
    return textBeforeSemicolon(text);
}

void TLanguage::save() const
{
    QSaveFile file(m_tablePath);
    if (!file.open(QIODevice::WriteOnly))
        throw RingseerError(QStringLiteral("Cannot write ") + m_tablePath + QStringLiteral(": ") + file.errorString());
    for (const QString &row : m_lines)
        file.write((row + QStringLiteral("\r\n")).toUtf8());
    if (!file.commit())
        throw RingseerError(QStringLiteral("Cannot write ") + m_tablePath + QStringLiteral(": ") + file.errorString());
}

TLanguage *TheLanguage()
{
    return processLanguage;
}

void SetTheLanguage(TLanguage *language)
{
    processLanguage = language;
}

QString MessageText(const QString &key)
{
    if (!processLanguage)
        return QString();
    try {
        return processLanguage->Lookup(QStringLiteral("msg"), key, QString());
    } catch (const RingseerError &) {
        return QString();
    }
}
