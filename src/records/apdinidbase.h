#pragma once

#include "dbrecord.h"
#include "inidocument.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <sys/stat.h>

// A record database in one profile-file ("INI") text file: the section "Index" lists the
// keys (key=#), "Defaults" holds "_Entries" (the record count) and optional field
// defaults, and every record has a section named by its key with one line per non-key
// field that has a value. The files are shared with the Windows originals and with
// other processes, so the layout is kept line for line.
//
// Each operation reads the file afresh, except that the parsed text is reused while
// the file's identity, size and modification time stay the same; a change is written
// at once and as a whole (temporary file, then rename), so a crash, a kill or a full
// disk leaves either the old or the new file. The record count and the key list are
// read at opening: another process's additions show in them after SetOpen(false).
//
// Failures throw RingseerError with the messages the program's users know:
// "Record already exists", "Record not found in database", "Maximum database records
// (999) reached", "Generic INI file write error", "Generic INI file read error", and
// "Invalid record key" for a key the file syntax cannot hold (see AddRecord).
class TApdIniDBase
{
public:
    static constexpr int MaxRecords = 999;
    static constexpr qsizetype MaxKeyLength = 31;

    explicit TApdIniDBase(FieldTable fields);
    Q_DISABLE_COPY_MOVE(TApdIniDBase)

    void SetFileName(const QString &path);
    const QString &FileName() const { return m_fileName; }

    // True opens now (creating a missing file with an empty index); false closes and
    // forgets the count, the defaults, the key list and the parsed text. Every other
    // operation opens a closed database first.
    void SetOpen(bool open);
    bool IsOpen() const { return m_open; }

    const FieldTable &Fields() const { return m_fields; }
    // An empty record with this database's fields.
    DbRecord NewRecord() const { return DbRecord(m_fields); }

    // All names in the section "Index", sorted without regard to case in the user's
    // locale order; built again only after opening, adding, updating or deleting.
    QStringList GetRecordList();
    int GetNumRecs();

    // Keys are cut to 31 characters and stripped of surrounding blanks before use.
    bool KeyExists(const QString &key);
    DbRecord GetRecord(const QString &key);
    // The records of the keys, in their order, from one reading of the file; a key that
    // is no longer a record (another program deleted it) is left out.
    QList<DbRecord> GetRecords(const QStringList &keys);

    // The key is the record's key field. A key that is empty, contains "=", "]" or a
    // line break, begins with ";" or "[", or names the sections "Index" or "Defaults"
    // is refused with "Invalid record key": the file could not give it back.
    void AddRecord(const DbRecord &record);
    // With the same key (without regard to case) the record's lines are rewritten in
    // place and the stored key keeps its letter case; with another key the record is
    // moved, after the checks of AddRecord, all of them made before anything changes.
    void UpdRecord(const QString &key, const DbRecord &record);
    void DelRecord(const QString &key);

private:
    struct FileStamp
    {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        static FileStamp of(const struct stat &info);
        bool operator==(const FileStamp &other) const;
    };

    void ensureOpen();
    void open();
    const IniDocument &document();
    void writeDocument(const IniDocument &doc);
    void writeFields(IniDocument &doc, const QString &section, const DbRecord &record) const;
    void checkFields(const DbRecord &record) const;
    // The record of a normalised key, or nothing when the key is not a record.
    std::optional<DbRecord> readRecord(const IniDocument &doc, const QString &name);

    FieldTable m_fields;
    QString m_fileName;
    bool m_open = false;
    int m_count = 0;
    DbRecord m_defaults;
    QStringList m_recordList;
    bool m_listStale = true;

    // The parsed file and the stamp of the file it was read from or written to.
    IniDocument m_document;
    FileStamp m_documentStamp;
    bool m_documentValid = false;
    // Records read from m_document, by case-folded key; emptied whenever it or the
    // defaults change.
    QHash<QString, DbRecord> m_records;
};
