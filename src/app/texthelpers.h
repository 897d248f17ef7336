#pragma once

#include <QString>

// Text helpers with the program's own rules: separators are found without regard to
// case, and a missing separator yields the whole text rather than nothing. Web page
// extraction, the line protocol and the translation table all depend on these rules.

QString LeftStr(const QString &text, qsizetype n);
QString RightStr(const QString &text, qsizetype n);
QString TextBefore(const QString &text, const QString &sep);
QString TextAfter(const QString &text, const QString &sep);
QString TextBetween(const QString &text, const QString &start, const QString &end);
QString PadLeft(const QString &text, QChar ch, qsizetype n);
QString PadRight(const QString &text, QChar ch, qsizetype n);
QString ReplaceAllText(const QString &text, const QString &oldText, const QString &newText);
QString RemoveChars(const QString &text, const QString &set);
QString JoinLines(const QString &text, const QString &sep);

// Waits for the given time while the event loop keeps running, so other handlers
// (sockets, timers, telephony events) may run inside the pause.
void PauseWithMessages(int milliseconds);

// Reserves a new numbered file "temp_NNNNN<extension>" in the temporary folder and
// returns its path. Throws RingseerError when no name can be created.
QString MakeTempFile(const QString &extension);
// The same in a given folder; used by MakeTempFile and by tests.
QString MakeTempFileIn(const QString &folder, const QString &extension);
