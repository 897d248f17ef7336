#include "app/messagebox.h"
#include "app/ringseerform.h"
#include "fakemodemprocess.h"
#include "testenvironment.h"

#include <QSystemTrayIcon>
#include <QTest>

// Runs on a real X server with a tray host: the icon must end up embedded there.
class TestTrayIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void iconSitsInTheTrayWithItsTip()
    {
        TestEnvironment env;
        env.installData();
        FakeModemProcess modem;
        QVERIFY(modem.start(env.root() + QStringLiteral("/modem")));
        qputenv("RINGSEER_LINES", modem.path().toLocal8Bit());
        DialogHooks::setRecording(true);
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);

        TRingseerForm form(ParseCommandLine({QStringLiteral("Ringseer")}));
        form.FormCreate();
        QVERIFY(form.trayIcon()->isVisible());
        QCOMPARE(form.trayIcon()->toolTip(), QStringLiteral("Ringseer"));
        // Only an icon that a tray host embedded has a place on the screen.
        QTRY_VERIFY_WITH_TIMEOUT(form.trayIcon()->geometry().isValid(), 10000);
        QVERIFY(!form.isVisible());
        QVERIFY(DialogHooks::takeRecordedBoxes().isEmpty());

        form.ExitApplication();
        QVERIFY(!form.trayIcon()->isVisible());
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
