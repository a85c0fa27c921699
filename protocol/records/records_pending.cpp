// Placeholder bodies until the codecs land; this file is deleted then.
#include "protocol/records/records.h"
#include "protocol/records/controls.h"

namespace records {
QByteArray buildSettings(Controls &) { return {}; }
void applySettings(Controls &, const QByteArray &, int) {}
QByteArray buildPhoneList(Controls &) { return {}; }
void applyPhoneList(Controls &, const QByteArray &, int) {}
QByteArray buildKeyList(Controls &) { return {}; }
void applyKeyList(Controls &, const QByteArray &, int) {}
QByteArray buildSmsList(Controls &) { return {}; }
void applySmsList(Controls &, const QByteArray &, int) {}
QByteArray buildGprsList(Controls &) { return {}; }
void applyGprsList(Controls &, const QByteArray &, int) {}
void resetPhones(Controls &) {}
void resetKeys(Controls &) {}
void resetSmsTexts(Controls &) {}
void setOperatorApn(Controls &, int) {}
void setGprsDefaults(Controls &) {}
} // namespace records
