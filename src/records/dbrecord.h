#pragma once

#include "recorddefs.h"

#include <QList>
#include <QString>

// One record of a database, its values reached by field name. Text values are cut to
// their field's maximum length as they are set, so a record never holds more than the
// file may store.
class DbRecord
{
public:
    DbRecord() = default;
    explicit DbRecord(FieldTable fields);

    const FieldTable &fields() const { return m_fields; }

    // Unknown field names and the wrong kind are programming errors; they throw
    // RingseerError rather than quietly reading nothing.
    QString text(const QString &field) const;
    void setText(const QString &field, const QString &value);
    qint32 integer(const QString &field) const;
    void setInteger(const QString &field, qint32 value);

    QString key() const;
    void setKey(const QString &value);

    // By position in the field table, for the database itself.
    const QString &textAt(qsizetype index) const { return m_texts.at(index); }
    void setTextAt(qsizetype index, const QString &value);
    qint32 integerAt(qsizetype index) const { return m_integers.at(index); }
    void setIntegerAt(qsizetype index, qint32 value) { m_integers[index] = value; }

    bool operator==(const DbRecord &other) const = default;

private:
    qsizetype fieldIndex(const QString &field, FieldKind kind) const;

    FieldTable m_fields;
    QList<QString> m_texts;
    QList<qint32> m_integers;
};
