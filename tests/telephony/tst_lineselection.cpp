#include "app/ringseerapp.h"
#include "fakemodemprocess.h"
#include "recordingpresenter.h"
#include "telephony/amtapipro.h"
#include "testenvironment.h"

#include <QSettings>
#include <QTest>

// Start-up's line step and the settings dialog's line check against simulated modems.
class TestLineSelection : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::vector<std::unique_ptr<FakeModemProcess>> m_modems;
    RecordingPresenter m_presenter;

    QString modemPath(int n) const { return m_env->root() + QStringLiteral("/modem%1").arg(n); }

    void startModems(const QList<QStringList> &profiles)
    {
        QStringList paths;
        for (const QStringList &arguments : profiles) {
            auto modem = std::make_unique<FakeModemProcess>();
            QVERIFY(modem->start(modemPath(int(m_modems.size())), arguments));
            paths << modem->path();
            m_modems.push_back(std::move(modem));
        }
        qputenv("RINGSEER_LINES", paths.join(QLatin1Char(':')).toLocal8Bit());
    }

    std::unique_ptr<RingseerApp> startApp(bool headless = false)
    {
        RunFlags flags;
        flags.Headless = headless;
        auto app = std::make_unique<RingseerApp>(flags, QString(), headless ? nullptr : &m_presenter);
        app->StartApplication();
        return app;
    }

    QString storedModem() const
    {
        return QSettings(m_env->configFile(), QSettings::IniFormat).value(QStringLiteral("Settings/Modem")).toString();
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->installData();
        m_presenter.take();
    }

    void cleanup()
    {
        m_modems.clear();
        m_env.reset();
        qunsetenv("RINGSEER_LINES");
    }

    void firstUsableLineIsChosenAndStoredAtOnce_data()
    {
        QTest::addColumn<QStringList>("firstProfile");
        QTest::addColumn<QString>("logged");
        QTest::newRow("voice modem") << QStringList{} << ":DevCaps: AUTOMATEDVOICE";
        QTest::newRow("data-only modem") << QStringList{"--profile", "data"} << ":DevCaps: DATAMODEM";
    }

    void firstUsableLineIsChosenAndStoredAtOnce()
    {
        QFETCH(QStringList, firstProfile);
        QFETCH(QString, logged);
        startModems({firstProfile, {}});
        auto app = startApp();

        QCOMPARE(storedModem(), modemPath(0));
        QCOMPARE(app->settings().Modem, modemPath(0));
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  ") + modemPath(0) + logged + QLatin1Char('\n')));
        QVERIFY(app->amTapi()->LineOpen());
        QCOMPARE(m_presenter.take(),
                 QStringList({"tray: 0 0 Ringseer",
                              "lines: " + modemPath(0) + "," + modemPath(1) + " selected " + modemPath(0)}));
    }

    void lineWithoutCallerIdIsReported()
    {
        startModems({{QStringLiteral("--profile"), QStringLiteral("nocid")}});
        auto app = startApp();

        const QString failure = modemPath(0) + QStringLiteral(" is not available [CALLERID NOT SUPPORTED]");
        QCOMPARE(m_presenter.take(),
                 QStringList({"tray: 0 0 Ringseer",
                              "box: " + failure + "\nPlease select a valid modem in the settings.",
                              "tray: 1 1 " + modemPath(0) + " is not available", "settings dialog", "lines red",
                              "lines: " + modemPath(0) + " selected " + modemPath(0)}));
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  ") + failure + QLatin1Char('\n')));
        // The line was opened before the check and stays open.
        QVERIFY(app->amTapi()->LineOpen());
    }

    void staleStoredLineIsReportedWithoutFallback()
    {
        startModems({{}});
        const QString gone = m_env->root() + QStringLiteral("/unplugged-modem");
        QSettings(m_env->configFile(), QSettings::IniFormat).setValue(QStringLiteral("Settings/Modem"), gone);
        auto app = startApp();

        const QStringList calls = m_presenter.take();
        QCOMPARE(calls.value(1), "box: " + gone + " is not available [line device not found]\n"
                                                  "Please select a valid modem in the settings.");
        QVERIFY(calls.contains(QStringLiteral("settings dialog")));
        QCOMPARE(calls.last(), "lines: " + modemPath(0) + " selected " + gone);
        QCOMPARE(storedModem(), gone);
        QVERIFY(!app->amTapi()->LineOpen());
    }

    void noUsableLine_data()
    {
        QTest::addColumn<bool>("silentDevice");
        QTest::newRow("path that does not exist") << false;
        QTest::newRow("device that is not a modem") << true;
    }

    void noUsableLine()
    {
        QFETCH(bool, silentDevice);
        if (silentDevice)
            startModems({{QStringLiteral("--profile"), QStringLiteral("dead")}});
        else
            qputenv("RINGSEER_LINES", (m_env->root() + QStringLiteral("/nothing-here")).toLocal8Bit());
        auto app = startApp();

        QCOMPARE(m_presenter.take(), QStringList({"tray: 0 0 Ringseer", "tray: 1 1 No usable modem found",
                                                  "box: No usable modem found"}));
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  No usable modem found\n")));
        QVERIFY(!app->amTapi()->LineOpen());
        QCOMPARE(storedModem(), QString());
    }

    void headlessOnlyLogs()
    {
        startModems({{QStringLiteral("--profile"), QStringLiteral("nocid")}});
        auto app = startApp(true);
        QVERIFY(m_presenter.take().isEmpty());
        QVERIFY(m_env->readLog().contains(modemPath(0) + QStringLiteral(":DevCaps: AUTOMATEDVOICE")));
        QVERIFY(m_env->readLog().contains(modemPath(0) + QStringLiteral(" is not available [CALLERID NOT SUPPORTED]")));
    }

    void dialogCheckClosesAFailedLineAndClearsTheMarkOnSuccess()
    {
        startModems({{}, {QStringLiteral("--profile"), QStringLiteral("nocid")}});
        auto app = startApp();
        m_presenter.take();

        app->ChangeLine(modemPath(1));
        const QString failure = modemPath(1) + QStringLiteral(" is not available [CALLERID NOT SUPPORTED]");
        QCOMPARE(m_presenter.take(),
                 QStringList({"settings box: " + failure + "\nPlease select a valid modem in the settings.",
                              "tray: 1 1 Modem not available", "lines red"}));
        QVERIFY(!app->amTapi()->LineOpen());

        app->ChangeLine(modemPath(0));
        QCOMPARE(m_presenter.take(), QStringList({"lines normal", "tray: 1 0 Ringseer"}));
        QVERIFY(app->amTapi()->LineOpen());
        QCOMPARE(app->amTapi()->LineName(), modemPath(0));
    }
};

QTEST_GUILESS_MAIN(TestLineSelection)
#include "tst_lineselection.moc"
