#include "announcement.h"

#include "amwavepro.h"
#include "app/diaglog.h"
#include "app/settings.h"
#include "app/texthelpers.h"
#include "torvspeech.h"
#include "ui/language.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMenuBar>

#include <exception>
#include <memory>

namespace {

// The slice the announcement waits for the speech in, dispatching messages between.
constexpr int SpeechWaitSliceMs = 500;
// Between two looks at the wave control: messages keep flowing without a busy loop.
constexpr int PlayingPollMs = 10;

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

void setTopLevelEntriesEnabled(QMenuBar *mainMenu, bool enabled)
{
    if (!mainMenu)
        return;
    for (QAction *entry : mainMenu->actions())
        entry->setEnabled(enabled);
}

void waitForSpeech(TORVSpeech &speech)
{
    if (!speech.hasVoice())
        return;
    while (speech.WaitUntilDone(SpeechWaitSliceMs) == TORVSpeech::WaitTimedOut)
        QCoreApplication::processEvents();
}

} // namespace

void PlayVoiceFile(TamWavePro &amWave, const QString &file)
{
    amWave.setPlayFilename(file);
    try {
        amWave.Play(0);
        while (amWave.Playing())
            PauseWithMessages(PlayingPollMs);
    } catch (const std::exception &error) {
        WriteLog(MessageText(QStringLiteral("msgErrorInPlaying")) + file + QStringLiteral(" => ")
                 + QString::fromUtf8(error.what()));
    }
}

void AnnounceCaller(QMenuBar *mainMenu, TamWavePro &amWave, const AppSettingsRecord &settings,
                    const QString &numberVoiceFileField, const QString &name, const QString &number)
{
    setTopLevelEntriesEnabled(mainMenu, false);
    auto speech = std::make_unique<TORVSpeech>();
    if (fileExists(settings.VFCallerName)) {
        PlayVoiceFile(amWave, settings.VFCallerName);
        speech->Speak(name);
        waitForSpeech(*speech);
    }
    if (fileExists(numberVoiceFileField)) {
        PlayVoiceFile(amWave, settings.VFCallerNumber);
        speech->Speak(number);
        waitForSpeech(*speech);
    }
    setTopLevelEntriesEnabled(mainMenu, true);
    speech.reset();
}
