#pragma once

#include <QString>

namespace buildinfo {

QString version();
// The commit the programs were built from (12 hex digits, "+modified" with local changes).
QString commit();

} // namespace buildinfo
