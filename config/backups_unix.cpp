#include "config/backups.h"

#include <QDir>

namespace backups {

QString folder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // The base directory rules ignore a relative path.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base + QStringLiteral("/tavrix/backups"));
}

} // namespace backups
