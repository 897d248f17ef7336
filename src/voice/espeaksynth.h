#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QString>

// The process-wide espeak-ng engine in synchronous mode. It is set up on first use
// and stays for the life of the process: espeak-ng keeps its state in globals and is
// neither reentrant nor able to start twice.

struct SynthesizedSpeech
{
    QByteArray pcm;
    QAudioFormat format;
};

// True when the engine started and found a voice; the reason otherwise.
bool SpeechEngineReady(QString *reason = nullptr);

// Speaks the text into memory, reading it as SSML markup: tags are obeyed or dropped,
// entities decoded, so "<" and "&" in a name are markup, never literal. Throws
// RingseerError when the engine is not ready or the synthesis fails.
SynthesizedSpeech SynthesizeMarkup(const QString &text);
