#include "amwavepro.h"

#include "app/error.h"

#include <QFile>

#include <sndfile.h>

#include <memory>

namespace {

// A damaged header can claim any length; voice files are seconds long, so anything past
// an hour of sound is refused before memory is taken for it.
constexpr sf_count_t MaxSeconds = 3600;
constexpr int MaxChannels = 8;

struct DecodedSound
{
    QByteArray pcm;
    QAudioFormat format;
};

DecodedSound decodeSoundFile(const QString &path)
{
    SF_INFO info{};
    SNDFILE *opened = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!opened)
        throw RingseerError(QString::fromLocal8Bit(sf_strerror(nullptr)));
    const std::unique_ptr<SNDFILE, int (*)(SNDFILE *)> file(opened, &sf_close);

    if (info.channels < 1 || info.channels > MaxChannels || info.samplerate <= 0 || info.frames < 0)
        throw RingseerError(QStringLiteral("Unsupported sound layout: %1 channels at %2 Hz")
                                .arg(info.channels)
                                .arg(info.samplerate));
    if (info.frames > MaxSeconds * info.samplerate)
        throw RingseerError(QStringLiteral("The sound file is longer than %1 seconds").arg(MaxSeconds));

    DecodedSound sound;
    sound.format.setSampleRate(info.samplerate);
    sound.format.setChannelCount(info.channels);
    sound.format.setSampleFormat(QAudioFormat::Int16);
    sound.pcm.resize(qsizetype(info.frames) * info.channels * qsizetype(sizeof(short)));
    // Every format libsndfile reads comes out as 16-bit samples, which every device takes.
    const sf_count_t frames = sf_readf_short(file.get(), reinterpret_cast<short *>(sound.pcm.data()), info.frames);
    if (frames < 0 || (frames == 0 && info.frames > 0))
        throw RingseerError(QString::fromLocal8Bit(sf_strerror(file.get())));
    sound.pcm.truncate(qsizetype(frames) * info.channels * qsizetype(sizeof(short)));
    return sound;
}

} // namespace

TamWavePro::TamWavePro(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("amWave"));
}

void TamWavePro::Play(int flags)
{
    Q_UNUSED(flags);
    m_player.stop();
    const DecodedSound sound = decodeSoundFile(m_playFilename);
    m_player.play(sound.pcm, sound.format);
}

bool TamWavePro::Playing()
{
    return m_player.isPlaying();
}
