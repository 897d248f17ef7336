#include "apdinidbase.h"

#include "app/error.h"

#include <QCollator>
#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QSet>

#include <sys/stat.h>

#include <algorithm>

namespace {
const QString indexSection = QStringLiteral("Index");
const QString defaultsSection = QStringLiteral("Defaults");
const QString entriesName = QStringLiteral("_Entries");
const QString recordMark = QStringLiteral("#");

[[noreturn]] void fail(const char *message)
{
    throw RingseerError(QString::fromLatin1(message));
}

QString normalisedKey(const QString &key)
{
    // The file gives names back without surrounding blanks, so they never count.
    return key.trimmed().left(TApdIniDBase::MaxKeyLength).trimmed();
}

bool isStorableKey(const QString &key)
{
    if (key.isEmpty() || key.startsWith(QLatin1Char(';')) || key.startsWith(QLatin1Char('[')))
        return false;
    for (QChar c : key) {
        if (c == QLatin1Char('=') || c == QLatin1Char(']') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return false;
    }
    // A record of that name would write its fields into the database's own sections.
    return key.compare(indexSection, Qt::CaseInsensitive) != 0
        && key.compare(defaultsSection, Qt::CaseInsensitive) != 0;
}

// One value is one line; a line break inside it would end the line early.
QString storableValue(QString value)
{
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

bool isRecordKey(const IniDocument &doc, const QString &key)
{
    return doc.value(indexSection, key) == recordMark;
}
} // namespace

bool TApdIniDBase::FileStamp::operator==(const FileStamp &other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size
        && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

TApdIniDBase::FileStamp TApdIniDBase::FileStamp::of(const struct stat &info)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modified = info.st_mtim;
    return stamp;
}

TApdIniDBase::TApdIniDBase(FieldTable fields)
    : m_fields(std::move(fields)),
      m_defaults(m_fields)
{
}

void TApdIniDBase::SetFileName(const QString &path)
{
    SetOpen(false);
    m_fileName = path;
}

void TApdIniDBase::SetOpen(bool open)
{
    if (open) {
        ensureOpen();
        return;
    }
    m_open = false;
    m_count = 0;
    m_defaults = DbRecord(m_fields);
    m_recordList.clear();
    m_listStale = true;
    // Two writes within one tick of the file clock can leave identical stamps; after
    // closing, the next opening must read the file whatever its stamp says.
    m_document = IniDocument();
    m_documentValid = false;
    m_records.clear();
}

void TApdIniDBase::ensureOpen()
{
    if (!m_open)
        open();
}

void TApdIniDBase::open()
{
    m_documentValid = false;
    document();
    if (!m_documentStamp.exists) {
        IniDocument fresh;
        fresh.addSection(indexSection);
        fresh.setValue(defaultsSection, entriesName, QStringLiteral("0"));
        writeDocument(fresh);
    }
    const IniDocument &doc = m_document;
    m_count = doc.value(defaultsSection, entriesName).value_or(QString()).toInt();

    m_defaults = DbRecord(m_fields);
    m_records.clear();
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const FieldDef &field = m_fields.at(i);
        if (field.isKey)
            continue;
        const std::optional<QString> value = doc.value(defaultsSection, field.name);
        if (!value)
            continue;
        if (field.kind == FieldKind::Integer)
            m_defaults.setIntegerAt(i, value->toInt());
        else
            m_defaults.setTextAt(i, *value);
    }
    m_open = true;
    m_listStale = true;
}

const IniDocument &TApdIniDBase::document()
{
    const QByteArray path = QFile::encodeName(m_fileName);
    struct stat info {};
    FileStamp now;
    if (::stat(path.constData(), &info) == 0)
        now = FileStamp::of(info);
    if (m_documentValid && now == m_documentStamp)
        return m_document;

    if (!now.exists) {
        m_document = IniDocument();
        m_records.clear();
        m_documentStamp = now;
        m_documentValid = true;
        return m_document;
    }
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        fail("Generic INI file read error");
    // The stamp of what is actually read: a change during the read shows as a new stamp
    // at the next operation.
    if (::fstat(file.handle(), &info) == 0)
        now = FileStamp::of(info);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail("Generic INI file read error");
    m_document = IniDocument::fromBytes(bytes);
    m_records.clear();
    m_documentStamp = now;
    m_documentValid = true;
    return m_document;
}

void TApdIniDBase::writeDocument(const IniDocument &doc)
{
    const QByteArray bytes = doc.toBytes();
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        fail("Generic INI file write error");
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        fail("Generic INI file write error");
    }
    // Taken from the new file itself, so that a writer that comes between our rename
    // and a later stat cannot pass its file off as ours.
    struct stat info {};
    const bool stamped = ::fstat(file.handle(), &info) == 0;
    if (!file.commit())
        fail("Generic INI file write error");
    m_document = doc;
    m_records.clear();
    m_documentStamp = stamped ? FileStamp::of(info) : FileStamp();
    m_documentValid = stamped;
}

void TApdIniDBase::checkFields(const DbRecord &record) const
{
    if (!(record.fields() == m_fields))
        throw RingseerError(QStringLiteral("Record fields do not match the database"));
}

void TApdIniDBase::writeFields(IniDocument &doc, const QString &section, const DbRecord &record) const
{
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const FieldDef &field = m_fields.at(i);
        if (field.isKey)
            continue;
        if (field.kind == FieldKind::Integer) {
            doc.setValue(section, field.name, QString::number(record.integerAt(i)));
            continue;
        }
        const QString value = storableValue(record.textAt(i)).left(field.maxLength);
        if (!value.isEmpty())
            doc.setValue(section, field.name, value);
        else if (doc.value(section, field.name) != recordMark)
            doc.removeValue(section, field.name);
    }
}

QStringList TApdIniDBase::GetRecordList()
{
    ensureOpen();
    if (!m_listStale)
        return m_recordList;

    QStringList list;
    if (m_count > 0) {
        const QStringList names = document().names(indexSection);
        if (names.isEmpty())
            fail("Generic INI file read error");
        QSet<QString> seen;
        for (const QString &name : names) {
            if (!seen.contains(name.toCaseFolded())) {
                seen.insert(name.toCaseFolded());
                list.append(name);
            }
        }
        struct Entry
        {
            QString upper;
            QString name;
        };
        QList<Entry> entries;
        entries.reserve(list.size());
        for (const QString &name : std::as_const(list))
            entries.append({name.toUpper(), name});
        const QCollator collator(QLocale::system());
        std::sort(entries.begin(), entries.end(), [&collator](const Entry &a, const Entry &b) {
            const int order = collator.compare(a.upper, b.upper);
            return order != 0 ? order < 0 : a.name < b.name;
        });
        list.clear();
        for (const Entry &entry : std::as_const(entries))
            list.append(entry.name);
    }
    m_recordList = list;
    m_listStale = false;
    return m_recordList;
}

int TApdIniDBase::GetNumRecs()
{
    ensureOpen();
    return m_count;
}

bool TApdIniDBase::KeyExists(const QString &key)
{
    ensureOpen();
    return isRecordKey(document(), normalisedKey(key));
}

DbRecord TApdIniDBase::GetRecord(const QString &key)
{
    ensureOpen();
    std::optional<DbRecord> record = readRecord(document(), normalisedKey(key));
    if (!record)
        fail("Record not found in database");
    return *std::move(record);
}

QList<DbRecord> TApdIniDBase::GetRecords(const QStringList &keys)
{
    ensureOpen();
    const IniDocument &doc = document();
    QList<DbRecord> records;
    records.reserve(keys.size());
    for (const QString &key : keys) {
        if (std::optional<DbRecord> record = readRecord(doc, normalisedKey(key)))
            records.append(*std::move(record));
    }
    return records;
}

std::optional<DbRecord> TApdIniDBase::readRecord(const IniDocument &doc, const QString &name)
{
    // A caller look-up reads every record at every call: records already read from
    // this version of the file are handed out again.
    const QString folded = name.toCaseFolded();
    if (const auto cached = m_records.constFind(folded); cached != m_records.cend()) {
        DbRecord record = *cached;
        if (record.key() != name)
            record.setKey(name);
        return record;
    }
    if (!isRecordKey(doc, name))
        return std::nullopt;

    DbRecord record(m_fields);
    record.setKey(name);
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        const FieldDef &field = m_fields.at(i);
        if (field.isKey)
            continue;
        const std::optional<QString> value = doc.value(name, field.name);
        if (field.kind == FieldKind::Integer) {
            bool ok = false;
            const int number = value ? value->toInt(&ok) : 0;
            record.setIntegerAt(i, ok ? number : m_defaults.integerAt(i));
        } else if (!value) {
            record.setTextAt(i, m_defaults.textAt(i));
        } else {
            record.setTextAt(i, *value == recordMark ? QString() : *value);
        }
    }
    m_records.insert(folded, record);
    return record;
}

void TApdIniDBase::AddRecord(const DbRecord &record)
{
    ensureOpen();
    checkFields(record);
    if (m_count >= MaxRecords)
        fail("Maximum database records (999) reached");
    const QString key = normalisedKey(record.key());
    IniDocument doc = document();
    if (isRecordKey(doc, key))
        fail("Record already exists");
    if (!isStorableKey(key))
        fail("Invalid record key");

    doc.setValue(indexSection, key, recordMark);
    writeFields(doc, key, record);
    doc.setValue(defaultsSection, entriesName, QString::number(m_count + 1));
    writeDocument(doc);
    ++m_count;
    m_listStale = true;
}

void TApdIniDBase::UpdRecord(const QString &key, const DbRecord &record)
{
    ensureOpen();
    checkFields(record);
    const QString oldKey = normalisedKey(key);
    IniDocument doc = document();
    if (!isRecordKey(doc, oldKey))
        fail("Record not found in database");

    const QString newKey = normalisedKey(record.key());
    if (newKey.compare(oldKey, Qt::CaseInsensitive) == 0) {
        writeFields(doc, doc.storedName(indexSection, oldKey).value_or(oldKey), record);
    } else {
        if (isRecordKey(doc, newKey))
            fail("Record already exists");
        if (!isStorableKey(newKey))
            fail("Invalid record key");
        doc.removeValue(indexSection, oldKey);
        doc.removeSection(oldKey);
        doc.setValue(indexSection, newKey, recordMark);
        writeFields(doc, newKey, record);
    }
    writeDocument(doc);
    m_listStale = true;
}

void TApdIniDBase::DelRecord(const QString &key)
{
    ensureOpen();
    const QString name = normalisedKey(key);
    IniDocument doc = document();
    if (!isRecordKey(doc, name))
        fail("Record not found in database");

    doc.removeValue(indexSection, name);
    doc.removeSection(name);
    doc.setValue(defaultsSection, entriesName, QString::number(m_count - 1));
    writeDocument(doc);
    --m_count;
    m_listStale = true;
}
