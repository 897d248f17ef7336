#include "pcmplayer.h"

#include "app/error.h"

#include <QAudioSink>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>

#include <cstring>
#include <limits>

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

// The sound, then silence for as long as it is read: never at its end.
class SoundThenSilence : public QIODevice
{
public:
    SoundThenSilence(QByteArray pcm, const QAudioFormat &format)
        : m_pcm(std::move(pcm)),
          m_silence(format.sampleFormat() == QAudioFormat::UInt8 ? char(0x80) : char(0))
    {
        open(QIODevice::ReadOnly);
    }

    bool isSequential() const override { return true; }
    bool atEnd() const override { return false; }
    qint64 bytesAvailable() const override { return std::numeric_limits<int>::max(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 fromSound = qBound<qint64>(0, m_pcm.size() - m_read, maxSize);
        std::memcpy(data, m_pcm.constData() + m_read, size_t(fromSound));
        std::memset(data + fromSound, m_silence, size_t(maxSize - fromSound));
        m_read += fromSound;
        return maxSize;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_pcm;
    char m_silence;
    qint64 m_read = 0;
};

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

    m_durationMs = durationMs(pcm.size(), format);
    m_source = std::make_unique<SoundThenSilence>(pcm, format);
    m_sink = std::make_unique<QAudioSink>(device, format);
    // The sink is fed from this thread's event loop. Its default buffer (about a tenth
    // of a second with PulseAudio) left audible gaps when the machine was busy; a larger
    // one rides out a busy moment of the program (the card sliding in, a database scan).
    m_sink->setBufferSize(int(format.bytesForDuration(BufferUs)));
    m_sink->start(m_source.get());
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
    if (m_clock.elapsed() >= m_durationMs + TailMs) {
        stop();
        return false;
    }
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
    m_source.reset();
}

void PcmPlayer::fail(const QString &message)
{
    stop();
    throw RingseerError(message);
}
