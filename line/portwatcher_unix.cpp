#include "line/portwatcher.h"

#include "link/portmap_unix.h"

#include <QFileInfo>

namespace line {

QStringList deviceFolders(const PortMap &map, const QList<int> &coms)
{
    QStringList folders {QStringLiteral("/dev"), QStringLiteral("/dev/serial/by-id")};
    // Folders of the default table's devices (a test's own folder of stand-ins too).
    for (int com : coms) {
        const QString entry = portmap::tableEntry(map, com);
        if (!entry.isEmpty())
            folders << QFileInfo(entry).absolutePath();
    }
    return folders;
}

} // namespace line
