#include "records/records.h"

#include "records/blocks.h"
#include "records/payload.h"
#include "records/settingsfields.h"

namespace records {

SettingsRecord buildSettings(Controls &c)
{
    SettingsRecord out = encodeSettingsFields(c);
    encodePhoneSlots(c, out);
    encodeSmsSlots(c, out);
    encodeKeySlots(c, out);
    encodeGprsTail(c, out);
    return out;
}

void applySettings(Controls &c, const QByteArray &text, int payloadPos)
{
    const Payload p(text, payloadPos);
    decodeSettingsFields(c, p);
    decodePhoneSlots(c, p);
    decodeSmsSlots(c, p);
    decodeKeySlots(c, p, kKeyOffset);
    decodeGprsTail(c, p);
}

void applySettingsRecord(Controls &c, const SettingsRecord &record)
{
    // A payload ends at its first CR or NUL wherever it stands: the bare record reads
    // as the reply that frames it.
    applySettings(c, record, 0);
}

} // namespace records
