#include "aboutform.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TAboutForm::TAboutForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About Ringseer"));
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("lAbout"));
    text->setTextFormat(Qt::RichText);
    text->setText(QStringLiteral("<h3>Ringseer %1</h3>"
                                 "<p>Look who is calling: caller identification for the Linux desktop.</p>"
                                 "<p>Watches a caller-ID modem, finds the caller in its own database or a web "
                                 "directory, shows a caller card, announces the caller and keeps a call log.</p>")
                      .arg(QCoreApplication::applicationVersion()));
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("bOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
