#include "statusform.h"

#include <QShowEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

TStatusForm::TStatusForm(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_tbStatus(new QLineEdit(this))
{
    setObjectName(QStringLiteral("StatusForm"));
    setWindowTitle(QStringLiteral("Status"));
    setFixedSize(285, 20);
    m_tbStatus->setObjectName(QStringLiteral("tbStatus"));
    m_tbStatus->setReadOnly(true);
    m_tbStatus->setGeometry(0, 0, 285, 21);
    connect(m_tbStatus, &QLineEdit::textChanged, this, &TStatusForm::tbStatusChange);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TStatusForm::showEvent(QShowEvent *event)
{
    // Cleared when the window comes up, before the caller puts its text in; waiting
    // for the window manager's activation would wipe a text already set.
    m_tbStatus->clear();
    QWidget::showEvent(event);
}

void TStatusForm::tbStatusChange(const QString &text)
{
    if (text.size() > MaxTextLength)
        m_tbStatus->clear();
}
