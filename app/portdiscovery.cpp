#include "app/portdiscovery.h"

#include "link/portdiagnosis.h"
#include "link/portmap.h"
#include "link/serialchannel.h"

PortList discoverPorts(SerialChannel &channel, const PortMap &map)
{
    PortList ports;
    QStringList refused;
    for (const PortStatus &s : diagnosePorts(map, channel)) {
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
    return ports;
}
