#include "protocol/records/settingsfields.h"

#include "protocol/records/controls.h"
#include "protocol/records/payload.h"
#include "protocol/records/wiretext.h"

#include <algorithm>

namespace records {
namespace {

char digit(int n)
{
    return char('0' + n);
}

// '1'..'9' as 1..9 within a column of n boxes, else 0.
int countOf(char ch, int n)
{
    const int d = ch - '0';
    return (d >= 1 && d <= n) ? d : 0;
}

bool aboveZeroSigned(char ch)
{
    return qint8(ch) > qint8('0');
}

QStringList names(const char *prefix, int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << QString::fromLatin1(prefix) + QString::number(i);
    return out;
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *name : list)
        out << QString::fromLatin1(name);
    return out;
}

// ---- kinds --------------------------------------------------------------------------

void encodeCountOver(Controls &c, const QStringList &boxes, QByteArray &out)
{
    for (int i = int(boxes.size()) - 1; i >= 0; --i) {
        if (c.checked(boxes[i])) {
            out += digit(i + 1);
            return;
        }
    }
    out += '0';
}

void encodeCount(Controls &c, const Field &f, QByteArray &out)
{
    encodeCountOver(c, f.controls, out);
}

// Every box is set, also where it already has the wanted state, so that the column
// ends as the run 1..d whatever rules fire meanwhile.
void setCount(Controls &c, const QStringList &boxes, int d)
{
    for (int i = 0; i < boxes.size(); ++i)
        c.setChecked(boxes[i], i < d);
}

void decodeCount(Controls &c, const Field &f, const Payload &p)
{
    setCount(c, f.controls, countOf(p.at(f.offset), int(f.controls.size())));
}

void encodeChoice(Controls &c, const Field &f, QByteArray &out)
{
    for (int i = int(f.controls.size()) - 1; i >= 1; --i) {
        if (c.checked(f.controls[i])) {
            out += digit(i);
            return;
        }
    }
    out += '0';
}

void decodeChoice(Controls &c, const Field &f, const Payload &p)
{
    const int d = p.at(f.offset) - '0';
    if (d >= 0 && d < f.controls.size())
        c.setChecked(f.controls[d], true);
    else if (ChoiceFallback(f.variant) == ChoiceFallback::LastButton)
        c.setChecked(f.controls.last(), true);
}

void encodeIndex(Controls &c, const Field &f, QByteArray &out)
{
    const int i = c.index(f.controls.first());
    out += (i >= 1 && i <= 9) ? digit(i) : '0';
}

void decodeIndex(Controls &c, const Field &f, const Payload &p)
{
    const char ch = p.at(f.offset);
    c.setIndex(f.controls.first(), (ch >= '0' && ch <= '9') ? ch - '0' : -1);
}

void encodeSingle(Controls &c, const Field &f, QByteArray &out)
{
    out += c.checked(f.controls.first()) ? '1' : '0';
}

bool singleOn(const Field &f, char ch)
{
    switch (SingleRule(f.variant)) {
    case SingleRule::OnlyOneChecks:
        return ch == '1';
    case SingleRule::AnyButZeroChecks:
        return ch != '0';
    case SingleRule::AboveZeroSigned:
        break;
    }
    return aboveZeroSigned(ch);
}

void decodeSingle(Controls &c, const Field &f, const Payload &p)
{
    c.setChecked(f.controls.first(), singleOn(f, p.at(f.offset)));
}

void encodePaired(Controls &c, const Field &f, QByteArray &out)
{
    if (c.checked(f.controls[1]))
        out += '2';
    else
        out += c.checked(f.controls[0]) ? '1' : '0';
}

void decodePaired(Controls &c, const Field &f, const Payload &p)
{
    const char ch = p.at(f.offset);
    c.setChecked(f.controls[0], ch != '0');
    c.setChecked(f.controls[1], ch != '0' && ch != '1');
}

// Fixed width: a full text goes as it is, a short one is zero-padded on the wire only
// (from padFrom characters up), anything else is replaced by the default, which the
// box then shows. A text longer than the field (only code can put one there, e.g. a
// list-form reply) would move every later field, so it counts as unusable too.
void encodeNumber(Controls &c, const Field &f, QByteArray &out)
{
    const QString text = c.text(f.controls.first());
    const int len = int(text.size());
    if (len == f.width) {
        out += wire::encode(text);
    } else if (len > 0 && len >= f.padFrom && len < f.width) {
        out += QByteArray(f.width - len, '0') + wire::encode(text);
    } else {
        c.setText(f.controls.first(), f.fallback);
        out += wire::encode(f.fallback);
    }
}

// The payload ends at a zero byte, so such a byte inside the field ends the text.
void decodeNumber(Controls &c, const Field &f, const Payload &p)
{
    c.setText(f.controls.first(), wire::decode(p.mid(f.offset, f.width)));
}

void encodeReserved(Controls &, const Field &f, QByteArray &out)
{
    out += QByteArray(f.width, '0');
}

// ---- fields with rules of their own ---------------------------------------------------

// Offset 30: CheckBox56, then the recipients CheckBox37..45. A thermometer that is on
// without recipients goes as '1'.
void encodeThermometer(Controls &c, const Field &f, QByteArray &out)
{
    const QStringList recipients = f.controls.mid(1);
    QByteArray digitOut;
    encodeCountOver(c, recipients, digitOut);
    if (digitOut == "0" && c.checked(f.controls.first()))
        digitOut = "1";
    out += digitOut;
}

void decodeThermometer(Controls &c, const Field &f, const Payload &p)
{
    const char ch = p.at(f.offset);
    c.setChecked(f.controls.first(), aboveZeroSigned(ch));
    const QStringList recipients = f.controls.mid(1);
    setCount(c, recipients, countOf(ch, int(recipients.size())));
}

// Offset 31: outputs 3 (RadioButton26/27) and 4 (RadioButton28/29) as thermostats.
// '1' is output 4 alone, '2' output 3 alone; the reader follows the writer.
void encodeThermostat(Controls &c, const Field &f, QByteArray &out)
{
    const bool lower = c.checked(f.controls[1]);
    const bool upper = c.checked(f.controls[3]);
    out += digit((lower ? 2 : 0) + (upper ? 1 : 0));
}

void decodeThermostat(Controls &c, const Field &f, const Payload &p)
{
    int bits = 3; // every unlisted character: both outputs as thermostats
    const char ch = p.at(f.offset);
    if (ch >= '0' && ch <= '2')
        bits = ch - '0';
    c.setChecked(f.controls[(bits & 2) ? 1 : 0], true);
    c.setChecked(f.controls[(bits & 1) ? 3 : 2], true);
}

// Offset 42: the pulse-mode column runs from output 5 (CheckBox53) to output 1.
// A count is set from output 5 on; clearing goes from output 1 on.
void decodePulseMode(Controls &c, const Field &f, const Payload &p)
{
    const int d = countOf(p.at(f.offset), int(f.controls.size()));
    if (d > 0) {
        setCount(c, f.controls, d);
        return;
    }
    for (int i = int(f.controls.size()) - 1; i >= 0; --i)
        c.setChecked(f.controls[i], false);
}

// Offset 72: CheckBox113 is the switch, CheckBox114..118 the inputs, CheckBox119 the
// siren. The switch itself is not written: it is on exactly when input 2 is.
void encodePartialArming(Controls &c, const Field &f, QByteArray &out)
{
    encodeCountOver(c, f.controls.mid(1, 5), out);
}

void uncheckAll(Controls &c, const QStringList &boxes)
{
    for (const QString &box : boxes)
        c.setChecked(box, false);
}

void decodePartialArming(Controls &c, const Field &f, const Payload &p)
{
    const char ch = p.at(f.offset);
    if (aboveZeroSigned(ch))
        c.setChecked(f.controls.first(), true);
    else
        uncheckAll(c, f.controls);
    const int d = countOf(ch, 5);
    if (d > 0)
        setCount(c, f.controls.mid(1, 5), d);
    else
        uncheckAll(c, f.controls);
}

// Offset 73: the siren box follows the character. Its enabled state belongs to the
// partial-arming switch, so it is left alone here.
void decodePartialArmingSiren(Controls &c, const Field &f, const Payload &p)
{
    c.setChecked(f.controls.first(), p.at(f.offset) == '1');
}

// Offset 84: CheckBox57 and the six server controls, whose enabled state is set
// here whether or not the box changed (no rule runs at start for this box).
void decodeServerSwitch(Controls &c, const Field &f, const Payload &p)
{
    const bool on = aboveZeroSigned(p.at(f.offset));
    c.setChecked(f.controls.first(), on);
    for (const QString &name : f.controls.mid(1))
        c.setEnabled(name, on);
}

// ---- row builders ---------------------------------------------------------------------

Field row(int offset, int width, FieldKind kind, QStringList controls, int step,
          FieldEncoder encode, FieldDecoder decode)
{
    Field f;
    f.offset = offset;
    f.width = width;
    f.kind = kind;
    f.controls = std::move(controls);
    f.step = step;
    f.encode = encode;
    f.decode = decode;
    return f;
}

Field count(int offset, QStringList boxes, int step, FieldDecoder decode = decodeCount)
{
    return row(offset, 1, FieldKind::Count, std::move(boxes), step, encodeCount, decode);
}

Field choice(int offset, QStringList buttons, ChoiceFallback fallback, int step)
{
    Field f = row(offset, 1, FieldKind::Choice, std::move(buttons), step, encodeChoice, decodeChoice);
    f.variant = int(fallback);
    return f;
}

Field index(int offset, const char *combo, int step)
{
    return row(offset, 1, FieldKind::Index, names({combo}), step, encodeIndex, decodeIndex);
}

Field single(int offset, QStringList box, SingleRule rule, int step,
             FieldDecoder decode = decodeSingle)
{
    Field f = row(offset, 1, FieldKind::Single, std::move(box), step, encodeSingle, decode);
    f.variant = int(rule);
    return f;
}

Field paired(int offset, const char *first, const char *second, int step)
{
    return row(offset, 1, FieldKind::Paired, names({first, second}), step, encodePaired,
               decodePaired);
}

Field number(int offset, int width, const char *edit, const char *fallback, int padFrom,
             int step)
{
    Field f = row(offset, width, FieldKind::Number, names({edit}), step, encodeNumber,
                  decodeNumber);
    f.fallback = QString::fromLatin1(fallback);
    f.padFrom = padFrom;
    return f;
}

Field reserved(int offset, int width)
{
    return row(offset, width, FieldKind::Reserved, {}, -1, encodeReserved, nullptr);
}

Field special(int offset, FieldKind kind, QStringList controls, int step, FieldEncoder encode,
              FieldDecoder decode)
{
    return row(offset, 1, kind, std::move(controls), step, encode, decode);
}

constexpr auto Last = ChoiceFallback::LastButton;
constexpr auto Keep = ChoiceFallback::Keep;
constexpr auto OnlyOne = SingleRule::OnlyOneChecks;
constexpr auto AnyButZero = SingleRule::AnyButZeroChecks;
constexpr auto Signed = SingleRule::AboveZeroSigned;

std::vector<Field> buildTable()
{
    const auto box = [](const char *name) { return names({name}); };
    const auto rb = [](std::initializer_list<int> numbers) {
        QStringList out;
        for (int n : numbers)
            out << QStringLiteral("RadioButton%1").arg(n);
        return out;
    };
    // The step column is the decoding order: the first section in offset order, the
    // second in the order the controls were always set (thermometer before password,
    // power saving before the thresholds, the partial-arming steps with their edits).
    return {
        // offset, controls, (variant), step
        count(0, names("CheckBox", 1, 9), 0),
        count(1, names("CheckBox", 10, 18), 1),
        count(2, names("CheckBox", 19, 27), 2),
        count(3, names("CheckBox", 28, 36), 3),
        single(4, box("CheckBox76"), OnlyOne, 4),
        single(5, box("CheckBox77"), OnlyOne, 5),
        choice(6, rb({1, 2, 3, 19, 20}), Last, 6),
        choice(7, rb({4, 5, 6}), Last, 7),
        choice(8, rb({7, 8, 9}), Last, 8),
        choice(9, rb({10, 11, 12}), Last, 9),
        choice(10, rb({13, 14, 15}), Last, 10),
        choice(11, rb({16, 17, 18}), Last, 11),
        choice(12, rb({21, 22, 23}), Last, 12),
        paired(13, "CheckBox78", "CheckBox79", 13),
        choice(14, rb({30, 31}), Keep, 14),
        choice(15, rb({24, 25}), Keep, 15),
        index(16, "ComboBox27", 16),
        single(17, box("CheckBox46"), AnyButZero, 17),
        index(18, "ComboBox19", 18),
        index(19, "ComboBox21", 19),
        index(20, "ComboBox22", 20),
        index(21, "ComboBox2", 21),
        index(22, "ComboBox30", 22),
        paired(23, "CheckBox48", "CheckBox54", 23),
        index(24, "ComboBox24", 24),
        index(25, "ComboBox26", 25),

        number(26, 4, "Edit31", "7913", 4, 27),
        special(30, FieldKind::Count, names({"CheckBox56"}) + names("CheckBox", 37, 45), 26,
                encodeThermometer, decodeThermometer),
        special(31, FieldKind::Choice, rb({26, 27, 28, 29}), 28, encodeThermostat,
                decodeThermostat),
        number(32, 2, "Edit33", "40", 1, 31),
        number(34, 2, "Edit32", "07", 1, 30),
        single(36, box("CheckBox47"), Signed, 29),
        choice(37, rb({32, 33, 34}), Last, 32),
        count(38, names("CheckBox", 58, 66), 33),
        single(39, box("CheckBox68"), Signed, 34),
        single(40, box("CheckBox55"), Signed, 35),
        choice(41, rb({35, 36, 37, 38}), Last, 36),
        count(42, names({"CheckBox53", "CheckBox52", "CheckBox51", "CheckBox50", "CheckBox49"}),
              37, decodePulseMode),
        index(43, "ComboBox18", 38),
        index(44, "ComboBox20", 39),
        choice(45, rb({39, 40, 41}), Keep, 40),
        reserved(46, 2),

        paired(48, "CheckBox67", "CheckBox69", 41),
        count(49, names("CheckBox", 71, 75), 42),
        single(50, box("CheckBox70"), Signed, 43),
        reserved(51, 3),
        paired(54, "CheckBox108", "CheckBox109", 44),
        count(55, names("CheckBox", 81, 89), 45),
        count(56, names("CheckBox", 90, 98), 46),
        count(57, names("CheckBox", 99, 107), 47),
        single(58, box("CheckBox110"), Signed, 48),
        reserved(59, 7),
        single(66, box("CheckBox80"), Signed, 49),
        number(67, 2, "Edit38", "10", 1, 52),
        number(69, 3, "Edit36", "111", 3, 51),
        special(72, FieldKind::Count, names("CheckBox", 113, 119), 50, encodePartialArming,
                decodePartialArming),
        single(73, box("CheckBox119"), OnlyOne, 53, decodePartialArmingSiren),
        reserved(74, 3),
        choice(77, rb({42, 43, 44, 45, 46, 47, 48}), Last, 54),
        reserved(78, 6),
        single(84, names({"CheckBox57", "Label94", "Label95", "Edit35", "Edit37", "Label109", "Edit40"}),
               Signed, 55, decodeServerSwitch),
        number(85, 3, "Edit37", "180", 1, 56),
        reserved(88, 2),
    };
}

} // namespace

const std::vector<Field> &settingsFields()
{
    static const std::vector<Field> table = buildTable();
    return table;
}

QByteArray encodeSettingsFields(Controls &c)
{
    QByteArray out;
    out.reserve(90);
    for (const Field &f : settingsFields())
        f.encode(c, f, out);
    return out;
}

void decodeSettingsFields(Controls &c, const Payload &p)
{
    static const std::vector<const Field *> order = [] {
        std::vector<const Field *> rows;
        for (const Field &f : settingsFields()) {
            if (f.decode)
                rows.push_back(&f);
        }
        std::sort(rows.begin(), rows.end(),
                  [](const Field *a, const Field *b) { return a->step < b->step; });
        return rows;
    }();
    for (const Field *f : order)
        f->decode(c, *f, p);
}

} // namespace records
