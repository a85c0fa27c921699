#include "link/portdiagnosis.h"

#include "link/portmap.h"
#include "link/portscan.h"
#include "link/serialchannel.h"

PortStatus::State explainRefusal(const QString &device, const SerialChannel &channel, QString *reason)
{
    const OpenRefusal refusal = refusalToOpen(device, channel);
    *reason = refusal.reason;
    return refusal.state;
}

QList<PortStatus> diagnosePorts(const PortMap &map, SerialChannel &probe)
{
    const QHash<QString, QString> known = portscan::knownDevices();
    QList<PortStatus> out;
    for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com) {
        auto [s, worthProbing] = portscan::locate(map, com);
        if (worthProbing) {
            if (probe.open(s.device, SerialLine::kBaudRate)) {
                probe.close();
                s.state = PortStatus::State::Free;
                s.reason.clear();
            } else {
                s.state = explainRefusal(s.device, probe, &s.reason);
                // Most numbers are simply not there; the long advice is for the port the user picked.
                if (s.state == PortStatus::State::Absent)
                    s.reason = QString::fromUtf8("нет такого порта");
            }
        }
        s.description = portscan::describe(s, known);
        out << s;
    }
    return out;
}
