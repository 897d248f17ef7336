#include "helplauncher.h"

#include "datadir.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QKeyEvent>

namespace {
QString helpKeyword = QStringLiteral("idh_ringseer");

class HelpEventFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A click after the title bar's help button arrives as a "what's this" request.
        if (event->type() == QEvent::WhatsThis) {
            OpenHelp();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F1) {
            OpenHelp();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};
} // namespace

QString CurrentHelpKeyword()
{
    return helpKeyword;
}

void SetHelpKeyword(const QString &keyword)
{
    helpKeyword = keyword;
}

QUrl HelpUrl()
{
    QUrl url = QUrl::fromLocalFile(DataDir() + QStringLiteral("help/html/manual.html"));
    url.setFragment(helpKeyword);
    return url;
}

void OpenHelp()
{
    QDesktopServices::openUrl(HelpUrl());
}

void InstallHelpHandler()
{
    static HelpEventFilter *filter = nullptr;
    if (filter)
        return;
    filter = new HelpEventFilter(qApp);
    qApp->installEventFilter(filter);
}
