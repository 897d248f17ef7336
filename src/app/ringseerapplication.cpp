#include "ringseerapplication.h"

#include "messagebox.h"

RingseerApplication::RingseerApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool RingseerApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ShowErrorReport(activeWindow(), QString::fromUtf8(error.what()));
    }
    return false;
}
