#include "app/error.h"
#include "fakemodemprocess.h"
#include "telephony/amtapipro.h"
#include "testenvironment.h"

#include <QSignalSpy>
#include <QTest>

// The telephony control against a simulated modem on a real pseudo-terminal.
class TestAmTapiPro : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<FakeModemProcess> m_modem;
    std::unique_ptr<TamTapiPro> m_tapi;

    QString linkPath() const { return m_env->root() + QStringLiteral("/modem0"); }

    void startModem(const QStringList &arguments)
    {
        m_modem = std::make_unique<FakeModemProcess>();
        QVERIFY(m_modem->start(linkPath(), QStringList{"--ring-ms", "200", "--rings", "2", "--datetime", "12111435"}
                                               + arguments));
        qputenv("RINGSEER_LINES", linkPath().toLocal8Bit());
        m_tapi = std::make_unique<TamTapiPro>();
        m_tapi->setIdleTimeout(700);
        m_tapi->setReconnectInterval(200);
    }

    void openLine()
    {
        QCOMPARE(m_tapi->LineCount(), 1);
        QCOMPARE(m_tapi->GetLineName(0), linkPath());
        m_tapi->SetLineName(m_tapi->GetLineName(0));
        m_tapi->SetLineOpen(true);
        QVERIFY(m_tapi->LineOpen());
    }

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }

    void cleanup()
    {
        m_tapi.reset();
        m_modem.reset();
        m_env.reset();
        qunsetenv("RINGSEER_LINES");
    }

    void capabilitiesByProfile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("devCaps");
        const int voice = TamTapiPro::AutomatedVoice | TamTapiPro::InteractiveVoice | TamTapiPro::DataModem;
        QTest::newRow("voice modem") << QStringList{} << (voice | TamTapiPro::CallerIdCapable);
        QTest::newRow("data-only modem") << QStringList{"--profile", "data"}
                                         << (TamTapiPro::DataModem | TamTapiPro::CallerIdCapable);
        QTest::newRow("modem without caller ID") << QStringList{"--profile", "nocid"} << voice;
        for (const char *command : {"#CID", "-STE", "%CCID", "+CID", "+CLIP"})
            QTest::newRow(command) << QStringList{"--cid-command", command} << (voice | TamTapiPro::CallerIdCapable);
    }

    void capabilitiesByProfile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, devCaps);
        startModem(arguments);
        m_tapi->LineCount();
        m_tapi->SetLineName(linkPath());
        QCOMPARE(m_tapi->LineUsable(), 1);
        QCOMPARE(m_tapi->DevCaps(), devCaps);
        m_tapi->SetLineOpen(true);
        QCOMPARE(m_tapi->DevCaps(), devCaps);
    }

    void silentOrMissingDeviceIsNotUsable()
    {
        startModem({QStringLiteral("--profile"), QStringLiteral("dead")});
        m_tapi->SetLineName(linkPath());
        QCOMPARE(m_tapi->LineUsable(), 0);
        try {
            m_tapi->DevCaps();
            QFAIL("a silent device has no capabilities");
        } catch (const RingseerError &error) {
            QCOMPARE(error.message(), QStringLiteral("the modem does not answer"));
        }

        m_tapi->SetLineName(m_env->root() + QStringLiteral("/no-such-modem"));
        QCOMPARE(m_tapi->LineUsable(), 0);
        QVERIFY_THROWS_EXCEPTION(RingseerError, m_tapi->SetLineOpen(true));
        QVERIFY(!m_tapi->LineOpen());
    }

    void callEventsForEachCallerIdFormat_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("flags");

        QTest::newRow("formatted, spaced") << QStringList{} << "call 5551234567 JOHN DOE" << "5551234567"
                                           << "JOHN DOE" << 12;
        QTest::newRow("formatted, compact, number only")
            << QStringList{"--style", "compact"} << "call 5551234567" << "5551234567" << "" << 8;
        QTest::newRow("caller ID before the first ring")
            << QStringList{} << "before-ring 4165550000 Ann Lee" << "4165550000" << "Ann Lee" << 12;
        QTest::newRow("withheld as P") << QStringList{} << "private" << "" << "" << 1;
        QTest::newRow("withheld as PRIVATE") << QStringList{} << "privateword" << "" << "" << 1;
        QTest::newRow("out of area") << QStringList{} << "outofarea" << "" << "" << 0;
        QTest::newRow("DDN_NMBR and MESG") << QStringList{} << "mesg 5557654321 BOB" << "5557654321" << "BOB" << 12;
        QTest::newRow("multiple data message") << QStringList{} << "hex 5551234567 JOHN DOE" << "5551234567"
                                               << "JOHN DOE" << 12;
        QTest::newRow("single data message") << QStringList{} << "sdmf 5551234567" << "5551234567" << "" << 8;
        QTest::newRow("multiple data message on two lines")
            << QStringList{} << "hexwrap 5551234567 JOHN DOE" << "5551234567" << "JOHN DOE" << 12;
        QTest::newRow("mobile modem, +CLIP after every ring")
            << QStringList{"--cid-command", "+CLIP"} << "clip +15551234567 JOHN DOE" << "+15551234567" << "JOHN DOE"
            << 12;
        QTest::newRow("mobile modem, withheld") << QStringList{"--cid-command", "+CLIP"} << "clip P" << "" << "" << 1;
    }

    void callEventsForEachCallerIdFormat()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, script);
        QFETCH(QString, number);
        QFETCH(QString, name);
        QFETCH(int, flags);
        startModem(arguments);
        openLine();

        QSignalSpy rings(m_tapi.get(), &TamTapiPro::OnIncomingCall);
        QSignalSpy states(m_tapi.get(), &TamTapiPro::OnCallState);
        QSignalSpy callerIds(m_tapi.get(), &TamTapiPro::OnCallerID);
        m_modem->command(script);

        QTRY_COMPARE_WITH_TIMEOUT(states.size(), 2, 5000);
        QCOMPARE(states[0][0].toString(), QStringLiteral("OFFERING"));
        QCOMPARE(states[1][0].toString(), QStringLiteral("IDLE"));
        QCOMPARE(rings.size(), 2);
        QCOMPARE(rings[0][0].toInt(), 1);
        QCOMPARE(rings[1][0].toInt(), 2);
        QCOMPARE(callerIds.size(), 1);
        QCOMPARE(callerIds[0][0].toString(), number);
        QCOMPARE(callerIds[0][1].toString(), name);
        QCOMPARE(callerIds[0][2].toInt(), flags);
        QCOMPARE(m_tapi->CallStateText(), QStringLiteral("IDLE"));
    }

    void callerDataAnswersWhileRinging()
    {
        startModem({});
        openLine();
        QString number, name;
        int flags = -1;
        connect(m_tapi.get(), &TamTapiPro::OnIncomingCall, this, [&](int ring) {
            if (ring == 2)
                m_tapi->GetCallerID(number, name, flags);
        });
        m_modem->command(QStringLiteral("call 5551234567 JOHN DOE"));
        QTRY_COMPARE_WITH_TIMEOUT(flags, 12, 5000);
        QCOMPARE(number, QStringLiteral("5551234567"));
        QCOMPARE(name, QStringLiteral("JOHN DOE"));
    }

    void dialAndHangUp()
    {
        startModem({});
        openLine();
        QSignalSpy states(m_tapi.get(), &TamTapiPro::OnCallState);
        m_tapi->MakeCall(QStringLiteral("555-123-4567"));
        QCOMPARE(m_tapi->CallStateText(), QStringLiteral("PROCEEDING"));
        QCOMPARE(m_modem->waitForLine(QStringLiteral("AT> ATDT")), QStringLiteral("AT> ATDT5551234567;"));
        m_tapi->HangUp();
        QCOMPARE(m_modem->waitForLine(QStringLiteral("AT> ATH")), QStringLiteral("AT> ATH0"));
        QCOMPARE(m_tapi->CallStateText(), QStringLiteral("IDLE"));
        QCOMPARE(states.size(), 2);

        QVERIFY_THROWS_EXCEPTION(RingseerError, m_tapi->MakeCall(QStringLiteral("(Not transmitted)")));
        m_tapi->SetLineOpen(false);
        QVERIFY_THROWS_EXCEPTION(RingseerError, m_tapi->MakeCall(QStringLiteral("5551234567")));
    }

    void unpluggedModemComesBackAndRingsAgain()
    {
        startModem({});
        openLine();
        m_modem->command(QStringLiteral("unplug"));
        QVERIFY(!m_modem->waitForLine(QStringLiteral("UNPLUGGED")).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(m_env->readLog().contains(QStringLiteral(": line device vanished")), 5000);
        QVERIFY(m_tapi->LineOpen());

        // Nothing spins while the device is away.
        QTest::qWait(500);

        m_modem->command(QStringLiteral("plug"));
        QVERIFY(!m_modem->waitForLine(QStringLiteral("PLUGGED")).isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(m_env->readLog().contains(QStringLiteral(": line device is back")), 5000);

        QSignalSpy callerIds(m_tapi.get(), &TamTapiPro::OnCallerID);
        m_modem->command(QStringLiteral("call 5551234567 JOHN DOE"));
        QTRY_COMPARE_WITH_TIMEOUT(callerIds.size(), 1, 5000);
        QCOMPARE(callerIds[0][0].toString(), QStringLiteral("5551234567"));
    }
};

QTEST_GUILESS_MAIN(TestAmTapiPro)
#include "tst_amtapipro.moc"
