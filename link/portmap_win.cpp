#include "link/portmap.h"

// On Windows the COM number is the system's own name for the device: there is no folder
// of links and no table to look it up in.

PortMap::PortMap(QString portsDir, QStringList defaultTable)
    : m_portsDir(std::move(portsDir)), m_defaultTable(std::move(defaultTable))
{
}

PortMap PortMap::system()
{
    return PortMap({}, {});
}

PortMap::Resolution PortMap::resolve(int com) const
{
    if (com < kFirstCom || com > kLastCom)
        return {};
    return {QStringLiteral("COM%1").arg(com), {}, {}};
}

QString PortMap::deviceNow(int com, bool, const QString &) const
{
    return resolve(com).device;
}
