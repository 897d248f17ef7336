#pragma once

#include <QList>
#include <QString>

#include <initializer_list>

enum class FieldKind { Text, Integer };

// One field of a database record. maxLength applies to text fields only; the key field
// is a text field whose value is the record's section name in the file.
struct FieldDef
{
    QString name;
    FieldKind kind = FieldKind::Text;
    qsizetype maxLength = 0;
    bool isKey = false;
};

// The fixed, ordered fields of one database. The order is the order in which a
// record's lines are written to its section.
class FieldTable
{
public:
    FieldTable() = default;
    // Throws RingseerError unless exactly one text field carries the key mark.
    FieldTable(std::initializer_list<FieldDef> fields);

    const QList<FieldDef> &fields() const { return m_fields; }
    qsizetype size() const { return m_fields.size(); }
    const FieldDef &at(qsizetype index) const { return m_fields.at(index); }

    // Field names match without regard to case, as they do in the file; -1 when absent.
    qsizetype indexOf(const QString &name) const;
    qsizetype keyIndex() const { return m_keyIndex; }

    bool operator==(const FieldTable &other) const;

private:
    QList<FieldDef> m_fields;
    qsizetype m_keyIndex = -1;
};

// CallerName (key, 31), CallerID (20), Picture (255).
const FieldTable &CallerFields();
// Directory (key, 30), URL (200), UntilStringFirst (20), OffsetFirst, UntilStringSecond (20),
// OffsetSecond, UntilStringThird (20), OffsetThird, EndString (20).
const FieldTable &DirectoryFields();
// CallTime (key, 20), CallerName (31), CallerID (20).
const FieldTable &CallLogFields();
