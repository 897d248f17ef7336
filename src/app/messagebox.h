#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <exception>

class QWidget;

// Every modal box and file chooser of the program goes through these helpers. Tests
// (and the RINGSEER_BOX_LOG environment variable for process tests) switch on
// recording: boxes are then not shown but recorded and answered at once.

// OK-only box with the warning or the information icon.
void ShowMessageBox(QWidget *owner, const QString &caption, bool warning, const QString &text);

// A box with the caller's buttons and icon, its buttons in the given language
// (1 English, 2 German, otherwise the system's); returns the button pressed.
QMessageBox::StandardButton ShowMessageBoxLang(QWidget *owner, const QString &caption,
                                               QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                               const QString &text, int language);

// Filters are given as "description|pattern|description|pattern". Both return
// `current` when the user chose nothing.
QString SelectOpenFile(const QString &filter, const QString &current);
QString SelectSaveFile(const QString &filter, const QString &current, const QString &defaultExtension,
                       const QString &title);

// The general error report: an error that ended an event handler, in a warning box
// captioned with the program's title, and in the diagnostic log.
void ShowErrorReport(QWidget *owner, const QString &message);

// Runs an event handler; an error it throws ends the handler and is reported.
template <typename Handler>
void RunHandler(QWidget *owner, Handler &&handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        ShowErrorReport(owner, QString::fromUtf8(error.what()));
    }
}

struct RecordedBox
{
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class DialogHooks
{
public:
    static void setRecording(bool on);
    static bool recording();
    static void setNextAnswer(QMessageBox::StandardButton answer);
    // A null string stands for a cancelled chooser.
    static void setNextFileName(const QString &fileName);
    static QList<RecordedBox> takeRecordedBoxes();
    static QStringList takeFileDialogTitles();
};

// "Description|*.wav" becomes "Description (*.wav)", as Qt's choosers expect.
QString ToQtFileFilter(const QString &filter);
