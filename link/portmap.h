#pragma once

#include <QString>
#include <QStringList>

// Turns a COM number (1..50) into a serial device. A link "comN" in the ports folder
// wins; otherwise the default table names the device. The ports folder works like a
// folder of DOS device links: pin an adapter's /dev/serial/by-id path to a number, or
// let the simulator put its pseudo-terminal there.
class PortMap
{
public:
    static constexpr int kFirstCom = 1;
    static constexpr int kLastCom = 50;

    PortMap(QString portsDir, QStringList defaultTable);

    // $XDG_CONFIG_HOME/tavrix/ports (default ~/.config/tavrix/ports) with the standard
    // table: COM1-16 ttyS0-15, COM17-32 ttyUSB0-15, COM33-48 ttyACM0-15, COM49-50 rfcomm0-1.
    // TAVRIX_DEFAULT_PORTS, when set, replaces the table: device paths for COM1, COM2, ...
    // separated by ':' (an empty entry or an empty text maps nothing), so that tests and
    // unusual machines never touch the standard devices.
    static PortMap system();
    static QString defaultPortsDir();
    static QStringList defaultTable();

    QString portsDir() const { return m_portsDir; }
    QString linkPath(int com) const;
    // The default table's device for the COM number, whether it exists or not.
    QString tableEntry(int com) const;

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
