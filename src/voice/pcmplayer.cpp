#include "pcmplayer.h"

#include "app/error.h"

#include <QAudioSink>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>

namespace {

// How often a wait looks at the sink; short against the 500 ms slices the announcement
// waits in, long enough not to keep a core busy.
constexpr int PollIntervalMs = 10;
constexpr qint64 BufferUs = 500000;

QString describe(QAudio::Error error)
{
    switch (error) {
    case QAudio::NoError:
        return QStringLiteral("no error");
    case QAudio::OpenError:
        return QStringLiteral("the audio device could not be opened");
    case QAudio::IOError:
        return QStringLiteral("the audio device stopped taking sound");
    case QAudio::UnderrunError:
        return QStringLiteral("the audio device ran dry");
    case QAudio::FatalError:
        return QStringLiteral("the audio device is not usable");
    }
    return QStringLiteral("audio error %1").arg(int(error));
}

} // namespace

PcmPlayer::PcmPlayer(QObject *parent)
    : QObject(parent)
{
}

PcmPlayer::~PcmPlayer()
{
    stop();
}

QAudioDevice PcmPlayer::outputDevice()
{
    // Checked explicitly: a sink on a null device does not fail, it reports playing
    // forever, and that would hang every wait on it.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        throw RingseerError(QStringLiteral("No audio output device"));
    return device;
}

qint64 PcmPlayer::durationMs(qsizetype bytes, const QAudioFormat &format)
{
    const int bytesPerSecond = format.bytesPerFrame() * format.sampleRate();
    return bytesPerSecond > 0 ? bytes * 1000 / bytesPerSecond : 0;
}

void PcmPlayer::play(const QByteArray &pcm, const QAudioFormat &format)
{
    stop();
    m_failure.clear();
    const QAudioDevice device = outputDevice();
    if (!device.isFormatSupported(format))
        throw RingseerError(QStringLiteral("The audio device cannot play %1 Hz with %2 channels")
                                .arg(format.sampleRate())
                                .arg(format.channelCount()));

    m_pcm = pcm;
    m_buffer.setBuffer(&m_pcm);
    m_buffer.open(QIODevice::ReadOnly);
    m_durationMs = durationMs(m_pcm.size(), format);
    m_sink = std::make_unique<QAudioSink>(device, format);
    // The sink is fed from this thread's event loop. Its default buffer (about a tenth
    // of a second with PulseAudio) left audible gaps when the machine was busy; a larger
    // one rides out a busy moment of the program (the card sliding in, a database scan).
    m_sink->setBufferSize(int(format.bytesForDuration(BufferUs)));
    m_sink->start(&m_buffer);
    m_clock.start();
    if (m_sink->error() != QAudio::NoError && m_sink->error() != QAudio::UnderrunError) {
        const QString message = describe(m_sink->error());
        stop();
        throw RingseerError(message);
    }
}

bool PcmPlayer::isPlaying()
{
    if (!m_sink)
        return false;
    const QAudio::State state = m_sink->state();
    const QAudio::Error error = m_sink->error();
    if (state == QAudio::StoppedState && error != QAudio::NoError && error != QAudio::UnderrunError)
        fail(describe(error));
    // The sink turns idle once it has handed the last bytes to the sound server, which
    // still holds up to a buffer's worth; the sound's own length in real time covers that.
    const bool allHandedOver = state == QAudio::IdleState || state == QAudio::StoppedState;
    const qint64 elapsed = m_clock.elapsed();
    if (allHandedOver && elapsed >= m_durationMs) {
        stop();
        return false;
    }
    if (elapsed > m_durationMs + OverrunMarginMs)
        fail(QStringLiteral("The sound did not finish within %1 ms").arg(m_durationMs + OverrunMarginMs));
    return true;
}

bool PcmPlayer::waitUntilDone(int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(PollIntervalMs);
    bool done = false;
    auto check = [&] {
        try {
            done = !isPlaying();
        } catch (const RingseerError &error) {
            m_failure = error.message();
            done = true;
        }
        if (done || waited.elapsed() >= timeoutMs)
            loop.quit();
    };
    connect(&poll, &QTimer::timeout, &loop, check);
    check();
    if (!done && waited.elapsed() < timeoutMs) {
        poll.start();
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return done;
}

void PcmPlayer::stop()
{
    if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
    m_buffer.close();
}

void PcmPlayer::fail(const QString &message)
{
    stop();
    throw RingseerError(message);
}
