#include "app/messagebox.h"
#include "app/ringseerform.h"
#include "fakemodemprocess.h"
#include "records/calllogform.h"
#include "testenvironment.h"
#include "ui/orvcontrols.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>

// The desktop program on a real X server with a tray host, watching a fake modem.
// With RINGSEER_SCREENSHOTS naming a folder, pictures of the caller card and the call
// log window are saved there.
class TestDesktop : public QObject
{
    Q_OBJECT

private:
    struct Desktop
    {
        Desktop()
        {
            env.installData();
            if (!modem.start(env.root() + QStringLiteral("/modem")))
                return;
            qputenv("RINGSEER_LINES", modem.path().toLocal8Bit());
            DialogHooks::setRecording(true);
            form = std::make_unique<TRingseerForm>(ParseCommandLine({QStringLiteral("Ringseer")}));
            form->FormCreate();
        }
        ~Desktop() { qunsetenv("RINGSEER_LINES"); }

        TestEnvironment env;
        FakeModemProcess modem;
        std::unique_ptr<TRingseerForm> form;
    };

    static void saveScreenshot(const QWidget &window, const QString &fileName)
    {
        const QString folder = qEnvironmentVariable("RINGSEER_SCREENSHOTS");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        const QRect frame = window.frameGeometry();
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(), frame.width(),
                                                                          frame.height());
        QVERIFY(shot.save(QDir(folder).filePath(fileName)));
    }

private Q_SLOTS:
    void iconSitsInTheTrayWithItsTip()
    {
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        Desktop desktop;
        QVERIFY(desktop.form);
        TRingseerForm &form = *desktop.form;
        QVERIFY(form.trayIcon()->isVisible());
        QCOMPARE(form.trayIcon()->toolTip(), QStringLiteral("Ringseer"));
        // Only an icon that a tray host embedded has a place on the screen.
        QTRY_VERIFY_WITH_TIMEOUT(form.trayIcon()->geometry().isValid(), 10000);
        QVERIFY(!form.isVisible());
        QVERIFY(DialogHooks::takeRecordedBoxes().isEmpty());

        form.ExitApplication();
        QVERIFY(!form.trayIcon()->isVisible());
    }

    void cardSlidesInWithTheCallerAndAwayAfterTenSeconds()
    {
        Desktop desktop;
        QVERIFY(desktop.form);
        TRingseerForm &form = *desktop.form;
        QVERIFY(!form.isVisible());

        desktop.modem.command(QStringLiteral("call 5550147788 JANE SAMPLE"));
        QTRY_VERIFY_WITH_TIMEOUT(form.isVisible(), 15000);
        QElapsedTimer shown;
        shown.start();
        // Resting in the corner once the slide is done.
        QTRY_COMPARE_WITH_TIMEOUT(form.pos(), form.cardRestingPosition(), 5000);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(form.frameGeometry().bottomRight(), area.bottomRight());
        QCOMPARE(form.cbCallerName()->currentText(), QStringLiteral("Jane Sample"));
        QCOMPARE(form.tbCallerID()->text(), QStringLiteral("555-014-7788"));
        QVERIFY(!form.editing());
        const QImage picture(desktop.env.dataDir() + QStringLiteral("Jane Sample.bmp"));
        QCOMPARE(form.image()->pixmap().toImage().pixelColor(5, 5), picture.pixelColor(5, 5));
        QTest::qWait(200);
        saveScreenshot(form, QStringLiteral("card.png"));

        QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 20000);
        QVERIFY2(shown.elapsed() >= 9500, qPrintable(QString::number(shown.elapsed())));
        QCOMPARE(form.lastSlideOutSteps(), (form.frameGeometry().height() + 100) / 3);

        TfLog *log = form.callLogForm();
        log->ShowLog();
        log->resize(560, 300);
        QTest::qWait(300);
        saveScreenshot(*log, QStringLiteral("calllog.png"));
        log->close();

        QVERIFY(DialogHooks::takeRecordedBoxes().isEmpty());
        form.ExitApplication();
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
