#pragma once

#include "presenter.h"
#include "runflags.h"

#include <QIcon>
#include <QMainWindow>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTimer;
class RingseerApp;
class TStatusForm;
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
    void Setup1Click();
    void Help1Click();
    void About1Click();
    void Open1Click();
    void Calllog1Click();

    CommandLine m_commandLine;
    RingseerApp *m_app = nullptr;
    int m_fullHeight = 0;
    QIcon m_imageList[2];

    QLabel *m_image = nullptr;
    QFrame *m_panel1 = nullptr;
    QComboBox *m_cbCallerName = nullptr;
    QLineEdit *m_tbCallerID = nullptr;
    QPushButton *m_bSaveToDatabase = nullptr;
    QPushButton *m_bCancelChanges = nullptr;
    QTimer *m_showTimer = nullptr;
    QTimer *m_hideTimer = nullptr;

    QMenu *m_recordMenu = nullptr;
    QMenu *m_setupMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QMenu *m_popupMenu = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    TStatusForm *m_statusForm = nullptr;
    QDialog *m_aboutForm = nullptr;
};
