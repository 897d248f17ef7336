#include "app/error.h"
#include "app/ringseerapp.h"
#include "app/messagebox.h"
#include "app/ringseerform.h"
#include "ui/orvcontrols.h"
#include "ui/settingsdialog.h"
#include "app/settings.h"
#include "app/texthelpers.h"
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
#include <QTimer>

// Voice files and speech played into a null sink of a private sound server, with the
// sink's monitor recorded to hear what came out.
class TestVoicePlayback : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PulseServer> m_server;
    QTemporaryDir m_sounds;
    QString m_toneA;
    QString m_toneB;
    std::unique_ptr<VoiceEnvironment> m_env;

    static constexpr int ToneMs = 800;

    QString sound(const QString &name) const { return name.isEmpty() ? QString() : m_sounds.filePath(name); }

    QStringList playingErrors() const { return m_env->playingErrors(); }

    static qint64 durationMs(const SynthesizedSpeech &speech)
    {
        return speech.pcm.size() * 1000 / speech.format.bytesPerFrame() / speech.format.sampleRate();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!PulseServer::installed())
            QSKIP("pulseaudio and pulseaudio-utils are not installed");
        m_server = std::make_unique<PulseServer>();
        QString error;
        QVERIFY2(m_server->start(&error), qPrintable(error));
        useSoundServer(m_server->address(), m_sounds.path());
        QVERIFY2(!QMediaDevices::defaultAudioOutput().isNull(), "the null sink is not offered as a device");
        m_toneA = m_sounds.filePath(QStringLiteral("a.wav"));
        m_toneB = m_sounds.filePath(QStringLiteral("b.wav"));
        QVERIFY(writeToneFile(m_toneA, ToneAHz, ToneMs));
        QVERIFY(writeToneFile(m_toneB, ToneBHz, ToneMs));
        QFile text(m_sounds.filePath(QStringLiteral("notes.wav")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("This is not a sound.\n");
        QFile(m_sounds.filePath(QStringLiteral("empty.wav"))).open(QIODevice::WriteOnly);
    }

    void cleanupTestCase() { m_server.reset(); }

    void init()
    {
        m_env = std::make_unique<VoiceEnvironment>();
    }

    void cleanup()
    {
        m_env.reset();
    }

    void waveControlPlaysTheWholeFileBeforePlayingEnds()
    {
        QVERIFY(m_server->startRecording());
        TamWavePro amWave;
        amWave.setPlayFilename(m_toneA);
        QElapsedTimer clock;
        clock.start();
        amWave.Play(0);
        QVERIFY(amWave.Playing());
        while (amWave.Playing())
            PauseWithMessages(10);
        const qint64 elapsed = clock.elapsed();
        const QByteArray recording = m_server->stopRecording();

        QVERIFY2(elapsed >= ToneMs && elapsed < ToneMs + 2000, qPrintable(QString::number(elapsed)));
        QCOMPARE(heardParts(recording), QStringLiteral("A"));
        QVERIFY2(longestToneMilliseconds(recording, ToneAHz) >= ToneMs - 60,
                 qPrintable(QString::number(longestToneMilliseconds(recording, ToneAHz))));
    }

    void aFileThatDoesNotPlayIsOneLogLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing file") << QStringLiteral("gone.wav");
        QTest::newRow("text named .wav") << QStringLiteral("notes.wav");
        QTest::newRow("empty file") << QStringLiteral("empty.wav");
    }

    void aFileThatDoesNotPlayIsOneLogLine()
    {
        QFETCH(QString, file);
        const QString path = m_sounds.filePath(file);
        TamWavePro amWave;
        amWave.setPlayFilename(path);
        QVERIFY_THROWS_EXCEPTION(RingseerError, amWave.Play(0));
        QVERIFY(!amWave.Playing());

        QElapsedTimer clock;
        clock.start();
        PlayVoiceFile(amWave, path);
        QVERIFY(clock.elapsed() < 1000);
        const QStringList lines = playingErrors();
        QCOMPARE(lines.size(), 1);
        const QString expected = QStringLiteral("Error playing voice file: ") + path + QStringLiteral(" => ");
        QVERIFY2(lines[0].contains(expected) && !lines[0].endsWith(expected), qPrintable(lines[0]));
    }

    void speechIsWaitedForInSlicesUntilSpoken()
    {
        QString reason;
        QVERIFY2(SpeechEngineReady(&reason), qPrintable(reason));
        QVERIFY(m_server->startRecording());
        TORVSpeech speech;
        QCOMPARE(speech.status(), TORVSpeech::StatusOk);
        QVERIFY(speech.Speak(QStringLiteral("Jane Sample is calling")));
        QCOMPARE(speech.WaitUntilDone(100), TORVSpeech::WaitTimedOut);
        int slices = 0;
        while (speech.WaitUntilDone(500) == TORVSpeech::WaitTimedOut)
            QVERIFY(++slices < 20);
        QVERIFY(speech.Speak(QString()));
        QCOMPARE(speech.WaitUntilDone(500), TORVSpeech::WaitDone);
        const QByteArray recording = m_server->stopRecording();

        QCOMPARE(heardParts(recording), QStringLiteral("s"));
        QVERIFY2(soundMilliseconds(recording) >= 500, qPrintable(QString::number(soundMilliseconds(recording))));
        QCOMPARE(speech.status(), TORVSpeech::StatusOk);
    }

    void markupInANameNeverCrashesTheSpeech_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("ampersand") << QStringLiteral("Smith & Sons");
        QTest::newRow("less-than") << QStringLiteral("a < b");
        QTest::newRow("tag-like name") << QStringLiteral("<Jones>");
        QTest::newRow("entity") << QStringLiteral("Tom &amp; Jerry");
        QTest::newRow("entity out of range") << QStringLiteral("&#99999999; &#0; &bogus;");
        QTest::newRow("unclosed tag") << QStringLiteral("Smith <prosody rate=");
        QTest::newRow("stray closing tags") << QStringLiteral("</voice></speak></s> Miller");
        QTest::newRow("comment and cdata") << QStringLiteral("<!-- Lee <![CDATA[ Park");
        QTest::newRow("deep nesting") << QStringLiteral("<prosody rate=\"fast\">").repeated(80) + QStringLiteral("Kim");
        QTest::newRow("only markup") << QStringLiteral("<break/>");
    }

    void markupInANameNeverCrashesTheSpeech()
    {
        QFETCH(QString, name);
        TORVSpeech speech;
        speech.Speak(name);
        speech.WaitUntilDone(100);
        TORVSpeech after;
        QVERIFY2(after.Speak(QStringLiteral("Miller")), "the engine is unusable after the markup");
    }

    void theNameIsReadAsMarkup()
    {
        const qint64 plain = durationMs(SynthesizeMarkup(QStringLiteral("Smith Jones")));
        const qint64 withBreak = durationMs(SynthesizeMarkup(QStringLiteral("Smith <break time=\"2s\"/> Jones")));
        const qint64 withElement = durationMs(SynthesizeMarkup(QStringLiteral("Smith <Jones>")));
        QVERIFY2(withBreak >= plain + 1800, qPrintable(QStringLiteral("%1 vs %2").arg(withBreak).arg(plain)));
        QVERIFY2(withElement < plain - 200, qPrintable(QStringLiteral("%1 vs %2").arg(withElement).arg(plain)));
    }

    void announcement_data()
    {
        QTest::addColumn<QString>("nameFile");
        QTest::addColumn<QString>("numberField");
        QTest::addColumn<QString>("numberFile");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("heard");

        const QString jane = QStringLiteral("Jane Sample");
        QTest::newRow("both files: file, name, file, number")
            << "a.wav" << "b.wav" << "b.wav" << jane << "555-123-4567" << "A s B s";
        QTest::newRow("name file only") << "a.wav" << "" << "" << jane << "42" << "A s";
        QTest::newRow("number file only") << "" << "b.wav" << "b.wav" << jane << "42" << "B s";
        QTest::newRow("an empty name is not spoken, its file is played")
            << "a.wav" << "b.wav" << "b.wav" << "" << "42" << "A B s";
        QTest::newRow("the dialog field decides, the stored number file plays")
            << "" << "a.wav" << "b.wav" << jane << "42" << "B s";
        QTest::newRow("missing files skip their halves silently")
            << "gone.wav" << "gone.wav" << "b.wav" << jane << "42" << "";
        QTest::newRow("no voice files") << "" << "" << "" << jane << "42" << "";
    }

    void announcement()
    {
        QFETCH(QString, nameFile);
        QFETCH(QString, numberField);
        QFETCH(QString, numberFile);
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QString, heard);

        AppSettingsRecord settings;
        settings.SpeakCallerInfo = 1;
        settings.VFCallerName = sound(nameFile);
        settings.VFCallerNumber = sound(numberFile);

        QMenuBar mainMenu;
        mainMenu.addMenu(QStringLiteral("&File"));
        mainMenu.addMenu(QStringLiteral("&Tools"))->menuAction()->setEnabled(false);
        mainMenu.addMenu(QStringLiteral("&Setup"))->menuAction()->setVisible(false);
        int looks = 0;
        int looksWithAnEnabledEntry = 0;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, this, [&] {
            ++looks;
            for (const QAction *entry : mainMenu.actions())
                if (entry->isEnabled()) {
                    ++looksWithAnEnabledEntry;
                    break;
                }
        });

        TamWavePro amWave;
        QVERIFY(m_server->startRecording());
        watcher.start(50);
        QElapsedTimer clock;
        clock.start();
        AnnounceCaller(&mainMenu, amWave, settings, sound(numberField), name, number);
        const qint64 elapsed = clock.elapsed();
        watcher.stop();
        const QByteArray recording = m_server->stopRecording();

        QCOMPARE(heardParts(recording), heard);
        QVERIFY(playingErrors().isEmpty());
        for (QAction *entry : mainMenu.actions()) {
            entry->setVisible(true); // a hidden action never reads as enabled
            QVERIFY2(entry->isEnabled(), qPrintable(entry->text()));
        }
        QCOMPARE(looksWithAnEnabledEntry, 0);
        if (!heard.isEmpty()) {
            QVERIFY(looks > 0);
            const int tones = int(heard.count(QLatin1Char('A')) + heard.count(QLatin1Char('B')));
            QVERIFY2(soundMilliseconds(recording) > tones * (ToneMs - 60) + 250,
                     qPrintable(QString::number(soundMilliseconds(recording))));
        }
        qInfo("announcement took %lld ms, %d ms of it heard", elapsed, soundMilliseconds(recording));
    }

    void theMainFormAnnouncesWithItsOwnMenuAndWaveControl()
    {
        DialogHooks::setRecording(true);
        qputenv("RINGSEER_LINES", "/nonexistent/modem");
        TRingseerForm form(ParseCommandLine({QStringLiteral("Ringseer")}));
        form.FormCreate();
        qunsetenv("RINGSEER_LINES");
        AppSettingsRecord &settings = form.app()->settings();
        settings.SpeakCallerInfo = 1;
        settings.VFCallerName = m_toneA;
        settings.VFCallerNumber = m_toneB;
        form.settingsDialog()->tbVFCallerNumber()->setText(m_toneB);
        QVERIFY(m_server->startRecording());
        form.announceCaller(QStringLiteral("Jane Sample"), QStringLiteral("42"));
        QCOMPARE(heardParts(m_server->stopRecording()), QStringLiteral("A s B s"));
        QCOMPARE(form.findChildren<TamWavePro *>().size(), 1);
        for (const QAction *entry : form.menuBar()->actions())
            QVERIFY2(entry->isEnabled() || !entry->isVisible(), qPrintable(entry->objectName()));
    }

    // Runs last: it takes the sound server away.
    void aDeviceLostWhilePlayingEndsThePlayWithALogLine()
    {
        const QString longTone = m_sounds.filePath(QStringLiteral("long.wav"));
        QVERIFY(writeToneFile(longTone, ToneAHz, 4000));
        TamWavePro amWave;
        QTimer::singleShot(500, this, [this] { m_server->stop(); });
        QElapsedTimer clock;
        clock.start();
        PlayVoiceFile(amWave, longTone);
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        const QStringList lines = playingErrors();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(longTone + QStringLiteral(" => ")), qPrintable(lines[0]));
    }
};

QTEST_MAIN(TestVoicePlayback)
#include "tst_voiceplayback.moc"
