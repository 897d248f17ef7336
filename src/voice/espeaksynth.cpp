#include "espeaksynth.h"

#include "app/error.h"

#include <QLocale>

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <mutex>

namespace {

// A name or a number takes seconds; a cap keeps hostile markup (long breaks, huge
// repeats) from filling memory.
constexpr qsizetype MaxSpeechSeconds = 300;

struct Collector
{
    QByteArray pcm;
    qsizetype limit = 0;
    bool tooLong = false;
    bool outOfMemory = false;
};

// Runs inside espeak_ng_Synthesize on the calling thread. It is C code calling back:
// nothing may throw through it, and a non-zero answer stops the synthesis.
int collectSamples(short *wav, int numsamples, espeak_EVENT *events) noexcept
{
    if (!events || !wav || numsamples <= 0)
        return 0;
    auto *collector = static_cast<Collector *>(events->user_data);
    if (!collector)
        return 0;
    const qsizetype bytes = qsizetype(numsamples) * qsizetype(sizeof(short));
    if (collector->pcm.size() + bytes > collector->limit) {
        collector->tooLong = true;
        return 1;
    }
    try {
        collector->pcm.append(reinterpret_cast<const char *>(wav), bytes);
    } catch (...) {
        collector->outOfMemory = true;
        return 1;
    }
    return 0;
}

QString statusMessage(espeak_ng_STATUS status)
{
    char buffer[512] = {};
    espeak_ng_GetStatusCodeMessage(status, buffer, sizeof buffer);
    return QStringLiteral("Speech engine: ") + QString::fromLocal8Bit(buffer);
}

class Engine
{
public:
    static Engine &instance()
    {
        // Started once, on first use, by whichever thread comes first.
        static Engine engine;
        return engine;
    }

    bool ready = false;
    QString reason;
    int sampleRate = 0;
    std::mutex mutex;

private:
    Engine()
    {
        espeak_ng_InitializePath(nullptr);
        espeak_ng_ERROR_CONTEXT context = nullptr;
        // The new-style initialiser reports a missing data folder; the old
        // espeak_Initialize calls exit() on it unless told not to.
        espeak_ng_STATUS status = espeak_ng_Initialize(&context);
        espeak_ng_ClearErrorContext(&context);
        if (status != ENS_OK) {
            reason = statusMessage(status);
            return;
        }
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr);
        if (status != ENS_OK) {
            reason = statusMessage(status);
            return;
        }
        espeak_SetSynthCallback(&collectSamples);

        // The voice of the user's language, as the system voice would speak; English
        // where espeak-ng has none for it.
        status = ENS_VOICE_NOT_FOUND;
        const QString language = QLocale::system().name().section(QLatin1Char('_'), 0, 0);
        if (language.size() >= 2 && language != QStringLiteral("C"))
            status = espeak_ng_SetVoiceByName(language.toLatin1().constData());
        if (status != ENS_OK)
            status = espeak_ng_SetVoiceByName("en");
        if (status != ENS_OK) {
            reason = statusMessage(status);
            return;
        }
        sampleRate = espeak_ng_GetSampleRate();
        ready = sampleRate > 0;
        if (!ready)
            reason = QStringLiteral("Speech engine: no sample rate");
    }
};

} // namespace

bool SpeechEngineReady(QString *reason)
{
    const Engine &engine = Engine::instance();
    if (reason)
        *reason = engine.reason;
    return engine.ready;
}

SynthesizedSpeech SynthesizeMarkup(const QString &text)
{
    Engine &engine = Engine::instance();
    if (!engine.ready)
        throw RingseerError(engine.reason);

    Collector collector;
    collector.limit = MaxSpeechSeconds * engine.sampleRate * qsizetype(sizeof(short));
    const QByteArray utf8 = text.toUtf8();
    espeak_ng_STATUS status;
    {
        const std::lock_guard lock(engine.mutex);
        status = espeak_ng_Synthesize(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                      espeakCHARS_UTF8 | espeakSSML, nullptr, &collector);
    }
    if (collector.tooLong)
        throw RingseerError(QStringLiteral("The speech is longer than %1 seconds").arg(MaxSpeechSeconds));
    if (collector.outOfMemory)
        throw RingseerError(QStringLiteral("Not enough memory for the speech"));
    if (status != ENS_OK)
        throw RingseerError(statusMessage(status));

    SynthesizedSpeech speech;
    speech.pcm = std::move(collector.pcm);
    speech.format.setSampleRate(engine.sampleRate);
    speech.format.setChannelCount(1);
    speech.format.setSampleFormat(QAudioFormat::Int16);
    return speech;
}
