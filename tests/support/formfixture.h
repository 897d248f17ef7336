#pragma once

#include "app/messagebox.h"
#include "app/ringseerform.h"
#include "testenvironment.h"

#include <QFile>

// The desktop program's main window, started as the program starts it, on test data.
struct FormFixture
{
    explicit FormFixture(const QByteArray &callers, const QString &lines = QString())
    {
        env.installData();
        QFile file(env.dataDir() + QStringLiteral("Callers.DB"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(callers);
        file.close();
        // No line in these tests: the window is what they look at.
        qputenv("RINGSEER_LINES", (lines.isEmpty() ? env.root() + QStringLiteral("/no-modem") : lines).toLocal8Bit());
        DialogHooks::setRecording(true);
        form = std::make_unique<TRingseerForm>(ParseCommandLine({QStringLiteral("Ringseer")}));
        form->FormCreate();
        DialogHooks::takeRecordedBoxes();
    }

    ~FormFixture()
    {
        form.reset();
        qunsetenv("RINGSEER_LINES");
    }

    // Before the form: a test may start a modem in it first.
    TestEnvironment env;
    std::unique_ptr<TRingseerForm> form;
};
