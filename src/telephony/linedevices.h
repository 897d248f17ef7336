#pragma once

#include <QList>
#include <QString>

struct LineDevice
{
    QString name; // what the user sees and the settings store
    QString path; // what is opened
};

// The serial line devices of this machine: modems under /dev/serial/by-id (listed by
// their stable names), other /dev/ttyACM* and /dev/ttyUSB* devices, and the paths in
// the RINGSEER_LINES environment variable (colon-separated), which also lists devices
// that the system does not report as serial ports, such as pseudo-terminals.
QList<LineDevice> ListLineDevices();

// The device path a line name stands for; the device itself may be away just now.
QString LinePathForName(const QString &name);
