#pragma once

#include "link/portdiagnosis.h"

#include <QString>
#include <QStringList>
#include <QVector>

class PortMap;
class SerialChannel;

// The COM ports that could be opened when the list was built: item i of the port
// selector ("COM3") stands for port number table[i] and opens exactly devices[i], the
// device it was found as, even if its link later points elsewhere.
struct PortList
{
    QStringList items;
    QVector<int> table;
    QStringList devices;
    // The ports-folder link each device was found by, or an empty text.
    QStringList links;
    // What each device is ("COM17 — /dev/ttyUSB0 · FT232R USB UART · 0403:6001 · A1B2C3").
    QStringList tooltips;
    // Why nothing is listed, when nothing is: every device there is and why it was refused.
    QString emptyHint;
    // Every COM number as the probes found it.
    QList<PortStatus> statuses;
    // The tips and the hint still lack what the system's list of devices says.
    bool describedLater = false;
};

// Probes COM1 to COM50 in ascending order by opening and closing each at 9600 baud.
// A port that cannot be opened (absent, held by another program) is not listed.
// With `devices` Deferred, the tips and the hint wait for describeFully() for what the
// system's list of devices says.
PortList discoverPorts(SerialChannel &channel, const PortMap &map, DeviceList devices = DeviceList::Read);
// Completes the tips and the hint of a list discovered with the device list deferred;
// the items, the table and the devices stay as they are. Nothing is opened.
void describeFully(PortList &ports);
