#include "torvspeech.h"

#include "app/error.h"
#include "espeaksynth.h"

#include <limits>

TORVSpeech::TORVSpeech()
{
    if (SpeechEngineReady()) {
        m_voice = std::make_unique<PcmPlayer>();
        m_status = StatusOk;
    }
}

TORVSpeech::~TORVSpeech() = default;

bool TORVSpeech::Speak(const QString &text)
{
    if (m_status >= 0 && !text.isEmpty()) {
        // Requests queue up as with an asynchronous voice; the wait is bounded by the
        // earlier speech's own length plus the player's margin.
        m_voice->waitUntilDone(std::numeric_limits<int>::max());
        SynthesizedSpeech speech;
        try {
            speech = SynthesizeMarkup(text);
        } catch (const RingseerError &) {
            m_status = StatusSpeakFailed;
            return false;
        }
        try {
            m_voice->play(speech.pcm, speech.format);
            m_status = StatusOk;
        } catch (const RingseerError &) {
            m_status = StatusPlayFailed;
        }
    }
    return m_status >= 0;
}

qint32 TORVSpeech::WaitUntilDone(int milliseconds)
{
    if (!m_voice)
        return WaitDone;
    const bool done = m_voice->waitUntilDone(milliseconds);
    if (!m_voice->failure().isEmpty())
        m_status = StatusPlayFailed;
    return done ? WaitDone : WaitTimedOut;
}
