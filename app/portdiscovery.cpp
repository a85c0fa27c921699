#include "app/portdiscovery.h"

#include "link/portmap.h"
#include "link/serialchannel.h"

#include <utility>

namespace {

// The selector's items, tips and empty-list hint from what the probes found.
void list(PortList &ports)
{
    ports.items.clear();
    ports.table.clear();
    ports.devices.clear();
    ports.links.clear();
    ports.tooltips.clear();
    ports.emptyHint.clear();
    QStringList refused;
    for (const PortStatus &s : std::as_const(ports.statuses)) {
        if (s.isFree()) {
            ports.items << QStringLiteral("COM%1").arg(s.com);
            ports.table << s.com;
            ports.devices << s.device;
            ports.links << s.link;
            ports.tooltips << s.summary();
        } else if (s.state != PortStatus::State::Absent) {
            refused << s.summary() + QStringLiteral(": ") + s.reason;
        }
    }
    if (ports.items.isEmpty()) {
        ports.emptyHint = refused.isEmpty()
            ? QString::fromUtf8("Последовательных портов нет: подключите адаптер и откройте список снова.")
            : QString::fromUtf8("Ни один порт не открывается:\n") + refused.join(QLatin1Char('\n'));
        ports.emptyHint += QString::fromUtf8("\nВсе номера COM1–COM50: tavrix-configurator --ports");
    }
}

} // namespace

PortList discoverPorts(SerialChannel &channel, const PortMap &map, DeviceList devices)
{
    PortList ports;
    ports.statuses = diagnosePorts(map, channel, language::Language::Russian, devices, &ports.describedLater);
    list(ports);
    return ports;
}

void describeFully(PortList &ports)
{
    if (!std::exchange(ports.describedLater, false))
        return;
    describePorts(ports.statuses);
    list(ports);
}
