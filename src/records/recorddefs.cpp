#include "recorddefs.h"

#include "app/error.h"

FieldTable::FieldTable(std::initializer_list<FieldDef> fields)
    : m_fields(fields)
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const FieldDef &field = m_fields.at(i);
        if (!field.isKey)
            continue;
        if (m_keyIndex >= 0 || field.kind != FieldKind::Text)
            throw RingseerError(QStringLiteral("Invalid field table: the key must be one text field"));
        m_keyIndex = i;
    }
    if (m_keyIndex < 0)
        throw RingseerError(QStringLiteral("Invalid field table: no key field"));
}

qsizetype FieldTable::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool FieldTable::operator==(const FieldTable &other) const
{
    if (m_fields.size() != other.m_fields.size() || m_keyIndex != other.m_keyIndex)
        return false;
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const FieldDef &a = m_fields.at(i);
        const FieldDef &b = other.m_fields.at(i);
        if (a.name != b.name || a.kind != b.kind || a.maxLength != b.maxLength || a.isKey != b.isKey)
            return false;
    }
    return true;
}

namespace {
FieldDef keyText(const char *name, qsizetype maxLength)
{
    return {QString::fromLatin1(name), FieldKind::Text, maxLength, true};
}

FieldDef text(const char *name, qsizetype maxLength)
{
    return {QString::fromLatin1(name), FieldKind::Text, maxLength, false};
}

FieldDef integer(const char *name)
{
    return {QString::fromLatin1(name), FieldKind::Integer, 0, false};
}
} // namespace

const FieldTable &CallerFields()
{
    static const FieldTable table{keyText("CallerName", 31), text("CallerID", 20), text("Picture", 255)};
    return table;
}

const FieldTable &DirectoryFields()
{
    static const FieldTable table{keyText("Directory", 30),       text("URL", 200),
                                  text("UntilStringFirst", 20),   integer("OffsetFirst"),
                                  text("UntilStringSecond", 20),  integer("OffsetSecond"),
                                  text("UntilStringThird", 20),   integer("OffsetThird"),
                                  text("EndString", 20)};
    return table;
}

const FieldTable &CallLogFields()
{
    static const FieldTable table{keyText("CallTime", 20), text("CallerName", 31), text("CallerID", 20)};
    return table;
}
