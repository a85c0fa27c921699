#include "records/settingsfields.h"

#include "records/controlnames.h"
#include "records/controls.h"
#include "records/payload.h"
#include "wire/wiretext.h"

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

using names::numbered;

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
    else if (std::get<ChoiceFallback>(f.rule) == ChoiceFallback::LastButton)
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
    switch (std::get<SingleRule>(f.rule)) {
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
    for (const QString &name : f.enables)
        c.setEnabled(name, on);
}

// ---- row builders ---------------------------------------------------------------------

Field row(int offset, int width, FieldKind kind, const char *meaning, QStringList controls,
          int step, FieldEncoder encode, FieldDecoder decode)
{
    Field f;
    f.offset = offset;
    f.width = width;
    f.kind = kind;
    f.meaning = meaning;
    f.controls = std::move(controls);
    f.step = step;
    f.encode = encode;
    f.decode = decode;
    return f;
}

Field count(int offset, const char *meaning, QStringList boxes, int step,
            FieldDecoder decode = decodeCount)
{
    return row(offset, 1, FieldKind::Count, meaning, std::move(boxes), step, encodeCount, decode);
}

Field choice(int offset, const char *meaning, QStringList buttons, ChoiceFallback fallback,
             int step)
{
    Field f = row(offset, 1, FieldKind::Choice, meaning, std::move(buttons), step, encodeChoice,
                  decodeChoice);
    f.rule = fallback;
    return f;
}

Field index(int offset, const char *meaning, const char *combo, int step)
{
    return row(offset, 1, FieldKind::Index, meaning, {combo}, step, encodeIndex, decodeIndex);
}

Field single(int offset, const char *meaning, const char *box, SingleRule rule, int step,
             FieldDecoder decode = decodeSingle)
{
    Field f = row(offset, 1, FieldKind::Single, meaning, {box}, step, encodeSingle, decode);
    f.rule = rule;
    return f;
}

Field paired(int offset, const char *meaning, const char *first, const char *second, int step)
{
    return row(offset, 1, FieldKind::Paired, meaning, {first, second}, step, encodePaired,
               decodePaired);
}

Field number(int offset, int width, const char *meaning, const char *edit, const char *fallback,
             int padFrom, int step)
{
    Field f = row(offset, width, FieldKind::Number, meaning, {edit}, step, encodeNumber,
                  decodeNumber);
    f.fallback = QString::fromLatin1(fallback);
    f.padFrom = padFrom;
    return f;
}

Field reserved(int offset, int width)
{
    return row(offset, width, FieldKind::Reserved, "Reserved: always '0', never read", {}, -1,
               encodeReserved, nullptr);
}

Field special(int offset, FieldKind kind, const char *meaning, QStringList controls, int step,
              FieldEncoder encode, FieldDecoder decode)
{
    return row(offset, 1, kind, meaning, std::move(controls), step, encode, decode);
}

// A row whose decoder also sets the enabled state of these controls.
Field enabling(Field f, QStringList dependents)
{
    f.enables = std::move(dependents);
    return f;
}

constexpr auto Last = ChoiceFallback::LastButton;
constexpr auto Keep = ChoiceFallback::Keep;
constexpr auto OnlyOne = SingleRule::OnlyOneChecks;
constexpr auto AnyButZero = SingleRule::AnyButZeroChecks;
constexpr auto Signed = SingleRule::AboveZeroSigned;

QStringList rb(std::initializer_list<int> numbers)
{
    return names::radioButtons(numbers);
}

std::vector<Field> buildTable()
{
    // The step column is the decoding order: the first section in offset order, the
    // second in the order the controls were always set (thermometer before password,
    // power saving before the thresholds, the partial-arming steps with their edits).
    // The meaning names the page the field's first control stands on.
    return {
        count(0, "Телефоны и SMS: recipients of the alarm SMS", numbered("CheckBox", 1, 9), 0),
        count(1, "Телефоны и SMS: recipients of the arming and disarming SMS",
              numbered("CheckBox", 10, 18), 1),
        count(2, "Телефоны и SMS: recipients of the SMS on a loss of mains power",
              numbered("CheckBox", 19, 27), 2),
        count(3, "Телефоны и SMS: recipients of the SMS on a discharged battery",
              numbered("CheckBox", 28, 36), 3),
        single(4, "Телефоны и SMS: a status SMS in answer to a call", "CheckBox76", OnlyOne, 4),
        single(5, "Телефоны и SMS: an SMS confirming each SMS or DTMF command", "CheckBox77",
               OnlyOne, 5),
        choice(6, "Входы: mode of input 1", rb({1, 2, 3, 19, 20}), Last, 6),
        choice(7, "Входы: mode of input 2", rb({4, 5, 6}), Last, 7),
        choice(8, "Входы: mode of input 3", rb({7, 8, 9}), Last, 8),
        choice(9, "Входы: mode of input 4", rb({10, 11, 12}), Last, 9),
        choice(10, "Входы: mode of input 5", rb({13, 14, 15}), Last, 10),
        choice(11, "Входы: mode of input 6", rb({16, 17, 18}), Last, 11),
        choice(12, "Выходы: mode of output 1", rb({21, 22, 23}), Last, 12),
        paired(13, "Выходы: the siren confirms arming, and also disarming", "CheckBox78",
               "CheckBox79", 13),
        choice(14, "Выходы: mode of output 5", rb({30, 31}), Keep, 14),
        choice(15, "Выходы: mode of output 2", rb({24, 25}), Keep, 15),
        index(16, "Настройки: microphone sensitivity, 0 to 9", "ComboBox27", 16),
        single(17, "Ключи Dallas: iButton keys supported", "CheckBox46", AnyButZero, 17),
        index(18, "Настройки: arming time, tens of seconds", "ComboBox19", 18),
        index(19, "Настройки: disarming time, tens of seconds", "ComboBox21", 19),
        index(20, "Настройки: siren time, tens of seconds", "ComboBox22", 20),
        index(21, "Настройки: dial cycles to all subscribers on an alarm", "ComboBox2", 21),
        index(22, "Настройки: listening time, tens of seconds", "ComboBox30", 22),
        paired(23, "Входы: input 2, and also input 4, watched while disarmed", "CheckBox48",
               "CheckBox54", 23),
        index(24, "Входы: entry delay of input 2, half minutes", "ComboBox24", 24),
        index(25, "Входы: entry delay of input 3, half minutes", "ComboBox26", 25),

        number(26, 4, "Настройки: password for SMS commands", "Edit31", "7913", 4, 27),
        special(30, FieldKind::Count,
                "Термометр: thermometer on, and recipients of the temperature alarm",
                QStringList{"CheckBox56"} + numbered("CheckBox", 37, 45), 26, encodeThermometer,
                decodeThermometer),
        special(31, FieldKind::Choice, "Выходы: outputs 3 and 4 as thermostat outputs",
                rb({26, 27, 28, 29}), 28, encodeThermostat, decodeThermostat),
        number(32, 2, "Термометр: upper temperature threshold, degrees", "Edit33", "40", 1, 31),
        number(34, 2, "Термометр: lower temperature threshold, degrees", "Edit32", "07", 1, 30),
        single(36, "Настройки: power-saving mode", "CheckBox47", Signed, 29),
        choice(37, "Настройки: GSM-jammer detector", rb({32, 33, 34}), Last, 32),
        count(38, "Телефоны и SMS: subscribers who may arm and disarm by an unanswered call",
              numbered("CheckBox", 58, 66), 33),
        single(39, "Настройки: DTMF tone detection", "CheckBox68", Signed, 34),
        single(40, "Тексты SMS: every SMS carries the full system state", "CheckBox55", Signed,
               35),
        choice(41, "Настройки: anti-roaming, the network kept to", rb({35, 36, 37, 38}), Last, 36),
        count(42, "Выходы: outputs in pulse mode, counted from output 5",
              {"CheckBox53", "CheckBox52", "CheckBox51", "CheckBox50", "CheckBox49"}, 37,
              decodePulseMode),
        index(43, "Выходы: pulse pause, seconds", "ComboBox18", 38),
        index(44, "Выходы: pulse pause, hundreds of milliseconds", "ComboBox20", 39),
        choice(45, "Настройки: what a discharged battery switches off", rb({39, 40, 41}), Keep,
               40),
        reserved(46, 2),

        paired(48, "GSM-домофон: intercom while armed, and also while disarmed", "CheckBox67",
               "CheckBox69", 41),
        count(49, "GSM-домофон: subscribers the call button dials",
              numbered("CheckBox", 71, 75), 42),
        single(50, "GSM-домофон: output 4 powers the loudspeaker during a call", "CheckBox70",
               Signed, 43),
        reserved(51, 3),
        paired(54, "Звуковые сообщения: voice messages in alarm calls, and each said twice",
               "CheckBox108", "CheckBox109", 44),
        count(55, "Звуковые сообщения: recipients of the voice message on arming and disarming",
              numbered("CheckBox", 81, 89), 45),
        count(56, "Звуковые сообщения: recipients of the voice message on mains and battery",
              numbered("CheckBox", 90, 98), 46),
        count(57, "Звуковые сообщения: recipients of the voice message on GSM jamming",
              numbered("CheckBox", 99, 107), 47),
        single(58, "Звуковые сообщения: listening-in after the voice message", "CheckBox110",
               Signed, 48),
        reserved(59, 7),
        single(66, "Настройки: balance check after each paid action", "CheckBox80", Signed, 49),
        number(67, 2, "Настройки: minimum balance, hryvnias", "Edit38", "10", 1, 52),
        number(69, 3, "Настройки: balance request code", "Edit36", "111", 3, 51),
        special(72, FieldKind::Count, "Ключи Dallas: partial arming, inputs armed from input 2",
                numbered("CheckBox", 113, 119), 50, encodePartialArming, decodePartialArming),
        single(73, "Ключи Dallas: siren in partial arming", "CheckBox119", OnlyOne, 53,
               decodePartialArmingSiren),
        reserved(74, 3),
        choice(77, "Настройки: how often the status SMS goes out", rb({42, 43, 44, 45, 46, 47, 48}),
               Last, 54),
        reserved(78, 6),
        enabling(single(84, "GPRS-канал: data sent to the monitoring server", "CheckBox57",
                        Signed, 55, decodeServerSwitch),
                 names::serverGroup()),
        number(85, 3, "GPRS-канал: transmission time to the server, seconds", names::kPeriodEdit,
               "180", 1, 56),
        reserved(88, 2),
    };
}

} // namespace

QString coverageFault(const std::vector<Field> &rows)
{
    int next = 0;
    for (const Field &f : rows) {
        if (f.width < 1 || f.offset != next)
            return QStringLiteral("offset %1 expected, row at %2 of width %3")
                .arg(next).arg(f.offset).arg(f.width);
        next = f.offset + f.width;
    }
    if (next != kSettingsFieldsWidth)
        return QStringLiteral("the rows end at %1, not %2").arg(next).arg(kSettingsFieldsWidth);
    return {};
}

const std::vector<Field> &settingsFields()
{
    static const std::vector<Field> table = [] {
        std::vector<Field> rows = buildTable();
        const QString fault = coverageFault(rows);
        if (!fault.isEmpty())
            qFatal("settings field table: %s", qPrintable(fault));
        return rows;
    }();
    return table;
}

QByteArray encodeSettingsFields(Controls &c)
{
    QByteArray out;
    out.reserve(kSettingsFieldsWidth);
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
