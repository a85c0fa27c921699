// One decoder per target (TAVRIX_FUZZ_DECODER): the input is the text that follows the
// reply word. The decoder runs onto an in-memory copy of the window; then the writer
// builds from what was decoded, and the fixed layout must still hold.
#include "protocol/records/controlnames.h"
#include "protocol/records/records.h"
#include "protocol/records/startvalues.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {

enum class Decoder { settings, phones, keys, sms, gprs };

#define TAVRIX_DECODER_ENUM(name) Decoder::name
constexpr Decoder kDecoder = TAVRIX_DECODER_ENUM(TAVRIX_FUZZ_DECODER);

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte puts the reply word somewhere else than at the start, as when
    // several replies arrive in one read.
    const int lead = size > 0 ? data[0] % 4 : 0;
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    static const QByteArray noise = "OK\r?";
    const QByteArray before = noise.left(lead);

    // Copying a prepared set is much cheaper than building one per input.
    static const MemoryControls start = records::startControls();
    MemoryControls c = start;
    switch (kDecoder) {
    case Decoder::settings:
        records::applySettings(c, before + "READ_SET_" + input, lead + 9);
        break;
    case Decoder::phones:
        records::applyPhoneList(c, before + "READ_ABON_" + input, lead + 10);
        break;
    case Decoder::keys:
        records::applyKeyList(c, before + "READ_DALLAS_" + input, lead + 12);
        break;
    case Decoder::sms:
        records::applySmsList(c, before + "READ_SMS_" + input, lead + 9);
        break;
    case Decoder::gprs:
        records::applyGprsList(c, before + "READ_APN_" + input, lead + 9);
        break;
    }

    // Whatever was read, the next write keeps every fixed offset.
    const QByteArray record = records::buildSettings(c);
    require(record.size() >= 567);
    require(record.at(513) == '"');
    if (c.text(names::kApnEdit).size() <= 46)
        require(record.mid(561, 6) == "\"TCP\",");
    for (int i = 0; i < 90; ++i)
        require(record.at(i) != '\r' && record.at(i) != '\0');
    require(records::buildKeyList(c).size() == 144);
    records::buildPhoneList(c);
    records::buildSmsList(c);
    records::buildGprsList(c);
    return 0;
}
