#pragma once

#include "link/portdiagnosis.h"

#include <QHash>

#include <optional>

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

// knownDevices(), asked for only when describe() first looks a device up: that scan
// takes longer than all the probes, and most ports (absent, pseudo-terminals) need
// nothing of it. Left unread (DeviceList::Deferred), every look-up answers nothing and
// the wish is remembered.
class KnownDevices
{
public:
    explicit KnownDevices(DeviceList list) : m_list(list) {}
    QString value(const QString &device) const;
    bool wanted() const { return m_wanted; }

private:
    DeviceList m_list;
    mutable bool m_wanted = false;
    mutable std::optional<QHash<QString, QString>> m_known;
};

QString describe(const PortStatus &s, const KnownDevices &known, language::Language words);
// The serial driver makes ttyS nodes for UARTs that may not be there (often 4 or 32);
// the kernel says which have none (type 0) without the port being opened. Windows has
// no such nodes: never there.
bool noUartBehind(const QString &device, const QString &ttyClass = QStringLiteral("/sys/class/tty"));

} // namespace portscan
