#pragma once

#include "link/portmap.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

namespace line {

// The folders beside the ports folder whose changes mean a device came or went: on Linux
// /dev, its by-id links and the folders of the default table's devices for `coms`.
QStringList deviceFolders(const PortMap &map, const QList<int> &coms);

// Notices the COM numbers coming and going. The folders that hold devices and their
// links wake a rescan at once (inotify); a rescan every kRescanMs is the fallback
// everywhere, and the only way on systems without such folders. A rescan only resolves
// names: it never opens a port.
class PortWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRescanMs = 500;

    PortWatcher(PortMap map, QList<int> coms, QObject *parent = nullptr);

    void start();
    void stop();
    // The device each COM number stands for now (empty: none).
    QString device(int com) const { return m_devices.value(com); }
    const QList<int> &coms() const { return m_coms; }
    const PortMap &map() const { return m_map; }

public slots:
    void rescan();

signals:
    // A COM number stands for a device now, or another one than before.
    void appeared(int com, const QString &device);
    void gone(int com);

private:
    void watchFolders();

    PortMap m_map;
    QList<int> m_coms;
    QHash<int, QString> m_devices;
    QFileSystemWatcher m_watcher;
    QTimer m_timer;
};

} // namespace line
