#include "inidocument.h"

#include "app/textcodec.h"

namespace {
const QByteArray utf8Bom("\xEF\xBB\xBF");
} // namespace

IniDocument IniDocument::fromBytes(const QByteArray &bytes)
{
    IniDocument doc;
    QByteArrayView content(bytes);
    if (content.startsWith(utf8Bom)) {
        doc.m_bom = true;
        content = content.sliced(utf8Bom.size());
    }
    const qsizetype firstLf = content.indexOf('\n');
    if (firstLf >= 0)
        doc.m_crlf = firstLf > 0 && content.at(firstLf - 1) == '\r';

    const QString text = DecodeDataFile(content.toByteArray());
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype next = end < 0 ? text.size() : end + 1;
        if (end < 0)
            end = text.size();
        qsizetype length = end - start;
        if (length > 0 && text.at(end - 1) == QLatin1Char('\r'))
            --length;
        doc.m_lines.append(parseLine(text.mid(start, length)));
        start = next;
    }
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    const QString eol = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const Line &line : m_lines)
        text += line.text + eol;
    QByteArray bytes = m_bom ? utf8Bom : QByteArray();
    bytes += text.toUtf8();
    return bytes;
}

IniDocument::Line IniDocument::parseLine(const QString &text)
{
    Line line;
    line.text = text;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('['))) {
        line.kind = Line::Section;
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        line.name = (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
    } else if (!trimmed.startsWith(QLatin1Char(';'))) {
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            line.kind = Line::Entry;
            line.name = trimmed.left(eq).trimmed();
            line.value = trimmed.mid(eq + 1).trimmed();
        }
    }
    return line;
}

IniDocument::Line IniDocument::entryLine(const QString &name, const QString &value)
{
    return {Line::Entry, name, value, name + QLatin1Char('=') + value};
}

void IniDocument::indexLines() const
{
    m_sections.clear();
    m_entries.clear();
    qsizetype header = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines.at(i);
        // Where a name occurs twice, the first occurrence is the one indexed.
        if (line.kind == Line::Section) {
            header = i;
            const QString folded = line.name.toCaseFolded();
            if (!m_sections.contains(folded))
                m_sections.insert(folded, i);
        } else if (line.kind == Line::Entry) {
            const std::pair<qsizetype, QString> key{header, line.name.toCaseFolded()};
            if (!m_entries.contains(key))
                m_entries.insert(key, i);
        }
    }
    m_indexValid = true;
}

qsizetype IniDocument::sectionHeader(const QString &section) const
{
    if (!m_indexValid)
        indexLines();
    return m_sections.value(section.toCaseFolded(), -1);
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines.at(i).kind != Line::Section)
        ++i;
    return i;
}

qsizetype IniDocument::findEntry(qsizetype header, const QString &name) const
{
    if (!m_indexValid)
        indexLines();
    return m_entries.value({header, name.toCaseFolded()}, -1);
}

bool IniDocument::hasSection(const QString &section) const
{
    return sectionHeader(section) >= 0;
}

const IniDocument::Line *IniDocument::findLine(const QString &section, const QString &name) const
{
    const qsizetype header = sectionHeader(section);
    if (header < 0)
        return nullptr;
    const qsizetype entry = findEntry(header, name);
    return entry < 0 ? nullptr : &m_lines.at(entry);
}

std::optional<QString> IniDocument::value(const QString &section, const QString &name) const
{
    if (const Line *line = findLine(section, name))
        return line->value;
    return std::nullopt;
}

std::optional<QString> IniDocument::storedName(const QString &section, const QString &name) const
{
    if (const Line *line = findLine(section, name))
        return line->name;
    return std::nullopt;
}

QStringList IniDocument::names(const QString &section) const
{
    QStringList result;
    const qsizetype header = sectionHeader(section);
    if (header < 0)
        return result;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines.at(i).kind == Line::Entry)
            result.append(m_lines.at(i).name);
    }
    return result;
}

void IniDocument::addSection(const QString &section)
{
    if (hasSection(section))
        return;
    m_lines.append({Line::Section, section, QString(), QLatin1Char('[') + section + QLatin1Char(']')});
    // Nothing moved: the index only gains the new section.
    if (m_indexValid)
        m_sections.insert(section.toCaseFolded(), m_lines.size() - 1);
}

void IniDocument::setValue(const QString &section, const QString &name, const QString &value)
{
    addSection(section);
    const qsizetype header = sectionHeader(section);
    const qsizetype entry = findEntry(header, name);
    if (entry >= 0) {
        m_lines[entry] = entryLine(m_lines.at(entry).name, value);
        return;
    }
    // After the section's last value: blank lines and comments that lead to the next
    // section stay in front of it.
    qsizetype insertAt = header + 1;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines.at(i).kind == Line::Entry)
            insertAt = i + 1;
    }
    m_lines.insert(insertAt, entryLine(name, value));
    if (insertAt == m_lines.size() - 1 && m_indexValid)
        m_entries.insert({header, name.toCaseFolded()}, insertAt); // appended: nothing moved
    else
        linesChanged();
}

void IniDocument::removeValue(const QString &section, const QString &name)
{
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size();) {
        const Line &line = m_lines.at(i);
        if (line.kind == Line::Section)
            inSection = line.name.compare(section, Qt::CaseInsensitive) == 0;
        else if (inSection && line.kind == Line::Entry && line.name.compare(name, Qt::CaseInsensitive) == 0) {
            m_lines.removeAt(i);
            linesChanged();
            continue;
        }
        ++i;
    }
}

void IniDocument::removeSection(const QString &section)
{
    for (qsizetype header = sectionHeader(section); header >= 0; header = sectionHeader(section)) {
        m_lines.remove(header, sectionEnd(header) - header);
        linesChanged();
    }
}
