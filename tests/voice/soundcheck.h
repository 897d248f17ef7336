#pragma once

#include "testenvironment.h"
#include "ui/language.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// What the voice tests need around the code under test: sound files to play, a private
// sound server with a null sink to play them into, and a reading of what reached it.

// A test's own folders with the shipped data, and its language table in use, as the
// program has them when it announces a caller.
class VoiceEnvironment : public TestEnvironment
{
public:
    VoiceEnvironment();
    ~VoiceEnvironment();
    // The log lines of voice files that did not play.
    QStringList playingErrors() const;

private:
    TLanguage m_language;
};

// Writes a 16-bit mono WAV file holding a sine tone.
bool writeToneFile(const QString &path, int frequencyHz, int milliseconds);

// Points this process's sound clients at a server address and keeps libpulse from
// starting a server of its own. Must run before the first use of Qt Multimedia, which
// connects once per process.
void useSoundServer(const QString &address, const QString &clientConfigFolder);

// A PulseAudio daemon of the test's own whose default sink is a null sink; what is
// played can be recorded from the sink's monitor.
class PulseServer
{
public:
    ~PulseServer();

    static bool installed();
    bool start(QString *error);
    void stop();
    QString address() const;

    // The monitor is recorded all along, as mono 16-bit samples at RecordRate; these
    // cut out what was heard from startRecording until a moment after stopRecording.
    bool startRecording();
    QByteArray stopRecording();
    static constexpr int RecordRate = 16000;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_recorder;
    qint64 m_mark = 0;
    bool startMonitorRecorder();
    QString recordingPath() const { return m_dir.filePath(QStringLiteral("monitor.raw")); }
};

// Reads a recording as a sequence of heard parts: "A" a 400 Hz tone, "B" a 1600 Hz
// tone, "s" any other sound (speech), joined by blanks, e.g. "A s B s". Tones shorter
// than a fifth of a second and specks of sound are not parts.
constexpr int ToneAHz = 400;
constexpr int ToneBHz = 1600;
QString heardParts(const QByteArray &recording);
// Milliseconds of the recording that carry sound.
int soundMilliseconds(const QByteArray &recording);
// Milliseconds of the longest run of the tone's frequency.
int longestToneMilliseconds(const QByteArray &recording, int frequencyHz);
