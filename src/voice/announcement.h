#pragma once

#include <QString>

class QMenuBar;
class TamWavePro;
struct AppSettingsRecord;

// Plays the wave file with the form's wave control and returns when it has finished,
// processing window messages meanwhile. A failure is not raised: it becomes one log
// line, the text of "msgErrorInPlaying", the file, " => " and the error's text.
void PlayVoiceFile(TamWavePro &amWave, const QString &file);

// The caller announcement of an incoming call: with every top-level entry of the main
// menu disabled, the name's voice file and then the spoken name, the number's voice
// file and then the spoken number; each half only when its voice file exists. The
// number half is decided by numberVoiceFileField, the settings dialog's field, which
// differs from the stored VFCallerNumber only while the user edits it; the file played
// is always the stored one. All menu entries are enabled afterwards.
void AnnounceCaller(QMenuBar *mainMenu, TamWavePro &amWave, const AppSettingsRecord &settings,
                    const QString &numberVoiceFileField, const QString &name, const QString &number);
