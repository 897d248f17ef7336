#include "app/runflags.h"
#include "app/settings.h"
#include "fakemodemprocess.h"
#include "recordingpresenter.h"
#include "records/apdinidbase.h"
#include "telephony/amtapipro.h"
#include "telephony/callpipeline.h"
#include "testenvironment.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

class TestCallPipeline : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TamTapiPro> m_tapi;
    std::unique_ptr<TApdIniDBase> m_callerDB;
    std::unique_ptr<TApdIniDBase> m_callLogDB;
    AppSettingsRecord m_settings;
    RunFlags m_flags;
    RecordingPresenter m_presenter;
    std::unique_ptr<CallPipeline> m_pipeline;

    void writeCallers(const QByteArray &content)
    {
        QFile file(m_env->dataDir() + QStringLiteral("Callers.DB"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    void makePipeline(bool headless = false)
    {
        m_flags.Headless = headless;
        m_pipeline = std::make_unique<CallPipeline>(*m_tapi, *m_callerDB, *m_callLogDB, m_settings, m_flags,
                                                    headless ? nullptr : &m_presenter);
    }

    QStringList callerIdLogLines() const
    {
        QStringList lines;
        for (const QString &line : m_env->readLog().split(QLatin1Char('\n'))) {
            const qsizetype pos = line.indexOf(QStringLiteral("]  CALLERID:"));
            if (pos >= 0)
                lines << line.mid(pos + 3);
        }
        return lines;
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_tapi = std::make_unique<TamTapiPro>();
        m_callerDB = std::make_unique<TApdIniDBase>(CallerFields());
        m_callLogDB = std::make_unique<TApdIniDBase>(CallLogFields());
        writeCallers("[Index]\r\nBakery=#\r\nAlpha=#\r\nBeta=#\r\n[Defaults]\r\n_Entries=3\r\n"
                     "[Bakery]\r\nCallerID=555-123-4567\r\n"
                     "[Alpha]\r\nCallerID=555-777-0000\r\n[Beta]\r\nCallerID=555-777-0000\r\n");
        m_callerDB->SetFileName(m_env->dataDir() + QStringLiteral("Callers.DB"));
        m_callLogDB->SetFileName(m_env->dataDir() + QStringLiteral("CallLog.DB"));
        m_settings = AppSettingsRecord();
        m_settings.Directory = QStringLiteral("(NONE)");
        m_flags = RunFlags();
        m_presenter.take();
        m_presenter.onCard = nullptr;
        m_presenter.logVisible = false;
        makePipeline();
    }

    void cleanup()
    {
        m_pipeline.reset();
        m_tapi.reset();
        m_env.reset();
    }

    void callerTextsFromTheFlags_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("logged");

        QTest::newRow("ten digits become 555-123-4567") << "5551234567" << "JOHN DOE" << 12
                                                        << "CALLERID:555-123-4567;JOHN DOE";
        QTest::newRow("nine digits stay as delivered") << "555123456" << "" << 8 << "CALLERID:555123456;NO DATA";
        QTest::newRow("eleven digits stay as delivered") << "15551234567" << "" << 8
                                                         << "CALLERID:15551234567;NO DATA";
        QTest::newRow("ten characters of any kind are split") << "(55)123456" << "" << 8
                                                              << "CALLERID:(55-)12-3456;NO DATA";
        QTest::newRow("withheld number wins over the number flag") << "5551234567" << "ANN" << 9
                                                                   << "CALLERID:BLOCKED;NO DATA";
        QTest::newRow("name flag with an empty name") << "5551234567" << "" << 12 << "CALLERID:555-123-4567;";
        QTest::newRow("no flags change nothing") << "5551234567" << "ANN" << 0 << "CALLERID:NO DATA;NO DATA";
        QTest::newRow("other bits are ignored") << "5551234567" << "ANN" << 0x70 << "CALLERID:NO DATA;NO DATA";
    }

    void callerTextsFromTheFlags()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(int, flags);
        QFETCH(QString, logged);
        m_settings.Mode = ModeServer;
        m_pipeline->amTapiCallerID(number, name, flags);
        QCOMPARE(callerIdLogLines(), QStringList{logged});
        QVERIFY(!m_pipeline->HandlingCall());
    }

    void callerDatabaseNamesTheCallerAfterTheLogLine()
    {
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QStringLiteral("LINE NAME"), 12);
        QCOMPARE(callerIdLogLines(), QStringList{"CALLERID:555-123-4567;LINE NAME"});
        QCOMPARE(m_presenter.take(), QStringList({"logged: Bakery;555-123-4567", "card: 555-123-4567;Bakery"}));

        const QStringList keys = m_callLogDB->GetRecordList();
        QCOMPARE(keys.size(), 1);
        const QString log = readTextFile(m_env->dataDir() + QStringLiteral("CallLog.DB"));
        QCOMPARE(log, QStringLiteral("[Index]\r\n") + keys[0] + QStringLiteral("=#\r\n[Defaults]\r\n_Entries=1\r\n[")
                          + keys[0] + QStringLiteral("]\r\nCallerName=Bakery\r\nCallerID=555-123-4567\r\n"));
        QVERIFY(QRegularExpression(QStringLiteral(R"(^\d{4}\D\d\d\D\d\d \d\d\D\d\d\D\d\d$)")).match(keys[0]).hasMatch());
    }

    void lastMatchingRecordInKeyOrderWins()
    {
        m_pipeline->amTapiCallerID(QStringLiteral("5557770000"), QString(), 8);
        QCOMPARE(m_pipeline->CurrentCallerName(), QStringLiteral("Beta"));
    }

    void whatEachModeShows_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("speak");
        QTest::addColumn<int>("logOnTop");
        QTest::addColumn<QStringList>("shown");
        const QString logged = QStringLiteral("logged: Bakery;555-123-4567");
        const QString card = QStringLiteral("card: 555-123-4567;Bakery");
        QTest::newRow("active: card") << 0 << 0 << 0 << QStringList{logged, card};
        QTest::newRow("active with voice: card, then announcement")
            << 0 << 1 << 0 << QStringList{logged, card, "announce: Bakery;555-123-4567"};
        QTest::newRow("call log on top comes before the card")
            << 0 << 0 << 1 << QStringList{"show log", logged, card};
        QTest::newRow("passive: dispatch, no card, no voice") << 1 << 1 << 0
                                                              << QStringList{logged, "dispatch: 555-123-4567;Bakery"};
        QTest::newRow("server: only the call log") << 2 << 1 << 0 << QStringList{logged};
        QTest::newRow("unknown mode acts as server") << 5 << 1 << 0 << QStringList{logged};
    }

    void whatEachModeShows()
    {
        QFETCH(int, mode);
        QFETCH(int, speak);
        QFETCH(int, logOnTop);
        QFETCH(QStringList, shown);
        m_settings.Mode = mode;
        m_settings.SpeakCallerInfo = speak;
        m_settings.CallLogOnTop = logOnTop;
        m_pipeline->SetCardTouched(true);
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QString(), 8);
        QCOMPARE(m_presenter.take(), shown);
        QCOMPARE(m_pipeline->CardTouched(), mode != 0);
    }

    void serverPassesTheLineOnBeforeItsOwnLookup()
    {
        m_flags.ServerRun = true;
        QSignalSpy lines(m_pipeline.get(), &CallPipeline::callerLineReady);
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QStringLiteral("JOHN"), 12);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0][0].toByteArray(), QByteArray("CALLERID:555-123-4567;JOHN\r\n"));
    }

    void headlessOnlyLogsAndPassesOn()
    {
        makePipeline(true);
        m_flags.ServerRun = true;
        QSignalSpy lines(m_pipeline.get(), &CallPipeline::callerLineReady);
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QStringLiteral("JOHN"), 12);
        QCOMPARE(callerIdLogLines(), QStringList{"CALLERID:555-123-4567;JOHN"});
        QCOMPARE(lines.size(), 1);
        QVERIFY(!QFile::exists(m_env->dataDir() + QStringLiteral("CallLog.DB")));
    }

    void secondCallerIdDuringTheCardChangesTheTextsOnly()
    {
        m_settings.SpeakCallerInfo = 1;
        m_presenter.onCard = [this] {
            m_pipeline->amTapiCallerID(QStringLiteral("5550001111"), QStringLiteral("OTHER"), 12);
        };
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QString(), 8);
        QCOMPARE(callerIdLogLines(), QStringList{"CALLERID:555-123-4567;NO DATA"});
        QCOMPARE(m_presenter.take().last(), QStringLiteral("announce: OTHER;555-000-1111"));
        QVERIFY(!m_pipeline->HandlingCall());
    }

    void idleInTheMiddleLeavesNoData()
    {
        m_settings.SpeakCallerInfo = 1;
        m_presenter.onCard = [this] { m_pipeline->amTapiCallState(QStringLiteral("IDLE")); };
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QString(), 8);
        QCOMPARE(m_presenter.take().last(), QStringLiteral("announce: NO DATA;NO DATA"));
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  CALL STATE:IDLE\n")));
    }

    void refusedCallLogRecordStillShowsTheCard()
    {
        QFile full(m_env->dataDir() + QStringLiteral("CallLog.DB"));
        QVERIFY(full.open(QIODevice::WriteOnly));
        full.write("[Index]\r\n[Defaults]\r\n_Entries=999\r\n");
        full.close();
        m_settings.SpeakCallerInfo = 1;
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QString(), 8);
        QCOMPARE(m_presenter.take(),
                 QStringList({"card: 555-123-4567;Bakery", "announce: Bakery;555-123-4567"}));
        QVERIFY(m_env->readLog().contains(
            QStringLiteral("]  Call not entered in the call log: Maximum database records (999) reached\n")));
    }

    void failingStepEndsTheCallButNotTheNext()
    {
        writeCallers("[Index]\r\n[Defaults]\r\n_Entries=2\r\n");
        m_callerDB->SetOpen(false);
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QString(), 8);
        QVERIFY(!m_pipeline->HandlingCall());
        QCOMPARE(m_presenter.take(), QStringList{"box: Generic INI file read error"});
        QVERIFY(m_env->readLog().contains(QStringLiteral("Call handling stopped: Generic INI file read error")));

        writeCallers("[Index]\r\n[Defaults]\r\n_Entries=0\r\n");
        m_callerDB->SetOpen(false);
        m_pipeline->amTapiCallState(QStringLiteral("IDLE"));
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QString(), 8);
        QCOMPARE(callerIdLogLines().size(), 2);
    }

    void ringAndOfferingAskTheLineOnlyWhileIdle()
    {
        m_settings.Mode = ModeServer;
        m_pipeline->amTapiIncomingCall(1);
        m_pipeline->amTapiCallState(QStringLiteral("OFFERING"));
        // The line had no caller data: nothing was handled.
        QVERIFY(callerIdLogLines().isEmpty());
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  RINGING: 1\n")));
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  CALL STATE:OFFERING\n")));
    }

    void outgoingCallIsNotACaller()
    {
        FakeModemProcess modem;
        QVERIFY(modem.start(m_env->root() + QStringLiteral("/modem")));
        m_tapi->SetLineName(modem.path());
        m_tapi->SetLineOpen(true);
        m_tapi->MakeCall(QStringLiteral("5551234567"));
        m_pipeline->amTapiCallerID(QStringLiteral("5551234567"), QStringLiteral("X"), 12);
        QVERIFY(callerIdLogLines().isEmpty());
        QCOMPARE(m_pipeline->CurrentCallerID(), QStringLiteral("NO DATA"));
    }
};

QTEST_GUILESS_MAIN(TestCallPipeline)
#include "tst_callpipeline.moc"
