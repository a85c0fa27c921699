#include "sim/recordlayout.h"

#include "sim/presets.h"

#include <QList>

namespace sim::layout {

namespace {

QByteArray padded(QByteArray text, int width, char fill = ' ')
{
    if (text.size() < width)
        text.append(width - text.size(), fill);
    return text;
}

// Settings positions default to '0' (what reserved positions hold), blocks to spaces.
void ensureSize(QByteArray &record, int size)
{
    while (record.size() < size)
        record.append(record.size() < kPhonesAt ? '0' : ' ');
}

void splice(QByteArray &record, int at, const QByteArray &bytes)
{
    ensureSize(record, at + bytes.size());
    record.replace(at, bytes.size(), bytes);
}

// The device side drops one pair of enclosing quotes: the configurator sends its
// defaults for empty fields quoted, and a quoted value would break the record's own
// quoting of the same field.
QByteArray unquoted(const QByteArray &field)
{
    if (field.size() >= 2 && field.startsWith('"') && field.endsWith('"'))
        return field.mid(1, field.size() - 2);
    return field;
}

// NUL past the end, so a short record simply fails the tests for quotes and commas.
char byteAt(const QByteArray &bytes, qsizetype pos)
{
    return pos >= 0 && pos < bytes.size() ? bytes.at(pos) : '\0';
}

// Cuts `text` from `pos` up to `mark`; moves `pos` past the mark, or to the end.
QByteArray cutField(const QByteArray &text, qsizetype &pos, char mark)
{
    if (pos >= text.size())
        return {};
    qsizetype end = text.indexOf(mark, pos);
    if (end < 0)
        end = text.size();
    QByteArray field = text.mid(pos, end - pos);
    pos = end + 1;
    return field;
}

} // namespace

QByteArray startRecord()
{
    QByteArray record(presets::kSettingsFields);
    Q_ASSERT(record.size() == kPhonesAt);
    for (int k = 0; k < kPhoneCount; ++k)
        record += padded(presets::kEmptyPhone, kPhoneWidth);
    for (const char *word : presets::kSmsWords)
        record += padded(word, kSmsWidth);
    for (int k = 0; k < kKeysSize / 16; ++k)
        record += presets::kNoKey;
    GprsTail tail;
    tail.apn = presets::kApnKyivstar;
    tail.protocol = "TCP";
    tail.server = presets::kServerAddress;
    tail.port = presets::kServerPort;
    tail.trailingSpaces = presets::kTailSpaces;
    record += buildGprsTail(tail);
    return record;
}

QByteArray readSlots(const QByteArray &record, int at, int width, int count)
{
    QList<QByteArray> fields;
    for (int k = 0; k < count; ++k) {
        QByteArray slot = record.mid(at + k * width, width);
        const qsizetype space = slot.indexOf(' ');
        if (space >= 0)
            slot.truncate(space);
        fields << slot;
    }
    return fields.join('_');
}

void writeSlots(QByteArray &record, int at, int width, int count, const QByteArray &list)
{
    const QList<QByteArray> fields = list.split('_');
    for (int k = 0; k < count; ++k) {
        const QByteArray field = k < fields.size() ? fields.at(k).left(width) : QByteArray();
        splice(record, at + k * width, padded(field, width));
    }
}

QByteArray readKeys(const QByteArray &record)
{
    return record.mid(kKeysAt, kKeysSize);
}

void writeKeys(QByteArray &record, const QByteArray &payload)
{
    splice(record, kKeysAt, padded(payload.left(kKeysSize), kKeysSize, 'F'));
}

GprsTail parseGprsTail(const QByteArray &record)
{
    GprsTail tail;
    qsizetype pos = kGprsAt;
    if (byteAt(record, pos) != '"')
        return tail;
    qsizetype close = record.indexOf('"', pos + 1);
    if (close < 0) {
        tail.apn = record.mid(pos + 1);
        return tail;
    }
    tail.apn = record.mid(pos + 1, close - pos - 1);
    pos = close + 1;
    while (byteAt(record, pos) == ' ')
        ++pos;

    // "TCP",
    if (byteAt(record, pos) != '"')
        return tail;
    close = record.indexOf('"', pos + 1);
    if (close < 0)
        return tail;
    tail.protocol = record.mid(pos + 1, close - pos - 1);
    pos = close + 1;
    if (byteAt(record, pos) != ',')
        return tail;
    ++pos;

    // "server","port" -- the server ends at the quote-comma-quote group, as the
    // configurator's reader looks for it.
    if (byteAt(record, pos) != '"')
        return tail;
    const qsizetype group = record.indexOf("\",\"", pos + 1);
    if (group < 0) {
        close = record.indexOf('"', pos + 1);
        tail.server = record.mid(pos + 1, close < 0 ? -1 : close - pos - 1);
        return tail;
    }
    tail.server = record.mid(pos + 1, group - pos - 1);
    pos = group + 3;
    close = record.indexOf('"', pos);
    if (close < 0) {
        tail.port = record.mid(pos);
        return tail;
    }
    tail.port = record.mid(pos, close - pos);
    pos = close + 1;
    int spaces = 0;
    while (byteAt(record, pos + spaces) == ' ')
        ++spaces;
    tail.trailingSpaces = spaces;
    return tail;
}

QByteArray buildGprsTail(const GprsTail &tail)
{
    QByteArray out;
    out += '"' + tail.apn + '"';
    if (tail.apn.size() < kApnFieldWidth)
        out.append(kApnFieldWidth - tail.apn.size(), ' ');
    out += '"' + (tail.protocol.isEmpty() ? QByteArray("TCP") : tail.protocol) + "\",";
    out += '"' + tail.server + "\",\"" + tail.port + '"';
    out.append(tail.trailingSpaces < 0 ? presets::kTailSpaces : tail.trailingSpaces, ' ');
    return out;
}

QByteArray readApnList(const QByteArray &record)
{
    const GprsTail tail = parseGprsTail(record);
    return tail.apn + '_' + tail.protocol + ',' + tail.server + ',' + tail.port + '_'
           + record.mid(kPeriodAt, kPeriodWidth);
}

void writeApnList(QByteArray &record, const QByteArray &payload)
{
    qsizetype pos = 0;
    const QByteArray apn = cutField(payload, pos, '_');
    cutField(payload, pos, ','); // protocol: the configurator leaves it empty
    const QByteArray server = cutField(payload, pos, ',');
    const QByteArray port = cutField(payload, pos, '_');
    const QByteArray period = pos < payload.size() ? payload.mid(pos) : QByteArray();

    GprsTail tail = parseGprsTail(record);
    tail.apn = unquoted(apn);
    tail.server = unquoted(server);
    tail.port = unquoted(port);
    ensureSize(record, kGprsAt);
    record.truncate(kGprsAt);
    record += buildGprsTail(tail);

    // A short period is zero-filled on the left as the settings record carries it; an
    // empty one keeps the stored period.
    if (!period.isEmpty()) {
        QByteArray digits = period.left(kPeriodWidth);
        digits.prepend(QByteArray(kPeriodWidth - digits.size(), '0'));
        splice(record, kPeriodAt, digits);
    }
}

} // namespace sim::layout
