#pragma once

#include <QApplication>

// The desktop program's application object. An error that escapes an event handler
// ends that handler only: it is logged and shown in an error box, and the program
// goes on, instead of the whole process being torn down.
class RingseerApplication : public QApplication
{
    Q_OBJECT

public:
    RingseerApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
