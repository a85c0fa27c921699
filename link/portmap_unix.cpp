#include "link/portmap_unix.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

PortMap::PortMap(QString portsDir, QStringList defaultTable)
    : m_portsDir(std::move(portsDir)), m_defaultTable(std::move(defaultTable))
{
}

QString portmap::defaultPortsDir()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/tavrix/ports");
}

QStringList portmap::standardTable()
{
    if (qEnvironmentVariableIsSet("TAVRIX_DEFAULT_PORTS"))
        return qEnvironmentVariable("TAVRIX_DEFAULT_PORTS").split(QLatin1Char(':'));
    QStringList table;
    for (int i = 0; i < 16; ++i)
        table << QStringLiteral("/dev/ttyS%1").arg(i);
    for (int i = 0; i < 16; ++i)
        table << QStringLiteral("/dev/ttyUSB%1").arg(i);
    for (int i = 0; i < 16; ++i)
        table << QStringLiteral("/dev/ttyACM%1").arg(i);
    table << QStringLiteral("/dev/rfcomm0") << QStringLiteral("/dev/rfcomm1");
    return table;
}

PortMap PortMap::system()
{
    return PortMap(portmap::defaultPortsDir(), portmap::standardTable());
}

QString portmap::linkPath(const QString &portsDir, int com)
{
    return portsDir + QStringLiteral("/com%1").arg(com);
}

QString portmap::tableEntry(const PortMap &map, int com)
{
    if (com < PortMap::kFirstCom || com > PortMap::kLastCom || com - 1 >= map.defaultTable().size())
        return {};
    return map.defaultTable().at(com - 1);
}

PortMap::Resolution PortMap::resolve(int com) const
{
    Resolution r;
    if (com < kFirstCom || com > kLastCom)
        return r;
    const QFileInfo link(portmap::linkPath(m_portsDir, com));
    if (link.isSymLink() || link.exists()) {
        r.link = link.filePath();
        // Open the link's target, so that the lock file is the one other programs use.
        r.device = link.canonicalFilePath();
        if (r.device.isEmpty())
            r.target = link.symLinkTarget();
        return r;
    }
    const QString entry = portmap::tableEntry(*this, com);
    if (!entry.isEmpty())
        r.device = QFileInfo(entry).canonicalFilePath();
    return r;
}

QString PortMap::deviceNow(int com, bool foundByLink, const QString &foundDevice) const
{
    const Resolution now = resolve(com);
    if (foundByLink)
        return now.link.isEmpty() ? QString() : now.device;
    return now.link.isEmpty() && !foundDevice.isEmpty() && now.device == foundDevice ? foundDevice : QString();
}
