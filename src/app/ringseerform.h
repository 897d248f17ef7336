#pragma once

#include "presenter.h"
#include "runflags.h"

#include <QIcon>
#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;
class TORVComboBox;
class TORVEdit;
class TPanel;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class RingseerApp;
class TStatusForm;
class TfLog;
class TfSettings;
class TamWavePro;
class QDialog;

// The main window: it lives as a tray icon and doubles as the caller card. It owns
// the display-free core and presents what the core asks for.
class TRingseerForm : public QMainWindow, public Presenter
{
    Q_OBJECT

public:
    explicit TRingseerForm(const CommandLine &commandLine, QWidget *parent = nullptr);
    ~TRingseerForm() override;

    // Parses nothing further (the command line came with construction), sets up help
    // and runs the start-up sequence.
    void FormCreate();
    void ExitApplication();

    RingseerApp *app() const { return m_app; }
    int FullHeight() const { return m_fullHeight; }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    QMenu *popupMenu() const { return m_popupMenu; }
    QAction *action(const QString &objectName) const;
    TStatusForm *statusForm() const { return m_statusForm; }
    QDialog *aboutForm() const { return m_aboutForm; }
    TfLog *callLogForm() const { return m_callLog; }
    TfSettings *settingsDialog() const { return m_settingsDialog; }

    // The caller card.
    bool DisplayRecord(const QString &name);
    TORVComboBox *cbCallerName() const { return m_cbCallerName; }
    TORVEdit *tbCallerID() const { return m_tbCallerID; }
    QLabel *image() const { return m_image; }
    bool editing() const;
    const QString &CardRecordName() const { return m_cardRecordName; }
    // Window moves of the last slide-in and slide-out, for the animation's checks.
    int lastSlideInSteps() const { return m_lastSlideInSteps; }
    int lastSlideOutSteps() const { return m_lastSlideOutSteps; }
    // Where the card's outer frame rests once it has slid in.
    QPoint cardRestingPosition() const;
    void HideTimerTimer();

    // Presenter
    void showErrorBox(const QString &text) override;
    void showSettingsErrorBox(const QString &text) override;
    bool setTrayIcon(TrayAction action, int image, const QString &tip) override;
    void showStatusWindow(const QString &text) override;
    void closeStatusWindow() override;
    void fillCallerNames(const QStringList &names) override;
    void translateAtStartup(TLanguage &language) override;
    void createDialogs() override;
    void loadSettingsDialog(const AppSettingsRecord &settings) override;
    void applyMode(int mode) override;
    void hideLineGroups() override;
    void setLineList(const QStringList &names, const QString &current) override;
    void setLineListFailed(bool failed) override;
    void showSettingsDialog() override;
    bool callLogVisible() override;
    void showLog() override;
    void callLogged(const QString &callTime, const QString &name, const QString &number) override;
    void showAddForm(const QString &number, const QString &name) override;
    void announceCaller(const QString &name, const QString &number) override;
    void dispatchCall(const QString &number, const QString &name) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildCard();
    void buildMenus();
    void buildTray();
    QAction *addMenuAction(QMenu *menu, const QString &name, const QString &caption);

    void FormShow();
    void FormActivate();
    void FormDeactivate();
    void Minimize1Click();
    void Preferences1Click();
    void applyModeLayout(int mode);
    void settingsDialogClosed();
    void Setup1Click();
    void Help1Click();
    void About1Click();
    void Open1Click();
    void Calllog1Click();

    // Card handlers.
    void ShowTimerTimer();
    void cbCallerNameChange();
    void tbCallerIDChange();
    void ImageDblClick();
    void NewClick();
    void bSaveToDatabaseClick();
    void bCancelChangesClick();
    void Delete1Click();
    void setEditing(bool editing);
    void setCallerNames(const QStringList &names);
    void loadPicture(const QString &path, const QString &callerName);
    void moveCard(int left, int top);

    CommandLine m_commandLine;
    RingseerApp *m_app = nullptr;
    int m_fullHeight = 0;
    QIcon m_imageList[2];

    QLabel *m_image = nullptr;
    TPanel *m_panel1 = nullptr;
    TORVComboBox *m_cbCallerName = nullptr;
    TORVEdit *m_tbCallerID = nullptr;
    QPushButton *m_bSaveToDatabase = nullptr;
    QPushButton *m_bCancelChanges = nullptr;
    QTimer *m_showTimer = nullptr;
    QTimer *m_hideTimer = nullptr;

    QMenu *m_recordMenu = nullptr;
    QAction *m_setupItem = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_popupMenu = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    TStatusForm *m_statusForm = nullptr;
    QDialog *m_aboutForm = nullptr;
    TfLog *m_callLog = nullptr;
    TfSettings *m_settingsDialog = nullptr;
    TamWavePro *m_amWave = nullptr;

    QString m_cardRecordName;
    QPoint m_savedPosition;
    int m_lastSlideInSteps = 0;
    int m_lastSlideOutSteps = 0;
};
