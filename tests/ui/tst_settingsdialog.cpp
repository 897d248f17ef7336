#include "app/ringseerapp.h"
#include "fakemodemprocess.h"
#include "formfixture.h"
#include "telephony/amtapipro.h"
#include "ui/orvcontrols.h"
#include "ui/settingsdialog.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FormFixture> m_fixture;
    TfSettings *dialog() const { return m_fixture->form->settingsDialog(); }
    TRingseerForm *form() const { return m_fixture->form.get(); }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<FormFixture>("[Index]\r\n[Defaults]\r\n_Entries=0\r\n");
        DialogHooks::takeFileDialogTitles();
    }

    void cleanup() { m_fixture.reset(); }

    void loadedFromTheSettings()
    {
        QCOMPARE(dialog()->tbServerPort()->text(), QStringLiteral("50134"));
        QVERIFY(dialog()->modeItem(0)->isChecked());
        QCOMPARE(dialog()->cbDirectories()->currentIndex(), -1); // "(NONE)" is no directory
        QVERIFY(dialog()->cbDirectories()->count() > 0);
        QVERIFY(!dialog()->tbVFCallerName()->isEnabled());
        QVERIFY(!dialog()->bSelectVFCallerNumber()->isEnabled());
    }

    void modeClicksActAtOnce()
    {
        const int full = form()->FullHeight();
        QTest::mouseClick(dialog()->modeItem(1), Qt::LeftButton);
        QCOMPARE(form()->height(), full - 220 - 46);
        QVERIFY(!form()->action(QStringLiteral("Record1"))->isVisible());
        QVERIFY(form()->action(QStringLiteral("Setup1"))->isVisible());
        QVERIFY(!dialog()->gbCallLog()->isHidden());

        // Server leaves the passive layout but hides the call log group.
        QTest::mouseClick(dialog()->modeItem(2), Qt::LeftButton);
        QCOMPARE(form()->height(), full - 220 - 46);
        QVERIFY(dialog()->gbCallLog()->isHidden());

        QTest::mouseClick(dialog()->modeItem(0), Qt::LeftButton);
        QCOMPARE(form()->height(), full);
        QVERIFY(form()->action(QStringLiteral("Record1"))->isVisible());
        QVERIFY(!form()->action(QStringLiteral("Setup1"))->isVisible());
        QVERIFY(!dialog()->gbCallLog()->isHidden());
    }

    void voiceFieldsFollowTheCheckBox()
    {
        QTest::mouseClick(dialog()->cbSpeakCallerInformation(), Qt::LeftButton);
        for (QWidget *control : std::initializer_list<QWidget *>{dialog()->tbVFCallerName(), dialog()->tbVFCallerNumber(),
                                                                 dialog()->bSelectVFCallerName(),
                                                                 dialog()->bSelectVFCallerNumber()})
            QVERIFY(control->isEnabled());
        QTest::mouseClick(dialog()->cbSpeakCallerInformation(), Qt::LeftButton);
        QVERIFY(!dialog()->tbVFCallerName()->isEnabled());
    }

    void voiceFileSelection()
    {
        dialog()->tbVFCallerName()->setText(QStringLiteral("/sounds/old.wav"));
        dialog()->tbVFCallerName()->setEnabled(true);
        dialog()->bSelectVFCallerName()->setEnabled(true);

        DialogHooks::setNextFileName(QString()); // cancelled
        dialog()->bSelectVFCallerName()->click();
        QCOMPARE(dialog()->tbVFCallerName()->text(), QStringLiteral("/sounds/old.wav"));

        DialogHooks::setNextFileName(QStringLiteral("/sounds/name.wav"));
        dialog()->bSelectVFCallerName()->click();
        QCOMPARE(dialog()->tbVFCallerName()->text(), QStringLiteral("/sounds/name.wav"));
        QCOMPARE(DialogHooks::takeFileDialogTitles(), (QStringList{QString(), QString()}));
        QCOMPARE(ToQtFileFilter(VoiceFileFilter()), QStringLiteral("Windows audio files (*.WAV);;All files (*.*)"));
    }

    void portFieldRefusesALetter()
    {
        TORVEdit *port = dialog()->tbServerPort();
        port->clear();
        QTest::keyClicks(port, QStringLiteral("4x0"));
        QCOMPARE(port->text(), QStringLiteral("40"));
        QTest::keyClicks(port, QStringLiteral("1234567"));
        QCOMPARE(port->text(), QStringLiteral("40123"));
    }

    void valuesReachTheSettingsAtCloseAndTheStoreAtExit()
    {
        dialog()->tbServerPort()->setText(QStringLiteral("40000"));
        QTest::mouseClick(dialog()->cbSpeakCallerInformation(), Qt::LeftButton);
        dialog()->tbVFCallerName()->setText(QStringLiteral("/sounds/name.wav"));
        QTest::mouseClick(dialog()->modeItem(1), Qt::LeftButton);
        dialog()->cbAllwaysOnTop()->setChecked(true);
        dialog()->cbDirectories()->setCurrentIndex(0);
        dialog()->show();
        dialog()->bClose()->click();
        QVERIFY(!dialog()->isVisible());

        const AppSettingsRecord &settings = form()->app()->settings();
        QCOMPARE(settings.ServerPort, QStringLiteral("40000"));
        QCOMPARE(settings.SpeakCallerInfo, 1);
        QCOMPARE(settings.VFCallerName, QStringLiteral("/sounds/name.wav"));
        QCOMPARE(settings.Mode, 1);
        QCOMPARE(settings.CallLogOnTop, 1);
        QCOMPARE(settings.Directory, dialog()->cbDirectories()->itemText(0));

        const QString config = m_fixture->env.configFile();
        QVERIFY(!QSettings(config, QSettings::IniFormat).contains(QStringLiteral("Settings/ServerPort")));
        form()->ExitApplication();
        QSettings stored(config, QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Settings/ServerPort")).toString(), QStringLiteral("40000"));
        QCOMPARE(stored.value(QStringLiteral("Settings/Mode")).toString(), QStringLiteral("1"));
    }

    void lineCheckFromTheDialogMarksAFailedLineRed()
    {
        QTemporaryDir modems;
        FakeModemProcess good, noCallerId;
        QVERIFY(good.start(modems.filePath(QStringLiteral("good"))));
        QVERIFY(noCallerId.start(modems.filePath(QStringLiteral("nocid")),
                                 {QStringLiteral("--profile"), QStringLiteral("nocid")}));
        m_fixture.reset();
        m_fixture = std::make_unique<FormFixture>("[Index]\r\n[Defaults]\r\n_Entries=0\r\n",
                                                  good.path() + QLatin1Char(':') + noCallerId.path());
        QCOMPARE(dialog()->cbModems()->count(), 2);
        QCOMPARE(dialog()->cbModems()->currentText(), good.path());
        QVERIFY(!dialog()->LineListFailed());

        dialog()->cbModems()->setCurrentIndex(1);
        Q_EMIT dialog()->cbModems()->textActivated(dialog()->cbModems()->currentText());
        QVERIFY(dialog()->LineListFailed());
        const QList<RecordedBox> boxes = DialogHooks::takeRecordedBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].text.contains(QStringLiteral(" [CALLERID NOT SUPPORTED]")));
        QCOMPARE(form()->trayIcon()->toolTip(), QStringLiteral("Modem not available"));
        QVERIFY(!form()->app()->amTapi()->LineOpen());

        dialog()->cbModems()->setCurrentIndex(0);
        Q_EMIT dialog()->cbModems()->textActivated(dialog()->cbModems()->currentText());
        QVERIFY(!dialog()->LineListFailed());
        QVERIFY(form()->app()->amTapi()->LineOpen());
        QCOMPARE(form()->trayIcon()->toolTip(), QStringLiteral("Ringseer"));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
