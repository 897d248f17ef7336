#include "app/settings.h"
#include "soundcheck.h"
#include "testenvironment.h"
#include "ui/language.h"
#include "voice/amwavepro.h"
#include "voice/announcement.h"
#include "voice/espeaksynth.h"
#include "voice/torvspeech.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QTest>

// A machine without speech data (and without audio): the speech object must come up
// empty-handed instead of taking the process down, and the voice files are still
// tried.
class TestVoiceNoVoice : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<VoiceEnvironment> m_env;

private Q_SLOTS:
    void initTestCase()
    {
        // espeak-ng takes an existing folder named here as its data folder.
        QDir(m_dir.path()).mkpath(QStringLiteral("no-speech-data"));
        qputenv("ESPEAK_DATA_PATH", QFile::encodeName(m_dir.filePath(QStringLiteral("no-speech-data"))));
        useSoundServer(QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("no-server")), m_dir.path());
        m_env = std::make_unique<VoiceEnvironment>();
    }

    void cleanupTestCase()
    {
        m_env.reset();
    }

    void speakDoesNothing()
    {
        QString reason;
        QVERIFY(!SpeechEngineReady(&reason));
        QVERIFY(!reason.isEmpty());
        TORVSpeech speech;
        QVERIFY(speech.status() < 0);
        QVERIFY(!speech.hasVoice());
        QVERIFY(!speech.Speak(QStringLiteral("Jane Sample")));
        QCOMPARE(speech.WaitUntilDone(500), TORVSpeech::WaitDone);
    }

    void theVoiceFilesAreStillPlayed()
    {
        const QString tone = m_dir.filePath(QStringLiteral("a.wav"));
        QVERIFY(writeToneFile(tone, ToneAHz, 300));
        AppSettingsRecord settings;
        settings.SpeakCallerInfo = 1;
        settings.VFCallerName = tone;
        settings.VFCallerNumber = tone;
        QMenuBar mainMenu;
        TamWavePro amWave;
        AnnounceCaller(&mainMenu, amWave, settings, tone, QStringLiteral("Jane"), QStringLiteral("555"));
        QCOMPARE(m_env->playingErrors().size(), 2);
    }
};

QTEST_MAIN(TestVoiceNoVoice)
#include "tst_voicenovoice.moc"
