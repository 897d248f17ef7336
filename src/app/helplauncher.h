#pragma once

#include <QString>
#include <QUrl>

// The help keyword of the window the user looks at; each window sets its own when it
// is shown or activated.
QString CurrentHelpKeyword();
void SetHelpKeyword(const QString &keyword);

// The shipped manual opened at the current keyword's anchor.
QUrl HelpUrl();
void OpenHelp();

// Answers the title bar's help button and the F1 key with the manual.
void InstallHelpHandler();
