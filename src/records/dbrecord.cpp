#include "dbrecord.h"

#include "app/error.h"

DbRecord::DbRecord(FieldTable fields)
    : m_fields(std::move(fields)),
      m_texts(m_fields.size()),
      m_integers(m_fields.size(), 0)
{
}

qsizetype DbRecord::fieldIndex(const QString &field, FieldKind kind) const
{
    const qsizetype index = m_fields.indexOf(field);
    if (index < 0)
        throw RingseerError(QStringLiteral("Unknown record field \"%1\"").arg(field));
    if (m_fields.at(index).kind != kind)
        throw RingseerError(QStringLiteral("Record field \"%1\" is not of that kind").arg(field));
    return index;
}

QString DbRecord::text(const QString &field) const
{
    return m_texts.at(fieldIndex(field, FieldKind::Text));
}

void DbRecord::setText(const QString &field, const QString &value)
{
    setTextAt(fieldIndex(field, FieldKind::Text), value);
}

qint32 DbRecord::integer(const QString &field) const
{
    return m_integers.at(fieldIndex(field, FieldKind::Integer));
}

void DbRecord::setInteger(const QString &field, qint32 value)
{
    m_integers[fieldIndex(field, FieldKind::Integer)] = value;
}

QString DbRecord::key() const
{
    if (m_fields.keyIndex() < 0)
        throw RingseerError(QStringLiteral("Record without fields"));
    return m_texts.at(m_fields.keyIndex());
}

void DbRecord::setKey(const QString &value)
{
    if (m_fields.keyIndex() < 0)
        throw RingseerError(QStringLiteral("Record without fields"));
    setTextAt(m_fields.keyIndex(), value);
}

void DbRecord::setTextAt(qsizetype index, const QString &value)
{
    m_texts[index] = value.left(m_fields.at(index).maxLength);
}
