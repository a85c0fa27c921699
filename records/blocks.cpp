#include "records/blocks.h"

#include "records/controlnames.h"
#include "records/controls.h"
#include "records/gprstail.h"
#include "records/payload.h"
#include "records/presets.h"
#include "wire/wiretext.h"

namespace records {
namespace {

using namespace names;

void appendPadded(QByteArray &out, const QString &text, int width)
{
    const QByteArray bytes = wire::encode(text);
    out += bytes;
    if (bytes.size() < width)
        out += QByteArray(width - bytes.size(), ' ');
}

// A slot of the settings record: from its first character to the first space.
QString slotText(const Payload &p, int offset, int width)
{
    QByteArray bytes = p.mid(offset, width);
    const qsizetype space = bytes.indexOf(' ');
    if (space >= 0)
        bytes.truncate(space);
    return wire::decode(bytes);
}

// A fixed slot never takes more than its width: a longer text (only a list-form reply
// can leave one in a box) is cut, and the box shows what was sent.
QString fitSlot(Controls &c, const QString &name, const QString &text, int width)
{
    if (text.size() <= width)
        return text;
    const QString cut = text.left(width);
    c.setText(name, cut);
    return cut;
}

Block numberedBlock(const char *name, const char *meaning, int count,
                    QString (*edit)(int), const char *slotMeaning)
{
    Block b{name, QString::fromUtf8(meaning), {}, {}};
    for (int k = 1; k <= count; ++k) {
        b.controls << edit(k);
        b.meanings << QString::fromUtf8(slotMeaning).arg(k);
    }
    return b;
}

} // namespace

// A phone text as the writers send it: "+380" stands for any number too short to be one.
QString phoneToSend(Controls &c, int k)
{
    const QString text = c.text(phoneEdit(k));
    if (text.size() >= 4)
        return text;
    const QString empty = latin(presets::kEmptyPhone);
    c.setText(phoneEdit(k), empty);
    return empty;
}

// Fills the box with a default when it is empty, and returns what is to be sent.
QString orDefault(Controls &c, const QString &name, const QString &fallback)
{
    const QString text = c.text(name);
    if (!text.isEmpty())
        return text;
    c.setText(name, fallback);
    return fallback;
}

QString smsToSend(Controls &c, int k)
{
    return orDefault(c, smsEdit(k), latin(presets::kSmsWords[size_t(k - 1)]));
}

const std::vector<Block> &blocks()
{
    static const std::vector<Block> table = {
        numberedBlock("phones", "Телефоны и SMS: the subscribers' phone numbers", names::kPhones,
                      phoneEdit, "Телефоны и SMS: phone number of subscriber %1"),
        numberedBlock("sms", "Тексты SMS: the words the device composes its SMS from",
                      names::kSmsWords, smsEdit, "Тексты SMS: SMS word %1"),
        numberedBlock("keys", "Ключи Dallas: the iButton key codes", names::kKeys, keyEdit,
                      "Ключи Dallas: code of iButton key %1"),
        Block{"gprs", QString::fromUtf8("GPRS-канал: internet access point and monitoring server"),
              {kApnEdit, kServerEdit, kPortEdit, kPeriodEdit},
              {QString::fromUtf8("GPRS-канал: internet access point name"),
               QString::fromUtf8("GPRS-канал: monitoring server address"),
               QString::fromUtf8("GPRS-канал: monitoring server port"),
               QString::fromUtf8("GPRS-канал: transmission time to the server, seconds")}},
    };
    return table;
}

namespace {

// The phone and SMS slots: one box per fixed-width slot, the text padded with spaces.
struct TextSlots
{
    int count;
    int offset;
    int width;
    QString (*edit)(int);
    QString (*toSend)(Controls &, int);
};

const TextSlots kPhoneSlots{names::kPhones, kPhoneOffset, kPhoneWidth, phoneEdit, phoneToSend};
const TextSlots kSmsSlots{names::kSmsWords, kSmsOffset, kSmsWidth, smsEdit, smsToSend};

void encodeSlots(Controls &c, QByteArray &out, const TextSlots &layout)
{
    for (int k = 1; k <= layout.count; ++k)
        appendPadded(out, fitSlot(c, layout.edit(k), layout.toSend(c, k), layout.width), layout.width);
}

void decodeSlots(Controls &c, const Payload &p, const TextSlots &layout)
{
    for (int k = 1; k <= layout.count; ++k)
        c.setText(layout.edit(k), slotText(p, layout.offset + layout.width * (k - 1), layout.width));
}

} // namespace

void encodePhoneSlots(Controls &c, QByteArray &out)
{
    encodeSlots(c, out, kPhoneSlots);
}

void decodePhoneSlots(Controls &c, const Payload &p)
{
    decodeSlots(c, p, kPhoneSlots);
}

void encodeSmsSlots(Controls &c, QByteArray &out)
{
    encodeSlots(c, out, kSmsSlots);
}

void decodeSmsSlots(Controls &c, const Payload &p)
{
    decodeSlots(c, p, kSmsSlots);
}

void encodeKeySlots(Controls &c, QByteArray &out)
{
    for (int key = names::kKeys; key >= 1; --key) {
        const QString code = c.text(keyEdit(key));
        if (code.size() == kKeyWidth) {
            out += wire::encode(code);
        } else {
            out += presets::kNoKey;
            c.setText(keyEdit(key), QString());
        }
    }
}

void decodeKeySlots(Controls &c, const Payload &p, int base)
{
    for (int slot = 1; slot <= names::kKeys; ++slot)
        c.setText(keyEdit(names::kKeys + 1 - slot), wire::decode(p.mid(base + kKeyWidth * (slot - 1), kKeyWidth)));
}

void encodeGprsTail(Controls &c, QByteArray &out)
{
    const QString apn = orDefault(c, kApnEdit, latin(presets::kOperatorApn[0]));
    const QString server = orDefault(c, kServerEdit, latin(presets::kServerAddress));
    const QString port = orDefault(c, kPortEdit, latin(presets::kServerPort));
    out += gprsTail(apn, server, port);
    // The record has always ended so that the last SMS word, the server, the port and
    // the spaces make 41 characters: the writer counted from the twelfth SMS word's
    // length, in one byte (a long tail wraps it and pads again). Nothing reads these
    // spaces back, but a controller may expect the length it was always sent.
    quint8 count = quint8(c.text(smsEdit(names::kSmsWords)).size() + server.size() + port.size());
    for (; count < 41; ++count)
        out += ' ';
}

void decodeGprsTail(Controls &c, const Payload &p)
{
    const GprsShape shape = gprsShape(p);
    if (shape.open >= 0 && shape.close >= 0)
        c.setText(kApnEdit, wire::decode(p.mid(shape.open + 1, shape.close - shape.open - 1)));
    if (shape.serverPort) {
        c.setText(kServerEdit, shape.server);
        c.setText(kPortEdit, shape.port);
    }
}

} // namespace records
