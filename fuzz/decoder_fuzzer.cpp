// One decoder per target (TAVRIX_FUZZ_DECODER): the input is the text that follows the
// reply word. The decoder runs onto an in-memory copy of the window; then the writer
// builds from what was decoded, and the fixed layout must still hold.
#include "records/blocks.h"
#include "records/controlnames.h"
#include "records/recordmap.h"
#include "records/records.h"
#include "records/startvalues.h"
#include "protocol/replies.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {

enum class Decoder { settings, phones, keys, sms, gprs };

#define TAVRIX_DECODER_ENUM(name) Decoder::name
constexpr Decoder kDecoder = TAVRIX_DECODER_ENUM(TAVRIX_FUZZ_DECODER);

// The reply whose payload the decoder reads.
constexpr Reply kReply = kDecoder == Decoder::settings ? Reply::Settings
                         : kDecoder == Decoder::phones ? Reply::Phones
                         : kDecoder == Decoder::keys   ? Reply::Keys
                         : kDecoder == Decoder::sms    ? Reply::Sms
                                                       : Reply::Gprs;

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
    const char *word = replyRow(kReply).word;
    const QByteArray text = noise.left(lead) + word + input;
    const int payloadPos = lead + int(qstrlen(word));

    // Copying a prepared set is much cheaper than building one per input.
    static const MemoryControls start = records::startControls();
    MemoryControls c = start;
    switch (kDecoder) {
    case Decoder::settings:
        records::applySettings(c, text, payloadPos);
        break;
    case Decoder::phones:
        records::applyPhoneList(c, text, payloadPos);
        break;
    case Decoder::keys:
        records::applyKeyList(c, text, payloadPos);
        break;
    case Decoder::sms:
        records::applySmsList(c, text, payloadPos);
        break;
    case Decoder::gprs:
        records::applyGprsList(c, text, payloadPos);
        break;
    }

    // Whatever was read, the next write keeps every fixed offset.
    const QByteArray record = records::buildSettings(c);
    require(record.size() >= records::kSettingsFixedWidth);
    require(record.at(records::kGprsOffset) == '"');
    if (c.text(names::kApnEdit).size() <= records::kApnField)
        require(record.mid(records::kGprsOffset + 2 + records::kApnField, 6) == "\"TCP\",");
    for (int i = 0; i < records::kPhoneOffset; ++i)
        require(record.at(i) != '\r' && record.at(i) != '\0');
    require(records::buildKeyList(c).size() == 144);
    records::buildPhoneList(c);
    records::buildSmsList(c);
    records::buildGprsList(c);
    return 0;
}
