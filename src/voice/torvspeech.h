#pragma once

#include "pcmplayer.h"

#include <QString>

#include <memory>

// The text-to-speech voice of one announcement: espeak-ng speaks the text into memory,
// and the sound plays through the same sink path as the voice files. Speaking runs
// on while the caller goes on; WaitUntilDone waits for it in slices.
class TORVSpeech
{
public:
    // Status values; negative means failure, as the voice's result codes do.
    static constexpr qint32 StatusOk = 0;
    static constexpr qint32 StatusNoVoice = -1;
    static constexpr qint32 StatusSpeakFailed = -2;
    static constexpr qint32 StatusPlayFailed = -3;

    // WaitUntilDone's answers.
    static constexpr qint32 WaitDone = 0;
    static constexpr qint32 WaitTimedOut = 1;

    // Creates the voice; without a usable one the status is negative and every Speak
    // does nothing.
    TORVSpeech();
    ~TORVSpeech();
    TORVSpeech(const TORVSpeech &) = delete;
    TORVSpeech &operator=(const TORVSpeech &) = delete;

    // Starts speaking the text, read as SSML markup, when the status is not negative
    // and the text is not empty; stores the outcome as the status and returns whether
    // it is not negative. Text still being spoken is finished first.
    bool Speak(const QString &text);
    // Waits at most that long for the speaking to end: WaitDone when it has ended (or
    // nothing was spoken), WaitTimedOut when the time ran out.
    qint32 WaitUntilDone(int milliseconds);

    qint32 status() const { return m_status; }
    bool hasVoice() const { return m_voice != nullptr; }

private:
    qint32 m_status = StatusNoVoice;
    std::unique_ptr<PcmPlayer> m_voice;
};
