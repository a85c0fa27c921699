#include "integrity/buildinfo.h"

#include "buildcommit.h"

namespace buildinfo {

QString version()
{
    return QStringLiteral(TAVRIX_VERSION);
}

QString commit()
{
    return QStringLiteral(TAVRIX_COMMIT);
}

} // namespace buildinfo
