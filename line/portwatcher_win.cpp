#include "line/portwatcher.h"

namespace line {

// Windows numbers its ports itself: only the rescan notices them.
QStringList deviceFolders(const PortMap &, const QList<int> &)
{
    return {};
}

} // namespace line
