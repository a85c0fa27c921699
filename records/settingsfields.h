#pragma once

#include <QByteArray>
#include <QStringList>
#include <variant>
#include <vector>

class Controls;

namespace records {

class Payload;
struct Field;

using FieldEncoder = void (*)(Controls &c, const Field &f, QByteArray &out);
using FieldDecoder = void (*)(Controls &c, const Field &f, const Payload &p);

enum class FieldKind { Count, Choice, Index, Single, Paired, Number, Reserved };

// How a single check box reads its character. The first section and the second
// section of the record were written at different times and disagree.
enum class SingleRule {
    OnlyOneChecks,   // '1' checks, anything else unchecks
    AnyButZeroChecks, // '0' unchecks, anything else checks
    AboveZeroSigned, // the byte as a signed 8-bit value: above '0' checks
};

// Where a radio group's unlisted characters go.
enum class ChoiceFallback { LastButton, Keep };

// The rule a kind leaves open: singles read by a SingleRule, choices fall back by a
// ChoiceFallback, the other kinds need none.
using FieldRule = std::variant<std::monostate, SingleRule, ChoiceFallback>;

// One field of offsets 0 to 89 of the settings record.
struct Field
{
    int offset = 0;
    int width = 1;
    FieldKind kind = FieldKind::Reserved;
    const char *meaning = ""; // "Page: meaning" (UTF-8), the page as its tab reads
    QStringList controls; // in the field's own order (box 1 first, digit 0 first)
    QStringList enables;  // controls whose enabled state the decoder sets itself
    FieldRule rule;
    QString fallback;     // number: the default text
    int padFrom = 0;      // number: the shortest text that is zero-padded, not replaced
    int step = -1;        // place in the decoding order; -1: never read
    FieldEncoder encode = nullptr;
    FieldDecoder decode = nullptr;
};

inline constexpr int kSettingsFieldsWidth = 90;

// The table, in offset order. On first use it is checked to cover the offsets 0 to 89
// without a gap or an overlap; a broken table stops the program there.
const std::vector<Field> &settingsFields();

// What keeps the rows from covering offsets 0 to 89 once each, in order (a gap or an
// overlap would shift or garble the rest of the record); empty when they do.
QString coverageFault(const std::vector<Field> &rows);

// The 90 characters of offsets 0 to 89. Number boxes holding an unusable text get
// their default written back.
QByteArray encodeSettingsFields(Controls &c);

// Sets the controls from offsets 0 to 89, in the decoding order.
void decodeSettingsFields(Controls &c, const Payload &p);

} // namespace records
