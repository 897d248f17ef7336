#pragma once

#include <QDialog>

// A plain informational window: what the program is and which version runs.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget *parent = nullptr);
};
