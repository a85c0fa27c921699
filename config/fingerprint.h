#pragma once

#include "config/catalog.h"

#include <QByteArray>
#include <QString>

class Controls;

namespace config {

// The first 12 hex digits of the SHA-256 of a settings record: what a sheet prints and
// the site book keys its revisions' contents by.
QString fingerprint(const QByteArray &record);

// The settings record these controls write (built on a copy: building writes
// defaults back into boxes).
QByteArray recordOf(const Catalog &catalog, const Controls &controls);

} // namespace config
