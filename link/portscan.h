#pragma once

#include "link/portdiagnosis.h"

#include <QHash>

// What each platform tells the one port scan: which device a COM number stands for,
// whether it is worth a probe, and what the device is.
namespace portscan {

struct Place
{
    PortStatus status; // device and link; a reason when there is nothing to open
    bool probe;        // open it to see whether it is free
};

Place locate(const PortMap &map, int com, language::Language words);
// Descriptions of the devices the system knows, keyed as describe() looks them up.
QHash<QString, QString> knownDevices();
QString describe(const PortStatus &s, const QHash<QString, QString> &known, language::Language words);
// The serial driver makes ttyS nodes for UARTs that may not be there (often 4 or 32);
// the kernel says which have none (type 0) without the port being opened. Windows has
// no such nodes: never there.
bool noUartBehind(const QString &device, const QString &ttyClass = QStringLiteral("/sys/class/tty"));

} // namespace portscan
