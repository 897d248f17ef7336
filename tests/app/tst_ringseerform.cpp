#include "app/helplauncher.h"
#include "app/messagebox.h"
#include "app/ringseerapp.h"
#include "app/ringseerform.h"
#include "app/statusform.h"
#include "records/apdinidbase.h"
#include "telephony/amtapipro.h"
#include "fakemodemprocess.h"
#include "testenvironment.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTest>

class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void openUrl(const QUrl &url) { urls.append(url); }
};

class TestRingseerForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<TRingseerForm> m_form;
    std::unique_ptr<FakeModemProcess> m_modem;

    void startForm(const QStringList &arguments = {})
    {
        m_form = std::make_unique<TRingseerForm>(ParseCommandLine(QStringList{"Ringseer"} + arguments));
        m_form->FormCreate();
    }

private Q_SLOTS:
    void initTestCase() { DialogHooks::setRecording(true); }

    void init()
    {
        m_env = std::make_unique<TestEnvironment>();
        m_env->installData();
        m_modem = std::make_unique<FakeModemProcess>();
        QVERIFY(m_modem->start(m_env->root() + QStringLiteral("/modem")));
        qputenv("RINGSEER_LINES", m_modem->path().toLocal8Bit());
    }

    void cleanup()
    {
        m_form.reset();
        m_modem.reset();
        qunsetenv("RINGSEER_LINES");
        m_env.reset();
        DialogHooks::takeRecordedBoxes();
    }

    void startsInTheTrayWithoutAWindow()
    {
        startForm();
        QVERIFY(m_form->trayIcon()->isVisible());
        QCOMPARE(m_form->trayIcon()->toolTip(), QStringLiteral("Ringseer"));
        QCOMPARE(m_form->trayIcon()->contextMenu(), m_form->popupMenu());
        QVERIFY(m_form->app()->amTapi()->LineOpen());
        QVERIFY(!m_form->isVisible());
        QVERIFY(!m_form->action(QStringLiteral("Test1"))->isVisible());
        QCOMPARE(m_form->centralWidget()->size(), QSize(220, 266));
        QVERIFY(DialogHooks::takeRecordedBoxes().isEmpty());
    }

    void modeLayouts_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("reduced");
        QTest::addColumn<bool>("recordMenu");
        QTest::addColumn<bool>("setupMenu");
        QTest::newRow("active: the card") << "0" << false << true << false;
        QTest::newRow("passive: no picture, the setup menu") << "1" << true << false << true;
        QTest::newRow("server: as active") << "2" << false << true << false;
        QTest::newRow("unknown mode keeps the design") << "5" << false << true << false;
    }

    void modeLayouts()
    {
        QFETCH(QString, mode);
        QFETCH(bool, reduced);
        QFETCH(bool, recordMenu);
        QFETCH(bool, setupMenu);
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ORV Software"), QStringLiteral("Ringseer"))
            .setValue(QStringLiteral("Settings/Mode"), mode);
        startForm();

        const int full = m_form->FullHeight();
        QCOMPARE(m_form->height(), reduced ? full - 220 - 46 : full);
        QCOMPARE(m_form->findChild<QLabel *>(QStringLiteral("Image"))->isVisibleTo(m_form.get()), !reduced);
        QCOMPARE(m_form->findChild<QWidget *>(QStringLiteral("Panel1"))->isVisibleTo(m_form.get()), !reduced);
        QCOMPARE(m_form->action(QStringLiteral("Record1"))->isVisible(), recordMenu);
        QCOMPARE(m_form->action(QStringLiteral("Setup1"))->isVisible(), setupMenu);
        QCOMPARE(m_form->app()->settings().Mode, mode.toInt());
    }

    void closingOnlyHidesTheWindow()
    {
        startForm();
        m_form->action(QStringLiteral("Open1"))->trigger();
        QVERIFY(m_form->isVisible());
        m_form->action(QStringLiteral("Minimize1"))->trigger();
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->app()->cardTouched());
        QVERIFY(!m_form->app()->terminating());
    }

    void helpOpensTheManualAtTheKeyword()
    {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "openUrl");
        startForm();
        m_form->action(QStringLiteral("Help1"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(recorder.urls.size(), 1);
        QCOMPARE(recorder.urls[0].fragment(), QStringLiteral("idh_ringseer"));
        QVERIFY(recorder.urls[0].toLocalFile().endsWith(QStringLiteral("/help/html/manual.html")));
    }

    void exitSavesTheSettingsAndRemovesTheIcon()
    {
        startForm();
        m_form->app()->settings().Modem = QStringLiteral("ttyACM0");
        m_form->action(QStringLiteral("Exit1"))->trigger();
        QVERIFY(m_form->app()->terminating());
        QVERIFY(!m_form->trayIcon()->isVisible());
        QSettings stored(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ORV Software"),
                         QStringLiteral("Ringseer"));
        QCOMPARE(stored.value(QStringLiteral("Settings/Modem")).toString(), QStringLiteral("ttyACM0"));
        QCOMPARE(stored.value(QStringLiteral("Settings/Language")).toString(), QStringLiteral("1"));
    }

    void firstRunPointsTheSamplesAtTheirPictures()
    {
        startForm();
        m_form->app()->RunFirstRunStep();
        QSettings stored(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ORV Software"),
                         QStringLiteral("Ringseer"));
        QCOMPARE(stored.value(QStringLiteral("Settings/FirstRun")).toString(), QStringLiteral("FALSE"));
        TApdIniDBase &callers = m_form->app()->CallerDB();
        for (const QString &name : RingseerApp::SampleCallers())
            QCOMPARE(callers.GetRecord(name).text(QStringLiteral("Picture")),
                     m_env->dataDir() + name + QStringLiteral(".bmp"));

        // Once done, a user's own choice of picture is left alone.
        DbRecord sample = callers.GetRecord(RingseerApp::SampleCallers().first());
        sample.setText(QStringLiteral("Picture"), QStringLiteral("/home/me/mine.jpg"));
        callers.UpdRecord(sample.key(), sample);
        m_form->app()->RunFirstRunStep();
        QCOMPARE(callers.GetRecord(sample.key()).text(QStringLiteral("Picture")), QStringLiteral("/home/me/mine.jpg"));
    }

    void hiddenTestEntryFeedsASampleCall()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ORV Software"), QStringLiteral("Ringseer"))
            .setValue(QStringLiteral("Settings/Mode"), QStringLiteral("2"));
        startForm();
        m_form->action(QStringLiteral("Test1"))->trigger();
        QVERIFY(m_env->readLog().contains(QStringLiteral("]  CALLERID:555-123-4567;\n")));
    }

    void statusTextOfMoreThanFiftyCharactersIsCleared()
    {
        TStatusForm status;
        status.show();
        status.tbStatus()->setText(QStringLiteral("Starting server..."));
        QCOMPARE(status.tbStatus()->text(), QStringLiteral("Starting server..."));
        status.tbStatus()->setText(QString(50, QLatin1Char('x')));
        QCOMPARE(status.tbStatus()->text().size(), 50);
        status.tbStatus()->setText(QString(51, QLatin1Char('x')));
        QCOMPARE(status.tbStatus()->text(), QString());
        QVERIFY(status.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    }
};

QTEST_MAIN(TestRingseerForm)
#include "tst_ringseerform.moc"
