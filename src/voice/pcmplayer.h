#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

#include <memory>

class QAudioSink;

// Plays one sound held in memory through a Qt audio sink. Shared by the wave control
// and the speech voice, so both fail the same way: no output device, or a device that
// gives up, is an error, and no sound is ever waited for longer than its own length
// plus a short tail.
//
// The sink is fed the sound followed by endless silence and stopped by the clock once
// the sound has been heard. A sink that runs out of data asks the sound server to
// drain the stream and is told when that is done, by a call on the sink from the sound
// server's thread; with Qt 6.4 that call can come after the sink was deleted, and
// crashes the program. A sink that never runs out never asks.
class PcmPlayer : public QObject
{
    Q_OBJECT

public:
    explicit PcmPlayer(QObject *parent = nullptr);
    ~PcmPlayer() override;

    // Time the sink keeps running after the sound's length, so that its last part,
    // still in the sound server's buffer, is heard.
    static constexpr int TailMs = 60;

    // The output device sound goes to. Throws RingseerError when the system has none.
    static QAudioDevice outputDevice();
    static qint64 durationMs(qsizetype bytes, const QAudioFormat &format);

    // Stops what is playing and starts the new sound. Throws RingseerError when there
    // is no output device or the device refuses the sound.
    void play(const QByteArray &pcm, const QAudioFormat &format);
    // True until the sound has been played to its end. Throws RingseerError once when
    // the device failed while playing; the sound is stopped then and later calls read
    // false.
    bool isPlaying();
    // Waits at most timeoutMs for the sound to end, letting the sink run but holding
    // user input back. True when nothing is playing any more; failures end the wait
    // too and are kept for failure().
    bool waitUntilDone(int timeoutMs);
    // The message of the last failure that waitUntilDone swallowed; empty when none.
    QString failure() const { return m_failure; }
    void stop();

private:
    [[noreturn]] void fail(const QString &message);

    std::unique_ptr<QAudioSink> m_sink;
    std::unique_ptr<QIODevice> m_source;
    QElapsedTimer m_clock;
    qint64 m_durationMs = 0;
    QString m_failure;
};
