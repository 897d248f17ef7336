#include "formfixture.h"
#include "records/calllogform.h"
#include "ui/settingsdialog.h"
#include "app/ringseerapp.h"
#include "testenvironment.h"
#include "ui/language.h"
#include "ui/orvcontrols.h"
#include "ui/translatecontrol.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

template <typename T>
T *named(QWidget *parent, const char *name, const char *text = nullptr)
{
    auto *widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    if constexpr (std::is_base_of_v<QAbstractButton, T> || std::is_base_of_v<QLabel, T>) {
        if (text)
            widget->setText(QString::fromLatin1(text));
    }
    return widget;
}

QStringList keysOf(const TLanguage &language)
{
    QStringList keys;
    for (const QString &row : language.Lines())
        keys << row.section(QLatin1Char(';'), 0, 0);
    return keys;
}

} // namespace

class TestTranslateControl : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> m_env;
    TLanguage m_language;

    void loadTable(const QByteArray &content)
    {
        const QString path = m_env->dataDir() + QStringLiteral("language.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.close();
        m_language = TLanguage();
        m_language.LoadFile(path);
    }

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestEnvironment>(); }
    void cleanup() { m_env.reset(); }

    void dialogKeysFollowTheContainers()
    {
        loadTable("Key;English\r\n");
        QDialog dialog;
        dialog.setObjectName(QStringLiteral("fSettings"));
        dialog.setWindowTitle(QStringLiteral("Settings"));
        auto *mode = named<TRadioGroup>(&dialog, "pMode");
        mode->setTitle(QStringLiteral("Mode"));
        named<QRadioButton>(mode, "rbActive", "Active");
        named<QPushButton>(&dialog, "bClose", "&Close");
        auto *server = named<TPanel>(&dialog, "pServer");
        named<QLabel>(server, "lServerPort", "Port");
        auto *voice = named<TPanel>(&dialog, "pVoice");
        named<QLabel>(voice, "lCallerName", "Caller name");
        named<QCheckBox>(voice, "cbSpeakCallerInformation", "Speak caller information");
        auto *select = named<QPushButton>(voice, "bSelectVFCallerName", "...");
        select->setToolTip(QStringLiteral("Choose a voice file"));
        named<TORVEdit>(voice, "tbVFCallerName");
        auto *callLog = named<QGroupBox>(&dialog, "gbCallLog");
        callLog->setTitle(QStringLiteral("Call log"));
        named<QCheckBox>(callLog, "cbAllwaysOnTop", "Allways on top");

        TranslateControl(m_language, &dialog);

        const QStringList keys = keysOf(m_language);
        for (const char *key : {"fSettings->Caption", "fSettings->pMode->Caption", "fSettings->bClose->Caption",
                                "pServer->lServerPort->Caption", "pVoice->lCallerName->Caption",
                                "pVoice->cbSpeakCallerInformation->Caption", "gbCallLog->cbAllwaysOnTop->Caption",
                                "pVoice->bSelectVFCallerName->Caption", "pVoice->bSelectVFCallerName->Hint"})
            QVERIFY2(keys.contains(QString::fromLatin1(key)), key);
        // Containers' own captions, radio group items and edits are left alone.
        for (const QString &key : keys) {
            QVERIFY2(!key.contains(QStringLiteral("gbCallLog->Caption")), qPrintable(key));
            QVERIFY2(!key.contains(QStringLiteral("rbActive")), qPrintable(key));
            QVERIFY2(!key.contains(QStringLiteral("tbVFCallerName")), qPrintable(key));
        }
        QCOMPARE(readTextFile(m_language.TablePath()).count(QStringLiteral("\r\n")), keys.size());
    }

    void menusAndLanguageMenu()
    {
        loadTable("Key;English;Deutsch;Nederlands\r\n"
                  "RingseerForm->Exit1->Caption;&Exit;&Beenden;&Afsluiten\r\n"
                  "PopupMenu->Open1->Caption;&Open;&Öffnen;&Openen\r\n");
        QMainWindow form;
        form.setObjectName(QStringLiteral("RingseerForm"));
        QMenu *file = form.menuBar()->addMenu(QStringLiteral("&File"));
        file->menuAction()->setObjectName(QStringLiteral("File1"));
        QAction *exit = file->addAction(QStringLiteral("&Exit"));
        exit->setObjectName(QStringLiteral("Exit1"));
        QMenu *info = form.menuBar()->addMenu(QStringLiteral("&?"));
        info->menuAction()->setObjectName(QStringLiteral("Info1"));
        info->addSeparator()->setObjectName(QStringLiteral("N1"));
        QMenu *languages = form.menuBar()->addMenu(QStringLiteral("&L"));
        languages->menuAction()->setObjectName(QStringLiteral("L1"));
        QMenu popup;
        popup.setObjectName(QStringLiteral("PopupMenu"));
        QAction *open = popup.addAction(QStringLiteral("&Open"));
        open->setObjectName(QStringLiteral("Open1"));

        m_language.SetCurrentLanguage(1);
        TranslateControl(m_language, &form, languages);
        TranslatePopupMenu(m_language, &popup);

        const QList<QAction *> items = languages->actions();
        QCOMPARE(items.size(), 3);
        QStringList names;
        for (int i = 0; i < items.size(); ++i) {
            names << items[i]->text();
            QCOMPARE(items[i]->data().toInt(), i + 1);
        }
        QCOMPARE(names, (QStringList{"English", "Deutsch", "Nederlands"}));
        QVERIFY(keysOf(m_language).contains(QStringLiteral("RingseerForm->N1->Caption")));

        // Choosing a language translates the main window again at once.
        items[1]->trigger();
        QCOMPARE(m_language.CurrentLanguage(), 2);
        QCOMPARE(exit->text(), QStringLiteral("&Beenden"));
        QVERIFY(!items[0]->isChecked());
        QVERIFY(items[1]->isChecked());
        // The tray menu keeps its language until the next start.
        QCOMPARE(open->text(), QStringLiteral("&Open"));
        // The language items themselves are never looked up.
        for (const QString &key : keysOf(m_language))
            QVERIFY2(!key.contains(QStringLiteral("Language")), qPrintable(key));
    }

    void shippedTableHoldsEveryKeyTheWindowsAskFor()
    {
        m_env.reset();
        FormFixture fixture("[Index]\r\n[Defaults]\r\n_Entries=0\r\n");
        const QString table = fixture.env.dataDir() + QStringLiteral("language.csv");
        const QString shipped = readTextFile(table);
        for (int language = 1; language <= 2; ++language) {
            fixture.form->app()->language().SetCurrentLanguage(language);
            TranslateControl(fixture.form->app()->language(), fixture.form.get());
            TranslatePopupMenu(fixture.form->app()->language(), fixture.form->popupMenu());
            fixture.form->callLogForm()->ShowLog();
            TranslateControl(fixture.form->app()->language(), fixture.form->callLogForm());
            TranslatePopupMenu(fixture.form->app()->language(), fixture.form->callLogForm()->popupMenu());
            TranslateControl(fixture.form->app()->language(), fixture.form->aboutForm());
            TranslateControl(fixture.form->app()->language(), fixture.form->settingsDialog());
        }
        QCOMPARE(readTextFile(table), shipped);
        QCOMPARE(fixture.form->action(QStringLiteral("Exit1"))->text(), QStringLiteral("&Beenden"));
        QCOMPARE(fixture.form->settingsDialog()->windowTitle(), QStringLiteral("Einstellungen"));
    }
};

QTEST_MAIN(TestTranslateControl)
#include "tst_translatecontrol.moc"
