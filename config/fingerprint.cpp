#include "config/fingerprint.h"

#include "records/memorycontrols.h"
#include "records/records.h"
#include "records/startvalues.h"

#include <QCryptographicHash>

namespace config {

QString fingerprint(const QByteArray &record)
{
    return QString::fromLatin1(QCryptographicHash::hash(record, QCryptographicHash::Sha256).toHex().left(12));
}

QByteArray recordOf(const Catalog &catalog, const Controls &controls)
{
    MemoryControls copy = records::startControls();
    catalog.copy(controls, copy);
    return records::buildSettings(copy);
}

} // namespace config
