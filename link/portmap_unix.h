#pragma once

#include "link/portmap.h"

// What stands behind a COM number where ports are device files: a link "comN" in the
// ports folder wins; otherwise the default table names the device. The ports folder
// works like a folder of DOS device links: pin an adapter's /dev/serial/by-id path to a
// number, or let the simulator put its pseudo-terminal there.
namespace portmap {

// $XDG_CONFIG_HOME/tavrix/ports (default ~/.config/tavrix/ports).
QString defaultPortsDir();
// COM1-16 ttyS0-15, COM17-32 ttyUSB0-15, COM33-48 ttyACM0-15, COM49-50 rfcomm0-1.
// TAVRIX_DEFAULT_PORTS, when set, replaces the table: device paths for COM1, COM2, ...
// separated by ':' (an empty entry or an empty text maps nothing), so that tests and
// unusual machines never touch the standard devices.
QStringList standardTable();

// The link that pins a device to the COM number.
QString linkPath(const QString &portsDir, int com);
// The default table's device for the COM number, whether it exists or not.
QString tableEntry(const PortMap &map, int com);

} // namespace portmap
