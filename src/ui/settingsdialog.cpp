#include "settingsdialog.h"

#include "app/helplauncher.h"
#include "app/messagebox.h"
#include "app/settings.h"
#include "language.h"
#include "orvcontrols.h"
#include "translatecontrol.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

template <typename T, typename... Args>
T *make(QWidget *parent, const char *name, Args &&...args)
{
    auto *widget = new T(std::forward<Args>(args)..., parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QGroupBox *group(QWidget *parent, const char *name, const QString &title)
{
    auto *box = make<QGroupBox>(parent, name);
    box->setTitle(title);
    return box;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

QString VoiceFileFilter()
{
    return QStringLiteral("Windows audio files") + QStringLiteral(" (*") + QStringLiteral(".WAV")
        + QStringLiteral(")|*") + QStringLiteral(".WAV") + QStringLiteral("|All files (*.*)|*.*");
}

TfSettings::TfSettings(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowSystemMenuHint | Qt::WindowContextHelpButtonHint
                          | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("fSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    resize(241, 475);
    auto *layout = new QVBoxLayout(this);

    m_pMode = make<TRadioGroup>(this, "pMode");
    m_pMode->setTitle(QStringLiteral("Mode"));
    auto *modeLayout = new QHBoxLayout(m_pMode);
    auto *modeGroup = new QButtonGroup(m_pMode);
    const char *modeNames[] = {"Active", "Passive", "Server"};
    for (int i = 0; i < 3; ++i) {
        m_modeItems[i] = new QRadioButton(QString::fromLatin1(modeNames[i]), m_pMode);
        m_modeItems[i]->setObjectName(QStringLiteral("pModeItem%1").arg(i));
        modeGroup->addButton(m_modeItems[i], i);
        modeLayout->addWidget(m_modeItems[i]);
    }
    connect(modeGroup, &QButtonGroup::idClicked, this, &TfSettings::pModeClick);
    layout->addWidget(m_pMode);

    m_gbCallLog = group(this, "gbCallLog", QStringLiteral("Call log"));
    m_cbAllwaysOnTop = make<QCheckBox>(m_gbCallLog, "cbAllwaysOnTop", QStringLiteral("Allways on top"));
    (new QVBoxLayout(m_gbCallLog))->addWidget(m_cbAllwaysOnTop);
    layout->addWidget(m_gbCallLog);

    m_pModem = group(this, "pModem", QStringLiteral("Modem"));
    m_cbModems = make<TORVComboBox>(m_pModem, "cbModems");
    m_cbModems->setEditable(true);
    m_cbModems->setInsertPolicy(QComboBox::NoInsert);
    m_cbModems->lineEdit()->setMaxLength(int(AppSettingsRecord::ModemCapacity));
    connect(m_cbModems, &QComboBox::textActivated, this, &TfSettings::cbModemsChange);
    (new QVBoxLayout(m_pModem))->addWidget(m_cbModems);
    layout->addWidget(m_pModem);

    m_pServer = group(this, "pServer", QStringLiteral("Server"));
    m_lServerPort = make<QLabel>(m_pServer, "lServerPort", QStringLiteral("Server Port"));
    m_tbServerPort = make<TORVEdit>(m_pServer, "tbServerPort");
    m_tbServerPort->setMaxLength(5);
    m_tbServerPort->setLimitToChars(QStringLiteral("0123456789"));
    auto *serverLayout = new QHBoxLayout(m_pServer);
    serverLayout->addWidget(m_lServerPort);
    serverLayout->addWidget(m_tbServerPort);
    layout->addWidget(m_pServer);

    m_pDirectory = group(this, "pDirectory", QStringLiteral("Directory"));
    m_cbDirectories = make<TORVComboBox>(m_pDirectory, "cbDirectories");
    m_bUpdate = make<QPushButton>(m_pDirectory, "bUpdate", QStringLiteral("Update"));
    connect(m_cbDirectories, &QComboBox::textActivated, this, &TfSettings::cbModemsChange);
    connect(m_bUpdate, &QPushButton::clicked, this, &TfSettings::updateRequested);
    auto *directoryLayout = new QHBoxLayout(m_pDirectory);
    directoryLayout->addWidget(m_cbDirectories, 1);
    directoryLayout->addWidget(m_bUpdate);
    layout->addWidget(m_pDirectory);

    m_pVoice = group(this, "pVoice", QStringLiteral("Voice"));
    m_cbSpeakCallerInformation =
        make<QCheckBox>(m_pVoice, "cbSpeakCallerInformation", QStringLiteral("Speak caller information"));
    connect(m_cbSpeakCallerInformation, &QCheckBox::clicked, this, &TfSettings::cbSpeakCallerInformationClick);
    auto *voiceLayout = new QGridLayout(m_pVoice);
    voiceLayout->addWidget(m_cbSpeakCallerInformation, 0, 0, 1, 3);
    voiceLayout->addWidget(make<QLabel>(m_pVoice, "lVoiceFileBefore", QStringLiteral("Voice file before")), 1, 0, 1, 3);
    auto addVoiceRow = [&](int row, const char *labelName, const char *caption, const char *fieldName,
                           const char *buttonName, TORVEdit *&field, QPushButton *&button) {
        voiceLayout->addWidget(make<QLabel>(m_pVoice, labelName, QString::fromLatin1(caption)), row, 0);
        field = make<TORVEdit>(m_pVoice, fieldName);
        field->setMaxLength(int(AppSettingsRecord::VoiceFileCapacity));
        button = make<QPushButton>(m_pVoice, buttonName, QStringLiteral("..."));
        button->setToolTip(QStringLiteral("Click for file selection"));
        button->setFixedWidth(28);
        voiceLayout->addWidget(field, row, 1);
        voiceLayout->addWidget(button, row, 2);
        TORVEdit *target = field;
        connect(button, &QPushButton::clicked, this, [this, target] { selectVoiceFile(target); });
    };
    addVoiceRow(2, "lCallerName", "Caller Name", "tbVFCallerName", "bSelectVFCallerName", m_tbVFCallerName,
                m_bSelectVFCallerName);
    addVoiceRow(3, "lCallerNumber", "Caller Number", "tbVFCallerNumber", "bSelectVFCallerNumber", m_tbVFCallerNumber,
                m_bSelectVFCallerNumber);
    layout->addWidget(m_pVoice);

    m_bClose = make<QPushButton>(this, "bClose", QStringLiteral("Close"));
    connect(m_bClose, &QPushButton::clicked, this, &QDialog::accept);
    layout->addStretch();
    layout->addWidget(m_bClose, 0, Qt::AlignRight);

    // Closing by the button or the title bar hands every value back.
    connect(this, &QDialog::finished, this, &TfSettings::closedWithValues);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfSettings::LoadFromSettings(const AppSettingsRecord &settings, const QStringList &directories)
{
    m_tbServerPort->setText(settings.ServerPort);
    m_cbDirectories->clear();
    m_cbDirectories->addItems(directories);
    m_cbDirectories->setCurrentIndex(m_cbDirectories->findText(settings.Directory, Qt::MatchFixedString));
    m_tbVFCallerName->setText(settings.VFCallerName);
    m_tbVFCallerNumber->setText(settings.VFCallerNumber);
    m_cbAllwaysOnTop->setChecked(settings.CallLogOnTop != 0);
    m_cbSpeakCallerInformation->setChecked(settings.SpeakCallerInfo != 0);
    cbSpeakCallerInformationClick();
}

void TfSettings::TakeValuesInto(AppSettingsRecord &settings) const
{
    settings.Directory = m_cbDirectories->currentText().left(AppSettingsRecord::DirectoryCapacity);
    settings.VFCallerName = m_tbVFCallerName->text().left(AppSettingsRecord::VoiceFileCapacity);
    settings.VFCallerNumber = m_tbVFCallerNumber->text().left(AppSettingsRecord::VoiceFileCapacity);
    settings.SpeakCallerInfo = m_cbSpeakCallerInformation->isChecked() ? 1 : 0;
    settings.Mode = SelectedMode();
    settings.CallLogOnTop = m_cbAllwaysOnTop->isChecked() ? 1 : 0;
    settings.Modem = m_cbModems->currentText().left(AppSettingsRecord::ModemCapacity);
    settings.ServerPort = m_tbServerPort->text().left(AppSettingsRecord::ServerPortCapacity);
}

void TfSettings::SelectMode(int mode)
{
    if (mode >= 0 && mode < 3)
        m_modeItems[mode]->setChecked(true);
}

int TfSettings::SelectedMode() const
{
    for (int i = 0; i < 3; ++i) {
        if (m_modeItems[i]->isChecked())
            return i;
    }
    // No item chosen, as for a mode value outside the three.
    return -1;
}

void TfSettings::HideLineGroups()
{
    m_pDirectory->hide();
    m_pModem->hide();
}

void TfSettings::SetLineList(const QStringList &names, const QString &current)
{
    const QSignalBlocker quiet(m_cbModems);
    m_cbModems->addItems(names);
    const int index = m_cbModems->findText(current, Qt::MatchFixedString);
    if (index >= 0)
        m_cbModems->setCurrentIndex(index);
}

void TfSettings::SetLineListFailed(bool failed)
{
    setTextColour(m_cbModems, failed ? QColor(255, 0, 0) : palette().color(QPalette::WindowText));
    setTextColour(m_cbModems->lineEdit(), failed ? QColor(255, 0, 0) : palette().color(QPalette::Text));
}

bool TfSettings::LineListFailed() const
{
    return m_cbModems->lineEdit()->palette().color(QPalette::Text) == QColor(255, 0, 0);
}

void TfSettings::pModeClick(int mode)
{
    m_gbCallLog->setVisible(mode != 2);
    Q_EMIT modeChosen(mode);
}

void TfSettings::cbModemsChange()
{
    Q_EMIT lineChosen(m_cbModems->currentText());
}

void TfSettings::cbSpeakCallerInformationClick()
{
    const bool on = m_cbSpeakCallerInformation->isChecked();
    for (QWidget *control : std::initializer_list<QWidget *>{m_tbVFCallerName, m_tbVFCallerNumber,
                                                             m_bSelectVFCallerName, m_bSelectVFCallerNumber})
        control->setEnabled(on);
}

void TfSettings::selectVoiceFile(TORVEdit *field)
{
    field->setText(SelectSaveFile(VoiceFileFilter(), field->text(), QStringLiteral(".WAV"), QString()));
}

void TfSettings::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        SetHelpKeyword(QStringLiteral("idh_settings"));
        if (TLanguage *language = TheLanguage())
            RunHandler(this, [this, language] { TranslateControl(*language, this); });
    }
}
