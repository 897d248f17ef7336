#include "app/error.h"
#include "app/settings.h"
#include "soundcheck.h"
#include "testenvironment.h"
#include "ui/language.h"
#include "voice/amwavepro.h"
#include "voice/announcement.h"
#include "voice/espeaksynth.h"
#include "voice/torvspeech.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QMenuBar>
#include <QTest>

// A machine without any audio output: no sound server answers. Everything must fail
// at once and be written down, never waited for.
class TestVoiceNoDevice : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_sounds;
    QString m_toneA;
    QString m_toneB;
    std::unique_ptr<VoiceEnvironment> m_env;

    QStringList playingErrors() const { return m_env->playingErrors(); }

private Q_SLOTS:
    void initTestCase()
    {
        useSoundServer(QStringLiteral("unix:") + m_sounds.filePath(QStringLiteral("no-server")), m_sounds.path());
        QVERIFY(QMediaDevices::defaultAudioOutput().isNull());
        m_toneA = m_sounds.filePath(QStringLiteral("a.wav"));
        m_toneB = m_sounds.filePath(QStringLiteral("b.wav"));
        QVERIFY(writeToneFile(m_toneA, ToneAHz, 800));
        QVERIFY(writeToneFile(m_toneB, ToneBHz, 800));
    }

    void init()
    {
        m_env = std::make_unique<VoiceEnvironment>();
    }

    void cleanup()
    {
        m_env.reset();
    }

    void waveControlFailsAtOnce()
    {
        TamWavePro amWave;
        amWave.setPlayFilename(m_toneA);
        try {
            amWave.Play(0);
            QFAIL("Play succeeded without an audio device");
        } catch (const RingseerError &error) {
            QCOMPARE(error.message(), QStringLiteral("No audio output device"));
        }
        QVERIFY(!amWave.Playing());
    }

    void speechFailsAndStaysFailed()
    {
        if (!SpeechEngineReady())
            QSKIP("no espeak-ng voice on this machine");
        TORVSpeech speech;
        QVERIFY(speech.hasVoice());
        QVERIFY(!speech.Speak(QStringLiteral("Jane Sample")));
        QCOMPARE(speech.status(), TORVSpeech::StatusPlayFailed);
        QVERIFY(!speech.Speak(QStringLiteral("555-123-4567")));
        QCOMPARE(speech.WaitUntilDone(500), TORVSpeech::WaitDone);
    }

    void announcementLogsEachFileAndFinishes()
    {
        AppSettingsRecord settings;
        settings.SpeakCallerInfo = 1;
        settings.VFCallerName = m_toneA;
        settings.VFCallerNumber = m_toneB;
        QMenuBar mainMenu;
        mainMenu.addMenu(QStringLiteral("&File"));
        mainMenu.addMenu(QStringLiteral("&Tools"))->menuAction()->setEnabled(false);
        TamWavePro amWave;

        QElapsedTimer clock;
        clock.start();
        AnnounceCaller(&mainMenu, amWave, settings, settings.VFCallerNumber, QStringLiteral("Jane Sample"),
                       QStringLiteral("555-123-4567"));
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));

        const QStringList lines = playingErrors();
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].endsWith(QStringLiteral("]  Error playing voice file: ") + m_toneA
                                   + QStringLiteral(" => No audio output device")),
                 qPrintable(lines[0]));
        QVERIFY2(lines[1].endsWith(QStringLiteral("]  Error playing voice file: ") + m_toneB
                                   + QStringLiteral(" => No audio output device")),
                 qPrintable(lines[1]));
        for (const QAction *entry : mainMenu.actions())
            QVERIFY(entry->isEnabled());
    }
};

QTEST_MAIN(TestVoiceNoDevice)
#include "tst_voicenodevice.moc"
