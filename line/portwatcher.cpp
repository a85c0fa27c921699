#include "line/portwatcher.h"

#include <QDir>
#include <QFileInfo>

namespace line {

PortWatcher::PortWatcher(PortMap map, QList<int> coms, QObject *parent)
    : QObject(parent), m_map(std::move(map)), m_coms(std::move(coms))
{
    m_timer.setInterval(kRescanMs);
    connect(&m_timer, &QTimer::timeout, this, &PortWatcher::rescan);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        // A folder that appeared since (the by-id folder with the first adapter) is
        // watched from now on.
        watchFolders();
        rescan();
    });
}

void PortWatcher::watchFolders()
{
    QStringList folders {m_map.portsDir()};
    folders << deviceFolders(m_map, m_coms);
    folders.removeDuplicates();
    QStringList wanted;
    for (const QString &folder : std::as_const(folders)) {
        if (QFileInfo(folder).isDir() && !m_watcher.directories().contains(folder))
            wanted << folder;
    }
    if (!wanted.isEmpty())
        m_watcher.addPaths(wanted);
}

void PortWatcher::start()
{
    watchFolders();
    rescan();
    m_timer.start();
}

void PortWatcher::stop()
{
    m_timer.stop();
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
}

void PortWatcher::rescan()
{
    watchFolders();
    for (int com : std::as_const(m_coms)) {
        const QString now = m_map.resolve(com).device;
        const QString before = m_devices.value(com);
        if (now == before)
            continue;
        if (now.isEmpty()) {
            m_devices.remove(com);
            emit gone(com);
        } else {
            if (!before.isEmpty())
                emit gone(com);
            m_devices.insert(com, now);
            emit appeared(com, now);
        }
    }
}

} // namespace line
