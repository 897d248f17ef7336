#pragma once

#include <QAudioDevice>
#include <QAudioFormat>
#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

#include <memory>

class QAudioSink;

// Plays one sound held in memory through a Qt audio sink. Shared by the wave control
// and the speech voice, so both fail the same way: no output device, or a device that
// gives up, is an error, and no sound is ever waited for longer than its own length
// plus a margin.
class PcmPlayer : public QObject
{
    Q_OBJECT

public:
    explicit PcmPlayer(QObject *parent = nullptr);
    ~PcmPlayer() override;

    // Time allowed on top of a sound's length before it counts as stuck.
    static constexpr int OverrunMarginMs = 3000;

    // The output device sound goes to. Throws RingseerError when the system has none.
    static QAudioDevice outputDevice();
    static qint64 durationMs(qsizetype bytes, const QAudioFormat &format);

    // Stops what is playing and starts the new sound. Throws RingseerError when there
    // is no output device or the device refuses the sound.
    void play(const QByteArray &pcm, const QAudioFormat &format);
    // True until the sound has been played to its end. Throws RingseerError once when
    // the device failed while playing or the sound overran its length and the margin;
    // the sound is stopped then and later calls read false.
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

    QByteArray m_pcm;
    QBuffer m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
    QElapsedTimer m_clock;
    qint64 m_durationMs = 0;
    QString m_failure;
};
