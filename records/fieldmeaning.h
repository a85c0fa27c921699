#pragma once

#include <QString>

namespace records {

// "Page: meaning" of the settings field or block that carries the control, e.g.
// "Термометр: recipients of the temperature alarm"; empty for a control no record carries.
QString meaningOf(const QString &controlName);

// The meaning of the settings field at this offset (any offset inside the field), or
// empty outside offsets 0 to 89.
QString fieldMeaningAt(int offset);

} // namespace records
