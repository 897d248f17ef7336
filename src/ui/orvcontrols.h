#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>

// Input controls shared by every window: the field with the focus turns yellow, and an
// edit field may be limited to a set of characters that can be typed.

class TORVEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TORVEdit(QWidget *parent = nullptr);

    QString LimitToChars() const { return m_limitToChars; }
    void setLimitToChars(const QString &chars) { m_limitToChars = chars; }

Q_SIGNALS:
    // A typed character was refused (and the user heard a beep).
    void keyRefused(QChar character);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_limitToChars;
};

class TORVMemo : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TORVMemo(QWidget *parent = nullptr);

    QString LimitToChars() const { return m_limitToChars; }
    void setLimitToChars(const QString &chars) { m_limitToChars = chars; }
    QString Text() const { return toPlainText(); }

Q_SIGNALS:
    void keyRefused(QChar character);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_limitToChars;
};

class TORVComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit TORVComboBox(QWidget *parent = nullptr);

    QString readComboBoxText() const { return currentText(); }
    // Selects the item equal to the value without regard to case, or else the first
    // item, and then shows the value itself (an editable box keeps it as written).
    void writeComboBoxText(const QString &value);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

// A group of radio buttons with a caption; its items are the buttons inside it.
class TRadioGroup : public QGroupBox
{
    Q_OBJECT

public:
    using QGroupBox::QGroupBox;
};

// A plain container panel, as the window definitions lay controls out on them.
class TPanel : public QFrame
{
    Q_OBJECT

public:
    using QFrame::QFrame;
};

// True when a typed character may enter a field limited to the given characters.
bool AcceptsTypedCharacter(const QString &limitToChars, QChar character);
