#include "records/recordmap.h"

#include "records/blocks.h"
#include "records/controlnames.h"
#include "records/gprstail.h"
#include "records/payload.h"
#include "records/settingsfields.h"
#include <QCoreApplication>

namespace records {
namespace {

// A fixed-width text slot: the text runs to the first space, the rest is padding.
RecordPlace textSlot(const QByteArray &record, int offset, int base, int width, int index, const QString &control,
                     const QString &meaning)
{
    RecordPlace place{base + width * index, width, {control}, meaning, false};
    const QByteArray slot = record.mid(place.offset, width);
    const qsizetype space = slot.indexOf(' ');
    place.padding = space >= 0 && offset - place.offset >= space && record.at(offset) == ' ';
    return place;
}

QString gprsMeaning(int part)
{
    return blocks().back().meanings.value(part);
}

// The parts of the internet block without a box of their own, named on the block's page.
QString gprsTextMeaning(const char *what)
{
    const QString &block = blocks().back().meaning;
    return block.left(block.indexOf(QLatin1String(": ")) + 2) + QLatin1String(what);
}

// The part of the internet block that holds offset, where a read finds the parts.
RecordPlace gprsPlace(const QByteArray &record, int offset)
{
    const GprsShape shape = gprsShape(Payload(record, 0));
    const int apnEnd = shape.close;
    const int group = shape.group;
    const int serverEnd = shape.serverEnd;
    const int portEnd = shape.portEnd;
    if (apnEnd < 0 || portEnd < 0) {
        // Not the shape the writer sends: the block as a whole.
        const Block &b = blocks().back();
        return {kGprsOffset, int(record.size()) - kGprsOffset, b.controls, b.meaning, false};
    }
    if (offset < group)
        return {kGprsOffset, group - kGprsOffset, {QString::fromLatin1(names::kApnEdit)}, gprsMeaning(0),
                offset > apnEnd};
    if (offset < shape.groupEnd)
        return {group, shape.groupEnd - group, {}, gprsTextMeaning("the protocol text \"TCP\","), false};
    if (offset < serverEnd + 2)
        return {shape.groupEnd, serverEnd + 2 - shape.groupEnd, {QString::fromLatin1(names::kServerEdit)},
                gprsMeaning(1), false};
    if (offset <= portEnd)
        return {serverEnd + 2, portEnd + 1 - (serverEnd + 2), {QString::fromLatin1(names::kPortEdit)},
                gprsMeaning(2), false};
    return {portEnd + 1, int(record.size()) - (portEnd + 1), {}, gprsTextMeaning("the spaces that end the record"),
            true};
}

} // namespace

RecordPlace placeAt(const QByteArray &record, int offset)
{
    if (offset < 0 || offset >= record.size())
        return {offset, 0, {}, QStringLiteral("past the end of the record"), false};
    if (offset < kPhoneOffset) {
        for (const Field &f : settingsFields()) {
            if (offset < f.offset + f.width)
                return {f.offset, f.width, f.controls, QString::fromUtf8(f.meaning), false};
        }
    }
    const std::vector<Block> &b = blocks();
    if (offset < kSmsOffset) {
        const int k = (offset - kPhoneOffset) / kPhoneWidth;
        return textSlot(record, offset, kPhoneOffset, kPhoneWidth, k, names::phoneEdit(k + 1), b[0].meanings.value(k));
    }
    if (offset < kKeyOffset) {
        const int k = (offset - kSmsOffset) / kSmsWidth;
        return textSlot(record, offset, kSmsOffset, kSmsWidth, k, names::smsEdit(k + 1), b[1].meanings.value(k));
    }
    if (offset < kGprsOffset) {
        // Key 9 comes first.
        const int slot = (offset - kKeyOffset) / kKeyWidth;
        const int key = names::kKeys - slot;
        return {kKeyOffset + kKeyWidth * slot, kKeyWidth, {names::keyEdit(key)}, b[2].meanings.value(key - 1), false};
    }
    return gprsPlace(record, offset);
}

QString quotedByte(char byte)
{
    const uchar code = uchar(byte);
    if (code >= 0x20 && code < 0x7f && code != '\'')
        return QStringLiteral("'%1'").arg(QChar(code));
    return QStringLiteral("\\x%1").arg(int(code), 2, 16, QLatin1Char('0'));
}

QString settingsRecordFault(const QByteArray &payload)
{
    // A NUL ends the text a reader takes, like the carriage return.
    const qsizetype nul = payload.indexOf('\0');
    const int length = int(nul >= 0 ? nul : payload.size());
    if (length < kSettingsFixedWidth)
        return QCoreApplication::translate("protocol", "the record has %1 characters, fewer than the %2 of its fixed part")
            .arg(length)
            .arg(kSettingsFixedWidth);
    // The fields before the internet block have fixed widths and take any character, so
    // a byte lost or gained anywhere before it shows only here, where the block's quotes
    // and separators stand.
    const Payload p(payload, 0);
    const GprsShape shape = gprsShape(p);
    if (shape.open != kGprsOffset)
        return QCoreApplication::translate("protocol", "offset %1 holds %2, not the quote that opens the internet settings "
                              "(the record is shifted)")
            .arg(kGprsOffset)
            .arg(quotedByte(payload.at(kGprsOffset)));
    if (shape.group < 0)
        return QCoreApplication::translate("protocol", "the internet settings have no protocol group (\"TCP\",) after the access point");
    // The access point fills its field with spaces; only a longer name moves the group.
    const int groupAt = qMax(kGprsOffset + 2 + kApnField, shape.close + 1);
    if (shape.group != groupAt)
        return QCoreApplication::translate("protocol", "the protocol group stands at offset %1, not %2 (the record is shifted)")
            .arg(shape.group)
            .arg(groupAt);
    if (!shape.serverPort)
        return QCoreApplication::translate("protocol", "the server and port after offset %1 are not \"server\",\"port\" followed by spaces")
            .arg(shape.groupEnd);
    return {};
}

} // namespace records
