#include "config/backups.h"

#include <QDir>
#include <QStandardPaths>

namespace backups {

QString folder()
{
    QString base = qEnvironmentVariable("LOCALAPPDATA");
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::cleanPath(base + QStringLiteral("/Tavrix/backups"));
}

} // namespace backups
