#include "records/records.h"

#include "records/blocks.h"
#include "records/controlnames.h"
#include "records/controls.h"
#include "records/payload.h"
#include "records/presets.h"
#include "records/settingsfields.h"
#include "wire/wiretext.h"

#include <QList>

namespace records {
namespace {

using namespace names;

const QString &noEntry()
{
    static const QString text = QString::fromUtf8(presets::kNoEntry);
    return text;
}

// Cuts the list form into fields at the given end marks; a field runs to its mark or
// to the end of the payload, and the fields after the end are empty.
QList<QByteArray> splitList(const Payload &p, const QByteArray &marks)
{
    QList<QByteArray> fields;
    int pos = 0;
    for (char mark : marks) {
        QByteArray field;
        while (pos < p.size() && p.at(pos) != mark)
            field += p.at(pos++);
        if (pos < p.size())
            ++pos; // past the mark
        fields << field;
    }
    return fields;
}

QString orNoEntry(const QByteArray &field)
{
    return field.size() < 2 ? noEntry() : wire::decode(field);
}

} // namespace

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

// ---- list forms and buttons -------------------------------------------------------------

PhoneBookRecord buildPhoneList(Controls &c)
{
    PhoneBookRecord out;
    for (int k = 1; k <= names::kPhones; ++k) {
        if (k > 1)
            out += '_';
        out += wire::encode(phoneToSend(c, k));
    }
    return out;
}

void applyPhoneList(Controls &c, const QByteArray &text, int payloadPos)
{
    const Payload p(text, payloadPos);
    int pos = 0;
    for (int k = 1; k <= names::kPhones; ++k) {
        QByteArray number;
        while (pos < p.size() && p.at(pos) != '_' && number.size() < kPhoneWidth)
            number += p.at(pos++);
        ++pos; // the underscore, or the sixteenth character of an over-long number
        c.setText(phoneEdit(k), wire::decode(number));
    }
}

KeyRecord buildKeyList(Controls &c)
{
    KeyRecord out;
    encodeKeySlots(c, out);
    return out;
}

void applyKeyList(Controls &c, const QByteArray &text, int payloadPos)
{
    decodeKeySlots(c, Payload(text, payloadPos), 0);
}

SmsTextRecord buildSmsList(Controls &c)
{
    SmsTextRecord out;
    for (int k = 1; k <= names::kSmsWords; ++k) {
        if (k > 1)
            out += '_';
        out += wire::encode(smsToSend(c, k));
    }
    return out;
}

void applySmsList(Controls &c, const QByteArray &text, int payloadPos)
{
    const QList<QByteArray> words = splitList(Payload(text, payloadPos), QByteArray(12, '_'));
    for (int k = 1; k <= names::kSmsWords; ++k)
        c.setText(smsEdit(k), orNoEntry(words[k - 1]));
}

GprsRecord buildGprsList(Controls &c)
{
    GprsRecord out;
    out += wire::encode(orDefault(c, kApnEdit, latin(presets::kOperatorApn[0])));
    out += "_,";
    out += wire::encode(orDefault(c, kServerEdit, latin(presets::kMakerServerHost)));
    out += ',';
    out += wire::encode(orDefault(c, kPortEdit, latin(presets::kApnCommandPort)));
    out += '_';
    out += wire::encode(orDefault(c, kPeriodEdit, latin(presets::kApnCommandPeriod)));
    return out;
}

void applyGprsList(Controls &c, const QByteArray &text, int payloadPos)
{
    const QList<QByteArray> fields = splitList(Payload(text, payloadPos), "_,,__");
    c.setText(kApnEdit, orNoEntry(fields[0]));
    c.setText(kServerEdit, orNoEntry(fields[2]));
    c.setText(kPortEdit, orNoEntry(fields[3]));
    c.setText(kPeriodEdit, orNoEntry(fields[4]));
}

void resetPhones(Controls &c)
{
    for (int k = 1; k <= names::kPhones; ++k)
        c.setText(phoneEdit(k), latin(presets::kEmptyPhone));
}

void resetKeys(Controls &c)
{
    for (int k = 1; k <= names::kKeys; ++k)
        c.setText(keyEdit(k), QString());
}

void resetSmsTexts(Controls &c)
{
    for (int k = 1; k <= names::kSmsWords; ++k)
        c.setText(smsEdit(k), latin(presets::kSmsWords[size_t(k - 1)]));
}

void setOperatorApn(Controls &c, int operatorNo)
{
    if (operatorNo >= 1 && operatorNo <= int(presets::kOperatorApn.size()))
        c.setText(kApnEdit, latin(presets::kOperatorApn[size_t(operatorNo - 1)]));
}

void setGprsDefaults(Controls &c)
{
    c.setText(kServerEdit, latin(presets::kServerAddress));
    c.setText(kPortEdit, latin(presets::kServerPort));
    c.setText(kPeriodEdit, latin(presets::kTransmissionTime));
}

} // namespace records
