#pragma once

#include <QWidget>

class QLineEdit;

// Small always-on-top window with one line of status text, shown while start-up
// opens the server socket. A text longer than 50 characters is cleared.
class TStatusForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MaxTextLength = 50;

    explicit TStatusForm(QWidget *parent = nullptr);

    QLineEdit *tbStatus() const { return m_tbStatus; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void tbStatusChange(const QString &text);

    QLineEdit *m_tbStatus;
};
