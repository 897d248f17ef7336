#pragma once

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TORVComboBox;
class TORVEdit;
class TRadioGroup;
struct AppSettingsRecord;

// The settings dialog. It is loaded from the run's settings at start-up and hands every
// value back when it closes; mode, line and directory choices act at once through the
// callbacks its owner installs.
class TfSettings : public QDialog
{
    Q_OBJECT

public:
    explicit TfSettings(QWidget *parent = nullptr);

    void LoadFromSettings(const AppSettingsRecord &settings, const QStringList &directories);
    // Takes the controls' values back into the settings, in their fixed order.
    void TakeValuesInto(AppSettingsRecord &settings) const;

    void SelectMode(int mode);
    int SelectedMode() const;
    void HideLineGroups();
    void SetLineList(const QStringList &names, const QString &current);
    void SetLineListFailed(bool failed);
    bool LineListFailed() const;

    TRadioGroup *pMode() const { return m_pMode; }
    QRadioButton *modeItem(int index) const { return m_modeItems[index]; }
    QGroupBox *gbCallLog() const { return m_gbCallLog; }
    QCheckBox *cbAllwaysOnTop() const { return m_cbAllwaysOnTop; }
    QGroupBox *pModem() const { return m_pModem; }
    TORVComboBox *cbModems() const { return m_cbModems; }
    TORVEdit *tbServerPort() const { return m_tbServerPort; }
    QGroupBox *pDirectory() const { return m_pDirectory; }
    TORVComboBox *cbDirectories() const { return m_cbDirectories; }
    QPushButton *bUpdate() const { return m_bUpdate; }
    QCheckBox *cbSpeakCallerInformation() const { return m_cbSpeakCallerInformation; }
    TORVEdit *tbVFCallerName() const { return m_tbVFCallerName; }
    TORVEdit *tbVFCallerNumber() const { return m_tbVFCallerNumber; }
    QPushButton *bSelectVFCallerName() const { return m_bSelectVFCallerName; }
    QPushButton *bSelectVFCallerNumber() const { return m_bSelectVFCallerNumber; }
    QPushButton *bClose() const { return m_bClose; }

Q_SIGNALS:
    // The user chose a mode; the main window takes its layout at once.
    void modeChosen(int mode);
    // The user chose a line or a directory; the line is to be closed and reopened.
    void lineChosen(const QString &lineName);
    void updateRequested();
    void closedWithValues();

protected:
    void changeEvent(QEvent *event) override;

private:
    void pModeClick(int mode);
    void cbModemsChange();
    void cbSpeakCallerInformationClick();
    void selectVoiceFile(TORVEdit *field);

    TRadioGroup *m_pMode;
    QRadioButton *m_modeItems[3];
    QGroupBox *m_gbCallLog;
    QCheckBox *m_cbAllwaysOnTop;
    QGroupBox *m_pModem;
    TORVComboBox *m_cbModems;
    QGroupBox *m_pServer;
    QLabel *m_lServerPort;
    TORVEdit *m_tbServerPort;
    QGroupBox *m_pDirectory;
    TORVComboBox *m_cbDirectories;
    QPushButton *m_bUpdate;
    QGroupBox *m_pVoice;
    QCheckBox *m_cbSpeakCallerInformation;
    TORVEdit *m_tbVFCallerName;
    TORVEdit *m_tbVFCallerNumber;
    QPushButton *m_bSelectVFCallerName;
    QPushButton *m_bSelectVFCallerNumber;
    QPushButton *m_bClose;
};

// The voice-file chooser's filter: wave files and all files.
QString VoiceFileFilter();
