#include "app/ringseerapp.h"
#include "ipc/ipcclient.h"
#include "ipc/ipcprotocol.h"
#include "ipc/ipcserver.h"
#include "ipctestsupport.h"
#include "recordingpresenter.h"
#include "testenvironment.h"

#include <QSettings>
#include <QTest>

// The serving and client roles as start-up brings them up, with the windows played by a
// recording presenter and the other end played by the test.
class TestIpcRoles : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    RecordingPresenter m_presenter;
    quint16 m_port = 0;

    std::unique_ptr<RingseerApp> makeApp(bool server, bool client, bool headless = false)
    {
        RunFlags flags;
        flags.ServerRun = server;
        flags.ClientRun = client;
        flags.Headless = headless;
        return std::make_unique<RingseerApp>(flags, QStringLiteral("127.0.0.1"), headless ? nullptr : &m_presenter);
    }

    int logCount(const QString &text) const { return int(m_env->readLog().count(text)); }

    // What the user saw of the connection: boxes and tray changes, a repeated tray
    // change counted once.
    QStringList connectionStory()
    {
        QStringList story;
        for (const QString &call : m_presenter.take()) {
            if ((call.startsWith(QLatin1String("tray:")) || call.startsWith(QLatin1String("box:")))
                && (story.isEmpty() || story.last() != call))
                story << call;
        }
        return story;
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->installData();
        // No line for the roles that would open one.
        qputenv("RINGSEER_LINES", (m_env->root() + QStringLiteral("/no-modem")).toLocal8Bit());
        m_port = freeTcpPort();
        QSettings(m_env->configFile(), QSettings::IniFormat)
            .setValue(QStringLiteral("Settings/ServerPort"), QString::number(m_port));
        m_presenter.take();
    }

    void cleanup()
    {
        m_env.reset();
        qunsetenv("RINGSEER_LINES");
    }

    void clientFindsItsServerAtTheNextCheck()
    {
        auto app = makeApp(false, true);
        app->setReconnectInterval(2);
        app->StartApplication();
        const QString port = QString::number(m_port);
        const QString noServerTip = QStringLiteral("tray: 1 1 No server availabe on IP=127.0.0.1:") + port;
        QTRY_VERIFY_WITH_TIMEOUT(m_presenter.calls.contains(noServerTip), 5000);

        auto server = std::make_unique<IpcServer>();
        QVERIFY(server->Listen(port));
        QTRY_VERIFY_WITH_TIMEOUT(server->ClientCount() == 1 && m_presenter.calls.last() == "tray: 1 0 Ringseer", 5000);
        server->Broadcast(CallerLine(QStringLiteral("555-123-4567"), QStringLiteral("JOHN DOE")));
        QTRY_VERIFY(m_presenter.calls.contains("card: 555-123-4567;JOHN DOE"));

        QCOMPARE(connectionStory(), (QStringList{
                                        "tray: 0 0 Ringseer",
                                        "box: No server available on 127.0.0.1:" + port,
                                        noServerTip,
                                        "tray: 1 0 Ringseer",
                                    }));

        // The server restarts: the client sees it gone at its next check and connects again.
        server = std::make_unique<IpcServer>();
        QVERIFY(server->Listen(port));
        QTRY_VERIFY_WITH_TIMEOUT(server->ClientCount() == 1, 5000);
        server->Broadcast(CallerLine(QStringLiteral("555-987-6543"), QStringLiteral("ANN LEE")));
        QTRY_VERIFY(m_presenter.calls.contains("card: 555-987-6543;ANN LEE"));
        const QStringList afterRestart = connectionStory();
        QCOMPARE(afterRestart.mid(afterRestart.indexOf(noServerTip)), (QStringList{noServerTip, "tray: 1 0 Ringseer"}));
        QCOMPARE(logCount(QStringLiteral("]  CALLERID:")), 2);
    }

    void aTakenPortLeavesTheInstanceWithoutServing_data()
    {
        QTest::addColumn<bool>("headless");
        QTest::newRow("desktop: box and log line") << false;
        QTest::newRow("service: log line only") << true;
    }

    void aTakenPortLeavesTheInstanceWithoutServing()
    {
        QFETCH(bool, headless);
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, m_port));
        auto app = makeApp(true, false, headless);
        app->StartApplication();

        const QString text = QStringLiteral("The server port is already in use: ") + QString::number(m_port);
        QCOMPARE(logCount(QStringLiteral("]  ") + text + QLatin1Char('\n')), 1);
        QVERIFY(!app->IPCServer().isListening());
        if (!headless) {
            const QStringList calls = m_presenter.take();
            QCOMPARE(calls.filter(QStringLiteral("box: ") + text).size(), 1);
            QVERIFY(calls.indexOf("status: Starting server...") < calls.indexOf("box: " + text));
        }
        // The line step still ran.
        QVERIFY(m_env->readLog().contains(QStringLiteral("No usable modem found")));
    }

    void anInstanceThatIsItsOwnServerHandlesACallOnce()
    {
        auto app = makeApp(true, true, true);
        app->IPCServer().setEchoWindow(1500);
        app->StartApplication();
        QTRY_COMPARE(app->IPCServer().ClientCount(), 1);

        app->FeedTestCall();
        QTRY_COMPARE(logCount(QStringLiteral("Not handled again")), 1);
        QTest::qWait(1000);
        QCOMPARE(logCount(QStringLiteral("]  CALLERID:555-123-4567;\n")), 1);

        // The same number calling again later is a new call.
        QTest::qWait(1500);
        app->FeedTestCall();
        QTRY_COMPARE(logCount(QStringLiteral("Not handled again")), 2);
        QTest::qWait(1000);
        QCOMPARE(logCount(QStringLiteral("]  CALLERID:555-123-4567;\n")), 2);
    }
};

QTEST_GUILESS_MAIN(TestIpcRoles)
#include "tst_ipcroles.moc"
