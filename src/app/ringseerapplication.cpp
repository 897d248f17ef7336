#include "ringseerapplication.h"

#include "diaglog.h"
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
        const QString message = QString::fromUtf8(error.what());
        WriteLog(message);
        ShowMessageBox(activeWindow(), applicationDisplayName(), true, message);
    }
    return false;
}
