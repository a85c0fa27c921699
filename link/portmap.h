#pragma once

#include <QString>
#include <QStringList>

// Turns a COM number (1..50) into a serial device. Where the system names its ports by
// device files (link/portmap_unix.h), a folder of pins and a default table stand behind
// the numbers; where it names them COM1, COM2, ... each number is its own device and
// both are empty.
class PortMap
{
public:
    static constexpr int kFirstCom = 1;
    static constexpr int kLastCom = 50;

    // The folder of pins and the default table of devices, COM1 first.
    PortMap(QString portsDir, QStringList defaultTable);

    // The user's map: their pins and the standard table.
    static PortMap system();

    // Where the user pins ports to numbers; empty where there is no such folder.
    QString portsDir() const { return m_portsDir; }
    const QStringList &defaultTable() const { return m_defaultTable; }

    // What a COM number stands for now. A link in the ports folder wins even when its
    // device has gone: a pin never falls back to the default table.
    struct Resolution
    {
        QString device; // canonical; empty when there is none
        QString link;   // the link com<N> that names it; empty when the table does
        QString target; // where a link whose device has gone points
    };
    Resolution resolve(int com) const;

    // The canonical device path for the COM number, or an empty text when none exists.
    QString devicePath(int com) const { return resolve(com).device; }

    // The device to open now for a port found earlier as foundDevice, or an empty text
    // when the COM number no longer stands for it. Found by its link, it follows the link
    // (the user's pin names the controller); found in the default table, it opens only
    // that device, and only while the table still gives it this number.
    QString deviceNow(int com, bool foundByLink, const QString &foundDevice) const;

private:
    QString m_portsDir;
    QStringList m_defaultTable;
};
