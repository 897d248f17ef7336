#include "ringseerform.h"

#include "aboutform.h"
#include "records/apdinidbase.h"
#include "records/calllogform.h"
#include "ui/settingsdialog.h"
#include "helplauncher.h"
#include "messagebox.h"
#include "ringseerapp.h"
#include "statusform.h"
#include "texthelpers.h"
#include "ui/language.h"
#include "ui/orvcontrols.h"
#include "ui/translatecontrol.h"
#include "voice/amwavepro.h"
#include "voice/announcement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

constexpr int ClientWidth = 220;
constexpr int ClientHeight = 266;
constexpr int PictureHeight = 220;
constexpr int PanelHeight = 46;

// The two tray images: the normal icon and the alert icon shown while the line or
// the server is unavailable.
QIcon drawTrayImage(const QColor &disc, bool alert)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(disc);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(1, 1, 30, 30);
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(8, 8, 16, 16, 200 * 16, 140 * 16);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(7, 17, 6, 6);
    painter.drawEllipse(19, 17, 6, 6);
    if (alert) {
        painter.setPen(QPen(Qt::yellow, 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(16, 4, 16, 10);
    }
    return QIcon(pixmap);
}

} // namespace

TRingseerForm::TRingseerForm(const CommandLine &commandLine, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint),
      m_commandLine(commandLine)
{
    setObjectName(QStringLiteral("RingseerForm"));
    setWindowTitle(QStringLiteral("Calling..."));
    m_imageList[0] = drawTrayImage(QColor(0x1f, 0x6f, 0xb5), false);
    m_imageList[1] = drawTrayImage(QColor(0xc6, 0x28, 0x28), true);
    setWindowIcon(m_imageList[0]);

    buildCard();
    buildMenus();
    buildTray();
    adjustSize();
    setFixedSize(sizeHint());

    m_amWave = new TamWavePro(this);
    m_amWave->setObjectName(QStringLiteral("amWave"));
    m_app = new RingseerApp(m_commandLine.Flags, m_commandLine.ServerAddress, this, this);
    m_callLog = new TfLog(*m_app, *this, this);
}

TRingseerForm::~TRingseerForm()
{
    // Tearing the window down moves the focus, which makes the fields report changes
    // to a form that is half gone.
    m_cbCallerName->lineEdit()->disconnect(this);
    m_cbCallerName->disconnect(this);
    m_tbCallerID->disconnect(this);
}

void TRingseerForm::buildCard()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);

    m_image = new QLabel(client);
    m_image->setObjectName(QStringLiteral("Image"));
    m_image->setGeometry(0, 0, ClientWidth, PictureHeight);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setScaledContents(true);
    // Its hint is the picture's path.
    m_image->setProperty(NoTranslationProperty, true);

    m_panel1 = new TPanel(client);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setGeometry(0, PictureHeight, ClientWidth, PanelHeight);
    m_panel1->setFrameShape(QFrame::NoFrame);

    m_cbCallerName = new TORVComboBox(m_panel1);
    m_cbCallerName->setObjectName(QStringLiteral("cbCallerName"));
    m_cbCallerName->setEditable(true);
    // Names enter the list only by being saved.
    m_cbCallerName->setInsertPolicy(QComboBox::NoInsert);
    m_cbCallerName->setGeometry(0, 1, ClientWidth, 21);
    m_cbCallerName->lineEdit()->setMaxLength(31);
    m_cbCallerName->setEditText(QStringLiteral("(Unknown)"));

    m_tbCallerID = new TORVEdit(m_panel1);
    m_tbCallerID->setObjectName(QStringLiteral("tbCallerID"));
    m_tbCallerID->setGeometry(0, 25, ClientWidth, 21);
    m_tbCallerID->setToolTip(QStringLiteral("Caller ID"));
    m_tbCallerID->setText(QStringLiteral("(Not transmitted)"));

    m_bSaveToDatabase = new QPushButton(QStringLiteral("Save changes"), client);
    m_bSaveToDatabase->setObjectName(QStringLiteral("bSaveToDatabase"));
    m_bSaveToDatabase->setGeometry(55, 112, 110, 20);
    m_bSaveToDatabase->hide();

    m_bCancelChanges = new QPushButton(QStringLiteral("Cancel changes"), client);
    m_bCancelChanges->setObjectName(QStringLiteral("bCancelChanges"));
    m_bCancelChanges->setGeometry(55, 88, 110, 20);
    m_bCancelChanges->hide();

    m_showTimer = new QTimer(this);
    m_showTimer->setObjectName(QStringLiteral("ShowTimer"));
    m_showTimer->setInterval(10);
    m_hideTimer = new QTimer(this);
    m_hideTimer->setObjectName(QStringLiteral("HideTimer"));
    m_hideTimer->setInterval(10000);
    m_showTimer->setSingleShot(true);
    m_hideTimer->setSingleShot(true);
    connect(m_showTimer, &QTimer::timeout, this, &TRingseerForm::ShowTimerTimer);
    connect(m_hideTimer, &QTimer::timeout, this, &TRingseerForm::HideTimerTimer);

    // Only the user's own edits of the name run its change step; the number's change
    // step runs for every change, also the program's.
    connect(m_cbCallerName->lineEdit(), &QLineEdit::textEdited, this, &TRingseerForm::cbCallerNameChange);
    connect(m_cbCallerName, &QComboBox::textActivated, this, &TRingseerForm::cbCallerNameChange);
    connect(m_tbCallerID, &QLineEdit::textChanged, this, &TRingseerForm::tbCallerIDChange);
    connect(m_bSaveToDatabase, &QPushButton::clicked, this, &TRingseerForm::bSaveToDatabaseClick);
    connect(m_bCancelChanges, &QPushButton::clicked, this, &TRingseerForm::bCancelChangesClick);
    m_image->installEventFilter(this);
}

QAction *TRingseerForm::addMenuAction(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

void TRingseerForm::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    // The card is a small fixed window; a desktop-wide global menu would take its menu away.
    bar->setNativeMenuBar(false);

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    file->menuAction()->setObjectName(QStringLiteral("File1"));
    connect(addMenuAction(file, QStringLiteral("Minimize1"), QStringLiteral("&Minimize")), &QAction::triggered,
            this, &TRingseerForm::Minimize1Click);
    connect(addMenuAction(file, QStringLiteral("Exit1"), QStringLiteral("&Exit")), &QAction::triggered, this,
            &TRingseerForm::ExitApplication);
    QAction *test = addMenuAction(file, QStringLiteral("Test1"), QStringLiteral("Test"));
    test->setVisible(false);
    connect(test, &QAction::triggered, this, [this] { m_app->FeedTestCall(); });

    QMenu *tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->menuAction()->setObjectName(QStringLiteral("Tools1"));
    connect(addMenuAction(tools, QStringLiteral("Preferences1"), QStringLiteral("&Preferences")),
            &QAction::triggered, this, &TRingseerForm::Preferences1Click);

    m_recordMenu = bar->addMenu(QStringLiteral("&Record"));
    m_recordMenu->menuAction()->setObjectName(QStringLiteral("Record1"));
    connect(addMenuAction(m_recordMenu, QStringLiteral("New"), QStringLiteral("&New")), &QAction::triggered, this,
            &TRingseerForm::NewClick);
    connect(addMenuAction(m_recordMenu, QStringLiteral("Delete1"), QStringLiteral("&Delete Current")),
            &QAction::triggered, this, &TRingseerForm::Delete1Click);

    // A top-level entry with a command of its own rather than a menu.
    m_setupItem = bar->addAction(QStringLiteral("&Setup"));
    m_setupItem->setObjectName(QStringLiteral("Setup1"));
    connect(m_setupItem, &QAction::triggered, this, &TRingseerForm::Setup1Click);
    m_setupItem->setVisible(false);

    m_languageMenu = bar->addMenu(QStringLiteral("&L"));
    m_languageMenu->menuAction()->setObjectName(QStringLiteral("L1"));

    QMenu *info = bar->addMenu(QStringLiteral("&?"));
    info->menuAction()->setObjectName(QStringLiteral("Info1"));
    connect(addMenuAction(info, QStringLiteral("Help1"), QStringLiteral("&Help")), &QAction::triggered, this,
            &TRingseerForm::Help1Click);
    info->addSeparator()->setObjectName(QStringLiteral("N1"));
    connect(addMenuAction(info, QStringLiteral("About1"), QStringLiteral("&About")), &QAction::triggered, this,
            &TRingseerForm::About1Click);

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PopupMenu"));
    connect(addMenuAction(m_popupMenu, QStringLiteral("Open1"), QStringLiteral("&Open")), &QAction::triggered,
            this, &TRingseerForm::Open1Click);
    connect(addMenuAction(m_popupMenu, QStringLiteral("Calllog1"), QStringLiteral("&Call log")),
            &QAction::triggered, this, &TRingseerForm::Calllog1Click);
    m_popupMenu->addSeparator()->setObjectName(QStringLiteral("N2"));
    connect(addMenuAction(m_popupMenu, QStringLiteral("Exit2"), QStringLiteral("&Exit")), &QAction::triggered,
            this, &TRingseerForm::ExitApplication);
}

void TRingseerForm::buildTray()
{
    m_trayIcon = new QSystemTrayIcon(this);
    m_trayIcon->setObjectName(QStringLiteral("TrayIcon"));
    // The context menu opens on the right button; other clicks are deliberately ignored.
    m_trayIcon->setContextMenu(m_popupMenu);
}

QAction *TRingseerForm::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

void TRingseerForm::FormCreate()
{
    if (m_commandLine.InstallOrUninstall)
        return;
    InstallHelpHandler();
    SetHelpKeyword(QStringLiteral("idh_ringseer"));
    m_app->StartApplication();
}

void TRingseerForm::ExitApplication()
{
    m_app->ExitApplication();
}

void TRingseerForm::showErrorBox(const QString &text)
{
    ShowMessageBox(this, MessageText(QStringLiteral("msgError")), true, text);
}

void TRingseerForm::showSettingsErrorBox(const QString &text)
{
    QWidget *owner = m_settingsDialog ? static_cast<QWidget *>(m_settingsDialog) : this;
    ShowMessageBox(owner, MessageText(QStringLiteral("msgError")), true, text);
}

bool TRingseerForm::setTrayIcon(TrayAction action, int image, const QString &tip)
{
    const QIcon &icon = m_imageList[qBound(0, image, 1)];
    switch (action) {
    case TrayAction::Add:
    case TrayAction::Modify:
        setWindowIcon(icon);
        m_trayIcon->setIcon(icon);
        m_trayIcon->setToolTip(tip.left(63));
        m_trayIcon->show();
        return true;
    case TrayAction::Delete:
        setWindowIcon(icon);
        m_trayIcon->hide();
        return true;
    }
    return false;
}

void TRingseerForm::showStatusWindow(const QString &text)
{
    if (!m_statusForm) {
        m_statusForm = new TStatusForm();
        m_statusForm->setParent(this, m_statusForm->windowFlags());
    }
    m_statusForm->show();
    m_statusForm->tbStatus()->setText(text);
}

void TRingseerForm::closeStatusWindow()
{
    if (m_statusForm)
        m_statusForm->hide();
}

void TRingseerForm::fillCallerNames(const QStringList &names)
{
    setCallerNames(names);
}

void TRingseerForm::translateAtStartup(TLanguage &language)
{
    TranslateControl(language, this, m_languageMenu);
    const QList<QAction *> languages = m_languageMenu->actions();
    const int current = language.CurrentLanguage();
    if (current >= 1 && current <= languages.size())
        languages[current - 1]->setChecked(true);
    TranslatePopupMenu(language, m_popupMenu);
    m_fullHeight = height();
}

void TRingseerForm::createDialogs()
{
    if (!m_settingsDialog) {
        m_settingsDialog = new TfSettings(this);
        connect(m_settingsDialog, &TfSettings::modeChosen, this, &TRingseerForm::applyModeLayout);
        connect(m_settingsDialog, &TfSettings::lineChosen, this,
                [this](const QString &line) { RunHandler(m_settingsDialog, [&] { m_app->ChangeLine(line); }); });
        connect(m_settingsDialog, &TfSettings::closedWithValues, this, &TRingseerForm::settingsDialogClosed);
    }
    if (!m_aboutForm)
        m_aboutForm = new TAboutForm(this);
}

void TRingseerForm::loadSettingsDialog(const AppSettingsRecord &settings)
{
    m_settingsDialog->LoadFromSettings(settings, m_app->DirectoryDB().GetRecordList());
    if (m_commandLine.Flags.ClientRun)
        m_settingsDialog->HideLineGroups();
}

void TRingseerForm::settingsDialogClosed()
{
    m_settingsDialog->TakeValuesInto(m_app->settings());
}

void TRingseerForm::applyMode(int mode)
{
    m_settingsDialog->SelectMode(mode);
    applyModeLayout(mode);
}

void TRingseerForm::applyModeLayout(int mode)
{
    const bool passive = mode == ModePassive;
    if (mode != ModeActive && mode != ModePassive)
        return;
    const int reducedHeight = m_fullHeight - PictureHeight - PanelHeight;
    setFixedHeight(passive ? reducedHeight : m_fullHeight);
    m_image->setVisible(!passive);
    m_panel1->setVisible(!passive);
    m_recordMenu->menuAction()->setVisible(!passive);
    m_setupItem->setVisible(passive);
}

void TRingseerForm::hideLineGroups()
{
    m_settingsDialog->HideLineGroups();
}

void TRingseerForm::setLineList(const QStringList &names, const QString &current)
{
    m_settingsDialog->SetLineList(names, current);
}

void TRingseerForm::setLineListFailed(bool failed)
{
    m_settingsDialog->SetLineListFailed(failed);
}

void TRingseerForm::showSettingsDialog()
{
    m_settingsDialog->show();
}

bool TRingseerForm::callLogVisible()
{
    return m_callLog->isVisible();
}

void TRingseerForm::showLog()
{
    m_callLog->ShowLog();
}

void TRingseerForm::callLogged(const QString &callTime, const QString &name, const QString &number)
{
    m_callLog->AddLoggedCall(callTime, name, number);
}

void TRingseerForm::announceCaller(const QString &name, const QString &number)
{
    // Whether the number is announced follows the dialog's field, as the user sees it.
    AnnounceCaller(menuBar(), *m_amWave, m_app->settings(), m_settingsDialog->tbVFCallerNumber()->text(), name,
                   number);
}

void TRingseerForm::dispatchCall(const QString &number, const QString &name)
{
    Q_UNUSED(number);
    Q_UNUSED(name);
}

void TRingseerForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    FormShow();
}

void TRingseerForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow())
            FormActivate();
        else
            FormDeactivate();
    }
}

void TRingseerForm::FormShow()
{
    SetHelpKeyword(QStringLiteral("idh_ringseer"));
    TranslateControl(m_app->language(), this);
    if (m_cbCallerName->count() > 0)
        m_cardRecordName = m_cbCallerName->itemText(0);
}

void TRingseerForm::FormActivate()
{
    TranslateControl(m_app->language(), this);
    if (m_cbCallerName->count() > 0)
        m_cardRecordName = m_cbCallerName->itemText(0);
    m_app->RunFirstRunStep();
}

void TRingseerForm::FormDeactivate()
{
    m_app->settings().Language = m_app->language().CurrentLanguage();
}

void TRingseerForm::Minimize1Click()
{
    close();
}

void TRingseerForm::Preferences1Click()
{
    m_app->setCardTouched(true);
    m_settingsDialog->exec();
}

void TRingseerForm::Setup1Click()
{
}

void TRingseerForm::Help1Click()
{
    SetHelpKeyword(QStringLiteral("idh_ringseer"));
    OpenHelp();
}

void TRingseerForm::About1Click()
{
    m_aboutForm->show();
    while (m_aboutForm->isVisible())
        PauseWithMessages(100);
}

void TRingseerForm::Calllog1Click()
{
    RunHandler(this, [this] { m_callLog->ShowLog(); });
}
