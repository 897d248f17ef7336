#pragma once

#include <QString>

// The folder of the program file, with a trailing separator. The databases, pictures,
// "language.csv", the manual and "ringseer.log" live there.
QString DataDir();

// Tests that run inside a test executable point the data folder elsewhere.
void SetDataDirForTesting(const QString &folder);
