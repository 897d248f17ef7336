#include "messagebox.h"

#include "diaglog.h"

#include <QApplication>

#include <QFile>
#include <QFileDialog>
#include <QPushButton>

namespace {

struct HookState
{
    bool recording = !qEnvironmentVariableIsEmpty("RINGSEER_BOX_LOG");
    QList<QMessageBox::StandardButton> answers;
    QList<QString> fileNames;
    QList<RecordedBox> boxes;
    QStringList fileDialogTitles;
};

HookState &hooks()
{
    static HookState state;
    return state;
}

// Process tests read the boxes a program showed from this file, one box a line.
void appendToBoxLog(const RecordedBox &box)
{
    const QString path = qEnvironmentVariable("RINGSEER_BOX_LOG");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    QString text = box.text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\\n")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
    file.write((box.caption + QLatin1Char('\t') + text + QLatin1Char('\n')).toUtf8());
}

QMessageBox::StandardButton recordedAnswer(const RecordedBox &box, QMessageBox::StandardButtons buttons)
{
    hooks().boxes.append(box);
    appendToBoxLog(box);
    if (!hooks().answers.isEmpty())
        return hooks().answers.takeFirst();
    if (buttons.testFlag(QMessageBox::Ok))
        return QMessageBox::Ok;
    // The safe answer to a question nobody was there to read.
    for (QMessageBox::StandardButton b : {QMessageBox::No, QMessageBox::Cancel})
        if (buttons.testFlag(b))
            return b;
    return QMessageBox::NoButton;
}

void translateButtons(QMessageBox &box, int language)
{
    if (language != 2)
        return;
    const std::pair<QMessageBox::StandardButton, const char *> german[] = {
        {QMessageBox::Ok, "OK"}, {QMessageBox::Cancel, "Abbrechen"}, {QMessageBox::Yes, "Ja"},
        {QMessageBox::No, "Nein"}, {QMessageBox::Abort, "Abbrechen"}, {QMessageBox::Retry, "Wiederholen"},
        {QMessageBox::Ignore, "Ignorieren"},
    };
    for (const auto &[button, text] : german) {
        if (QAbstractButton *b = box.button(button))
            b->setText(QString::fromUtf8(text));
    }
}

std::optional<QString> recordedFileName(const QString &title)
{
    if (!hooks().recording)
        return std::nullopt;
    hooks().fileDialogTitles.append(title);
    return hooks().fileNames.isEmpty() ? QString() : hooks().fileNames.takeFirst();
}

} // namespace

void ShowErrorReport(QWidget *owner, const QString &message)
{
    WriteLog(message);
    ShowMessageBox(owner, QApplication::applicationDisplayName(), true, message);
}

void ShowMessageBox(QWidget *owner, const QString &caption, bool warning, const QString &text)
{
    ShowMessageBoxLang(owner, caption, QMessageBox::Ok, warning ? QMessageBox::Warning : QMessageBox::Information,
                       text, 0);
}

QMessageBox::StandardButton ShowMessageBoxLang(QWidget *owner, const QString &caption,
                                               QMessageBox::StandardButtons buttons, QMessageBox::Icon icon,
                                               const QString &text, int language)
{
    if (hooks().recording)
        return recordedAnswer({caption, text, icon}, buttons);
    QMessageBox box(icon, caption, text, buttons, owner);
    translateButtons(box, language);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString ToQtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList qtFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString description = parts[i];
        qtFilters << (description.contains(QLatin1Char('(') + patterns + QLatin1Char(')'))
                          ? description
                          : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return qtFilters.join(QStringLiteral(";;"));
}

QString SelectOpenFile(const QString &filter, const QString &current)
{
    const std::optional<QString> recorded = recordedFileName(QString());
    const QString chosen = recorded ? *recorded
                                    : QFileDialog::getOpenFileName(nullptr, QString(), current, ToQtFileFilter(filter));
    return chosen.isEmpty() ? current : chosen;
}

QString SelectSaveFile(const QString &filter, const QString &current, const QString &defaultExtension,
                       const QString &title)
{
    if (const std::optional<QString> recorded = recordedFileName(title))
        return recorded->isEmpty() ? current : *recorded;
    QFileDialog dialog(nullptr, title, current, ToQtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultExtension.startsWith(QLatin1Char('.')) ? defaultExtension.mid(1) : defaultExtension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return current;
    const QString chosen = dialog.selectedFiles().constFirst();
    return chosen.isEmpty() ? current : chosen;
}

void DialogHooks::setRecording(bool on) { hooks().recording = on; }
bool DialogHooks::recording() { return hooks().recording; }
void DialogHooks::setNextAnswer(QMessageBox::StandardButton answer) { hooks().answers.append(answer); }
void DialogHooks::setNextFileName(const QString &fileName) { hooks().fileNames.append(fileName); }
QList<RecordedBox> DialogHooks::takeRecordedBoxes() { return std::exchange(hooks().boxes, {}); }
QStringList DialogHooks::takeFileDialogTitles() { return std::exchange(hooks().fileDialogTitles, {}); }
