#include "orvcontrols.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

const QColor focusYellow(255, 255, 0);

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

void restoreBackground(QWidget *widget)
{
    setBackground(widget, QApplication::palette(widget).color(QPalette::Base));
}

// Returns false when the key press was refused; the beep tells the user why nothing appeared.
bool filterTypedKey(const QString &limitToChars, QKeyEvent *event, QChar *refused)
{
    for (QChar c : event->text()) {
        if (!AcceptsTypedCharacter(limitToChars, c)) {
            QApplication::beep();
            *refused = c;
            event->accept();
            return false;
        }
    }
    return true;
}

} // namespace

bool AcceptsTypedCharacter(const QString &limitToChars, QChar character)
{
    return limitToChars.isEmpty() || character.unicode() < 32 || limitToChars.contains(character);
}

TORVEdit::TORVEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

void TORVEdit::focusInEvent(QFocusEvent *event)
{
    if (!isReadOnly())
        setBackground(this, focusYellow);
    QLineEdit::focusInEvent(event);
}

void TORVEdit::focusOutEvent(QFocusEvent *event)
{
    restoreBackground(this);
    QLineEdit::focusOutEvent(event);
}

void TORVEdit::keyPressEvent(QKeyEvent *event)
{
    QChar refused;
    if (!filterTypedKey(m_limitToChars, event, &refused)) {
        Q_EMIT keyRefused(refused);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

TORVMemo::TORVMemo(QWidget *parent)
    : QPlainTextEdit(parent)
{
}

void TORVMemo::focusInEvent(QFocusEvent *event)
{
    if (!isReadOnly())
        setBackground(this, focusYellow);
    QPlainTextEdit::focusInEvent(event);
}

void TORVMemo::focusOutEvent(QFocusEvent *event)
{
    restoreBackground(this);
    QPlainTextEdit::focusOutEvent(event);
}

void TORVMemo::keyPressEvent(QKeyEvent *event)
{
    QChar refused;
    if (!filterTypedKey(m_limitToChars, event, &refused)) {
        Q_EMIT keyRefused(refused);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

TORVComboBox::TORVComboBox(QWidget *parent)
    : QComboBox(parent)
{
}

void TORVComboBox::writeComboBoxText(const QString &value)
{
    const int match = findText(value, Qt::MatchFixedString);
    if (match >= 0)
        setCurrentIndex(match);
    else if (count() > 0)
        setCurrentIndex(0);
    if (isEditable())
        setEditText(value);
}

void TORVComboBox::focusInEvent(QFocusEvent *event)
{
    setBackground(this, focusYellow);
    if (isEditable())
        setBackground(lineEdit(), focusYellow);
    QComboBox::focusInEvent(event);
}

void TORVComboBox::focusOutEvent(QFocusEvent *event)
{
    restoreBackground(this);
    if (isEditable())
        restoreBackground(lineEdit());
    QComboBox::focusOutEvent(event);
}
