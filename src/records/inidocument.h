#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// A profile-file ("INI") text held line by line, so that a change touches only the
// lines it concerns: comments, blank lines and lines it does not understand are
// written back exactly as they were read. Section and value names match without
// regard to case; where a name occurs twice, the first occurrence counts, as it does
// for the Windows profile functions that wrote the original files.
class IniDocument
{
public:
    // An empty document with Windows line ends, as a new file gets.
    IniDocument() = default;

    // Reads UTF-8, or Windows-1252 when the bytes are not valid UTF-8. Both line end
    // styles are accepted; the first one found is kept for writing.
    static IniDocument fromBytes(const QByteArray &bytes);
    // Always UTF-8, every line ended, with a byte order mark only if the file had one.
    QByteArray toBytes() const;

    bool hasSection(const QString &section) const;
    std::optional<QString> value(const QString &section, const QString &name) const;
    // The name as stored in the file, for keeping its letter case.
    std::optional<QString> storedName(const QString &section, const QString &name) const;
    // The value names of the section in file order; comments and other lines left out.
    QStringList names(const QString &section) const;

    // Appends an empty section at the end unless it exists.
    void addSection(const QString &section);
    // Rewrites the first line of that name in place, keeping the name's stored case;
    // otherwise adds the line after the last value of the section (right after its
    // header when it has none), appending the section at the end of the file when it
    // is missing.
    void setValue(const QString &section, const QString &name, const QString &value);
    // Removes every line of that name in every section of that name.
    void removeValue(const QString &section, const QString &name);
    // Removes every section of that name with all its lines, up to the next section.
    void removeSection(const QString &section);

    bool usesCrLf() const { return m_crlf; }

private:
    struct Line
    {
        enum Kind { Other, Section, Entry };
        Kind kind = Other;
        QString name;
        QString value;
        QString text;
    };

    static Line parseLine(const QString &text);
    static Line entryLine(const QString &name, const QString &value);
    qsizetype sectionHeader(const QString &section) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findEntry(qsizetype header, const QString &name) const;
    // The first value line of that name in the first section of that name, if any.
    const Line *findLine(const QString &section, const QString &name) const;
    void indexLines() const;
    void linesChanged() { m_indexValid = false; }

    QList<Line> m_lines;
    bool m_crlf = true;
    bool m_bom = false;

    // Rebuilt after lines move: folded section name -> line of its first header, and
    // (header line, folded value name) -> line of the first value of that name below it.
    mutable QHash<QString, qsizetype> m_sections;
    mutable QHash<std::pair<qsizetype, QString>, qsizetype> m_entries;
    mutable bool m_indexValid = false;
};
