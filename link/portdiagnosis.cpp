#include "link/portdiagnosis.h"

#include "link/portmap.h"
#include "link/portscan.h"
#include "link/serialchannel.h"

#include <QCoreApplication>

PortStatus::State explainRefusal(const QString &device, const SerialChannel &channel, QString *reason)
{
    const OpenRefusal refusal = refusalToOpen(device, channel);
    *reason = refusal.in(language::Language::Russian);
    return refusal.state;
}

QString portscan::KnownDevices::value(const QString &device) const
{
    if (m_list == DeviceList::Deferred) {
        m_wanted = true;
        return {};
    }
    if (!m_known)
        m_known = knownDevices();
    return m_known->value(device);
}

QList<PortStatus> diagnosePorts(const PortMap &map, SerialChannel &probe, language::Language words, DeviceList list,
                                bool *deferred)
{
    const portscan::KnownDevices known(list);
    QList<PortStatus> out;
    for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com) {
        auto [s, worthProbing] = portscan::locate(map, com, words);
        if (worthProbing) {
            if (probe.open(s.device, SerialLine::kBaudRate)) {
                probe.close();
                s.state = PortStatus::State::Free;
                s.reason.clear();
            } else {
                const OpenRefusal refusal = refusalToOpen(s.device, probe);
                s.state = refusal.state;
                s.reason = refusal.in(words);
                // Most numbers are simply not there; the long advice is for the port the user picked.
                if (s.state == PortStatus::State::Absent)
                    s.reason = language::inLanguage(words, "link", QT_TRANSLATE_NOOP("link", "no such port"));
            }
        }
        s.description = portscan::describe(s, known, words);
        out << s;
    }
    if (deferred)
        *deferred = known.wanted();
    return out;
}

void describePorts(QList<PortStatus> &ports, language::Language words)
{
    const portscan::KnownDevices known(DeviceList::Read);
    for (PortStatus &s : ports)
        s.description = portscan::describe(s, known, words);
}
