#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

// The translation table "language.csv": one row per text, one column per language,
// ";" between columns and no quoting. Keys are "section->name" and match without
// regard to case. A key the table lacks is appended with its designed text and the
// file is saved at once, so running the program produces a complete table for
// translators.
class TLanguage
{
public:
    void LoadFile(const QString &path);

    int CurrentLanguage() const { return m_currentLanguage; }
    void SetCurrentLanguage(int language) { m_currentLanguage = language; }

    // Throws RingseerError when a missing key cannot be saved.
    QString Lookup(const QString &section, const QString &name, const QString &defaultText);

    // Name of the language with number index + 1; *more tells whether more follow.
    QString LanguageName(int index, bool *more) const;

    const QString &TablePath() const { return m_tablePath; }

    // The first window ever translated; a change of language translates it again.
    QObject *MainControl() const { return m_mainControl; }
    void SetMainControl(QObject *control) { m_mainControl = control; }
    const QStringList &Lines() const { return m_lines; }

private:
    void save() const;

    QString m_tablePath;
    QStringList m_lines;
    QStringList m_keys;
    int m_currentLanguage = 1;
    QPointer<QObject> m_mainControl;
};

// The process-wide translation object, created by start-up; null before that.
TLanguage *TheLanguage();
void SetTheLanguage(TLanguage *language);

// The text of a message key in the current language; empty without a table or on error.
QString MessageText(const QString &key);
