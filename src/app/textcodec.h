#pragma once

#include <QByteArray>
#include <QString>

// Data files are UTF-8. Files carried over from older installations are in the
// Windows Western code page; a file that is not valid UTF-8 is read as that.
QString DecodeDataFile(const QByteArray &bytes);
