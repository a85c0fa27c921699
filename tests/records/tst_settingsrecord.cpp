// The settings record: the window's record at start and after the factory values,
// and the field rules of offsets 0 to 89, on the in-memory controls.
#include "controlscript.h"

#include "records/blocks.h"
#include "records/fieldmeaning.h"
#include "records/records.h"
#include "records/settingsfields.h"
#include "records/startvalues.h"

#include <QtTest>

using script::reply;

class TestSettingsRecord : public QObject
{
    Q_OBJECT

private slots:
    void startRecord();
    void factoryDefaultsRecord();
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void payloadAfterOtherText();
    void shortReplyReadsNothingPastItsEnd();
    void reservedPositionsAreAlwaysZero();
    void decodingOrder_data();
    void decodingOrder();
    void everyCarriedControlHasAMeaning();
};

namespace {

QByteArray patched(QByteArray record, int offset, const QByteArray &bytes)
{
    record.replace(offset, bytes.size(), bytes);
    return record;
}

QStringList column(const char *prefix, int first, int last, bool on)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << QStringLiteral("%1%2=%3").arg(QLatin1String(prefix)).arg(i).arg(on ? 1 : 0);
    return out;
}

// Part of the factory table that differs from the start values, plus everything a
// user may have changed before pressing the button.
QStringList factoryValues()
{
    QStringList s = column("CheckBox", 1, 36, false);
    s << "CheckBox1=1" << "CheckBox10=1" << "CheckBox19=1" << "CheckBox28=1";
    s += column("CheckBox", 37, 45, false);
    s += column("CheckBox", 58, 66, false);
    s << "CheckBox76=1" << "CheckBox77=1" << "RadioButton32=1" << "RadioButton35=1"
      << "RadioButton39=1" << "ComboBox19=2" << "ComboBox21=1" << "ComboBox22=7" << "ComboBox30=9"
      << "ComboBox27=9" << "ComboBox2=3" << "RadioButton42=1" << "CheckBox68=1" << "CheckBox47=0"
      << "CheckBox80=0" << "Edit36=111" << "Edit38=10" << "Edit31=7913";
    for (int rb : {1, 4, 7, 10, 13, 16, 22, 25, 26, 28, 30})
        s << QStringLiteral("RadioButton%1=1").arg(rb);
    s << "CheckBox48=0" << "CheckBox54=0" << "ComboBox24=0" << "ComboBox26=0" << "CheckBox78=0"
      << "CheckBox79=0" << "ComboBox18=0" << "ComboBox20=0" << "CheckBox46=1" << "CheckBox113=0";
    s += column("CheckBox", 49, 53, false);
    s += column("CheckBox", 114, 119, false);
    s << "CheckBox55=0" << "CheckBox56=0" << "Edit32=7" << "Edit33=40" << "CheckBox108=0";
    s += column("CheckBox", 109, 110, false);
    s += column("CheckBox", 81, 107, false);
    s << "CheckBox67=0" << "CheckBox69=0" << "CheckBox70=0";
    s += column("CheckBox", 71, 75, false);
    return s;
}

// Something else in every settings field, as a user could leave it.
QStringList changedEverything()
{
    QStringList s = column("CheckBox", 1, 119, true);
    s << "RadioButton20=1" << "RadioButton6=1" << "RadioButton9=1" << "RadioButton12=1"
      << "RadioButton15=1" << "RadioButton18=1" << "RadioButton23=1" << "RadioButton24=1"
      << "RadioButton27=1" << "RadioButton29=1" << "RadioButton31=1" << "RadioButton34=1"
      << "RadioButton38=1" << "RadioButton41=1" << "RadioButton48=1";
    for (const char *combo : {"ComboBox27", "ComboBox19", "ComboBox21", "ComboBox22", "ComboBox2",
                              "ComboBox30", "ComboBox24", "ComboBox26", "ComboBox18", "ComboBox20"})
        s << QStringLiteral("%1=4").arg(QLatin1String(combo));
    s << "Edit31=1234" << "Edit32=55" << "Edit33=66" << "Edit36=222" << "Edit38=20";
    return s;
}

} // namespace

void TestSettingsRecord::startRecord()
{
    const QByteArray expected = script::startRecord();
    // The hand-written record itself: fixed part 567 characters, then the server tail.
    QCOMPARE(expected.size(), 607);
    QCOMPARE(expected.mid(561, 6), QByteArray("\"TCP\","));
    QCOMPARE(script::startFields().size(), 90);

    MemoryControls c = records::startControls();
    QCOMPARE(records::buildSettings(c), expected);
    // Nothing was written back: every box already held a usable value.
    QVERIFY(script::mismatches(c, {"Edit1=+380", "Edit10=", "Edit32=07", "Edit37=180"}).isEmpty());
}

void TestSettingsRecord::factoryDefaultsRecord()
{
    MemoryControls c = records::startControls();
    script::apply(c, changedEverything());
    script::apply(c, factoryValues());
    QByteArray expected = script::startRecord();
    expected[20] = '7'; // siren time 70 s instead of the start's 60 s
    QCOMPARE(records::buildSettings(c), expected);
    // The lower threshold goes padded but the box keeps its one digit.
    QCOMPARE(c.text("Edit32"), QString("7"));
}

void TestSettingsRecord::decode_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    const QStringList allOn = column("CheckBox", 1, 36, true);
    QStringList row1 = column("CheckBox", 10, 12, true) + column("CheckBox", 13, 18, false);
    QTest::newRow("count 3 at 1") << allOn << 1 << QByteArray("3") << row1;
    QTest::newRow("count 4 at 2") << allOn << 2 << QByteArray("4")
                                  << column("CheckBox", 19, 22, true) + column("CheckBox", 23, 27, false);
    for (const char *ch : {"0", "A", " ", ":"})
        QTest::newRow(qPrintable(QString("row 0 cleared by '%1'").arg(ch)))
            << allOn << 0 << QByteArray(ch) << column("CheckBox", 1, 9, false);
    QTest::newRow("row 3 cleared by NUL") << allOn << 3 << QByteArray(1, '\0') << column("CheckBox", 28, 36, false);
    QTest::newRow("offset 4 '2'") << QStringList{"CheckBox76=1"} << 4 << QByteArray("2") << QStringList{"CheckBox76=0"};
    QTest::newRow("offset 5 '1'") << QStringList{"CheckBox77=0"} << 5 << QByteArray("1") << QStringList{"CheckBox77=1"};

    for (const char *ch : {"4", "9", " "})
        QTest::newRow(qPrintable(QString("input 1 '%1' takes the last button").arg(ch)))
            << QStringList{"RadioButton1=1"} << 6 << QByteArray(ch) << QStringList{"RadioButton20=1", "RadioButton1=0"};
    QTest::newRow("input 1 '3'") << QStringList() << 6 << QByteArray("3") << QStringList{"RadioButton19=1", "RadioButton1=0"};
    QTest::newRow("input 2 '0'") << QStringList{"RadioButton6=1"} << 7 << QByteArray("0") << QStringList{"RadioButton4=1", "RadioButton6=0"};
    QTest::newRow("input 6 'x'") << QStringList() << 11 << QByteArray("x") << QStringList{"RadioButton18=1", "RadioButton16=0"};
    QTest::newRow("output 1 '7'") << QStringList() << 12 << QByteArray("7") << QStringList{"RadioButton23=1", "RadioButton22=0"};
    QTest::newRow("siren confirmation '2'") << QStringList() << 13 << QByteArray("2") << QStringList{"CheckBox78=1", "CheckBox79=1"};
    QTest::newRow("output 5 'x' keeps") << QStringList{"RadioButton31=1"} << 14 << QByteArray("x") << QStringList{"RadioButton31=1", "RadioButton30=0"};
    QTest::newRow("output 5 '1'") << QStringList() << 14 << QByteArray("1") << QStringList{"RadioButton31=1", "RadioButton30=0"};
    QTest::newRow("output 2 'x' keeps") << QStringList{"RadioButton24=1"} << 15 << QByteArray("x") << QStringList{"RadioButton24=1", "RadioButton25=0"};
    QTest::newRow("microphone ':'") << QStringList() << 16 << QByteArray(":") << QStringList{"ComboBox27=-1"};
    QTest::newRow("arming time ' '") << QStringList() << 18 << QByteArray(" ") << QStringList{"ComboBox19=-1"};
    QTest::newRow("entry delay '5'") << QStringList() << 25 << QByteArray("5") << QStringList{"ComboBox26=5"};
    QTest::newRow("keys '0'") << QStringList() << 17 << QByteArray("0") << QStringList{"CheckBox46=0"};
    QTest::newRow("keys 'x'") << QStringList{"CheckBox46=0"} << 17 << QByteArray("x") << QStringList{"CheckBox46=1"};
    QTest::newRow("disarmed inputs '1'") << QStringList{"CheckBox54=1"} << 23 << QByteArray("1") << QStringList{"CheckBox48=1", "CheckBox54=0"};
    QTest::newRow("disarmed inputs '2'") << QStringList() << 23 << QByteArray("2") << QStringList{"CheckBox48=1", "CheckBox54=1"};
    QTest::newRow("disarmed inputs '0'") << QStringList{"CheckBox48=1", "CheckBox54=1"} << 23 << QByteArray("0") << QStringList{"CheckBox48=0", "CheckBox54=0"};

    QTest::newRow("password") << QStringList() << 26 << QByteArray("0042") << QStringList{"Edit31=0042"};
    QTest::newRow("thermometer 'A'") << column("CheckBox", 37, 45, true) << 30 << QByteArray("A")
                                     << QStringList{"CheckBox56=1"} + column("CheckBox", 37, 45, false);
    QTest::newRow("thermometer 0x80") << QStringList{"CheckBox56=1", "CheckBox37=1"} << 30 << QByteArray("\x80")
                                      << QStringList{"CheckBox56=0", "CheckBox37=0"};
    QTest::newRow("thermometer '3'") << QStringList() << 30 << QByteArray("3")
                                     << QStringList{"CheckBox56=1"} + column("CheckBox", 37, 39, true) + column("CheckBox", 40, 45, false);
    QTest::newRow("thermostat '0'") << QStringList{"RadioButton27=1", "RadioButton29=1"} << 31 << QByteArray("0")
                                    << QStringList{"RadioButton26=1", "RadioButton28=1"};
    // '1' and '2' mean what the writer sends for them.
    QTest::newRow("thermostat '1': output 4 alone") << QStringList() << 31 << QByteArray("1")
                                                   << QStringList{"RadioButton26=1", "RadioButton29=1"};
    QTest::newRow("thermostat '2': output 3 alone") << QStringList() << 31 << QByteArray("2")
                                                   << QStringList{"RadioButton27=1", "RadioButton28=1"};
    QTest::newRow("thermostat 'x'") << QStringList() << 31 << QByteArray("x") << QStringList{"RadioButton27=1", "RadioButton29=1"};
    QTest::newRow("upper threshold \"4A\"") << QStringList() << 32 << QByteArray("4A") << QStringList{"Edit33=4A"};
    QTest::newRow("lower threshold \"3\"") << QStringList() << 34 << QByteArray("3\x00", 2) << QStringList{"Edit32=3"};
    QTest::newRow("power saving 0x7F") << QStringList() << 36 << QByteArray("\x7f") << QStringList{"CheckBox47=1"};
    QTest::newRow("power saving 0xFF") << QStringList{"CheckBox47=1"} << 36 << QByteArray("\xff") << QStringList{"CheckBox47=0"};
    QTest::newRow("power saving '/'") << QStringList{"CheckBox47=1"} << 36 << QByteArray("/") << QStringList{"CheckBox47=0"};
    QTest::newRow("jammer '9'") << QStringList() << 37 << QByteArray("9") << QStringList{"RadioButton34=1"};
    QTest::newRow("empty-call arming '9'") << QStringList() << 38 << QByteArray("9") << column("CheckBox", 58, 66, true);
    QTest::newRow("anti-roaming '9'") << QStringList() << 41 << QByteArray("9") << QStringList{"RadioButton38=1"};
    QTest::newRow("pulse mode '3'") << column("CheckBox", 49, 50, true) << 42 << QByteArray("3")
                                    << column("CheckBox", 49, 50, false) + column("CheckBox", 51, 53, true);
    QTest::newRow("pulse mode '7'") << column("CheckBox", 49, 53, true) << 42 << QByteArray("7") << column("CheckBox", 49, 53, false);
    QTest::newRow("pause seconds 'x'") << QStringList() << 43 << QByteArray("x") << QStringList{"ComboBox18=-1"};
    QTest::newRow("pause ms '9'") << QStringList() << 44 << QByteArray("9") << QStringList{"ComboBox20=9"};
    QTest::newRow("low battery '9' keeps") << QStringList{"RadioButton40=1"} << 45 << QByteArray("9") << QStringList{"RadioButton40=1"};
    QTest::newRow("low battery '2'") << QStringList() << 45 << QByteArray("2") << QStringList{"RadioButton41=1", "RadioButton39=0"};

    QTest::newRow("intercom 'Z'") << QStringList() << 48 << QByteArray("Z") << QStringList{"CheckBox67=1", "CheckBox69=1"};
    QTest::newRow("intercom subscribers '6'") << column("CheckBox", 71, 75, true) << 49 << QByteArray("6") << column("CheckBox", 71, 75, false);
    QTest::newRow("intercom subscribers '5'") << QStringList() << 49 << QByteArray("5") << column("CheckBox", 71, 75, true);
    QTest::newRow("voice 'Z'") << QStringList() << 54 << QByteArray("Z") << QStringList{"CheckBox108=1", "CheckBox109=1"};
    QTest::newRow("voice columns") << QStringList() << 55 << QByteArray("129")
                                   << column("CheckBox", 81, 81, true) + column("CheckBox", 82, 89, false)
                                          + column("CheckBox", 90, 91, true) + column("CheckBox", 92, 98, false)
                                          + column("CheckBox", 99, 107, true);
    QTest::newRow("minimum balance \"9A\"") << QStringList() << 67 << QByteArray("9A") << QStringList{"Edit38=9A"};
    QTest::newRow("request code") << QStringList() << 69 << QByteArray("012") << QStringList{"Edit36=012"};
    QTest::newRow("partial arming '2'") << column("CheckBox", 116, 118, true) << 72 << QByteArray("20")
                                        << column("CheckBox", 113, 115, true) + column("CheckBox", 116, 119, false);
    QTest::newRow("partial arming '6'") << column("CheckBox", 113, 119, true) << 72 << QByteArray("60")
                                        << column("CheckBox", 113, 119, false);
    QTest::newRow("partial arming 0x80") << column("CheckBox", 113, 119, true) << 72 << QByteArray("\x80" "0")
                                         << column("CheckBox", 113, 119, false);
    // Any character but '1' clears the siren box; its enabled state is not the codec's.
    QTest::newRow("partial siren '0' clears") << QStringList{"CheckBox119=1", "enabled:CheckBox119=1"} << 72 << QByteArray("30")
                                              << QStringList{"CheckBox119=0", "enabled:CheckBox119=1", "CheckBox116=1", "CheckBox117=0"};
    QTest::newRow("partial siren 'x' clears") << QStringList{"CheckBox119=1", "enabled:CheckBox119=0"} << 72 << QByteArray("1x")
                                              << QStringList{"CheckBox119=0", "enabled:CheckBox119=0"};
    QTest::newRow("partial siren '1' alone") << QStringList() << 72 << QByteArray("01")
                                             << QStringList{"CheckBox113=0", "CheckBox114=0", "CheckBox119=1"};
    QTest::newRow("status SMS '7'") << QStringList() << 77 << QByteArray("7") << QStringList{"RadioButton48=1", "RadioButton42=0"};
    QTest::newRow("status SMS '5'") << QStringList() << 77 << QByteArray("5") << QStringList{"RadioButton47=1"};
    const QStringList sixOn = script::enabledLines(expected::serverControls(), true);
    const QStringList sixOff = script::enabledLines(expected::serverControls(), false);
    QTest::newRow("server '0' with the box off") << QStringList{"CheckBox57=0"} + sixOn << 84 << QByteArray("0")
                                                 << QStringList{"CheckBox57=0"} + sixOff;
    QTest::newRow("server '1' with the box on") << QStringList{"CheckBox57=1"} + sixOff << 84 << QByteArray("1")
                                                << QStringList{"CheckBox57=1"} + sixOn;
    QTest::newRow("transmission time") << QStringList() << 85 << QByteArray("060") << QStringList{"Edit37=060"};
}

void TestSettingsRecord::decode()
{
    QFETCH(QStringList, before);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);

    MemoryControls c = records::startControls();
    script::apply(c, before);
    const QByteArray text = reply("READ_SET_", patched(script::startRecord(), offset, bytes));
    records::applySettings(c, text, 9);
    const QStringList wrong = script::mismatches(c, expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
}

void TestSettingsRecord::encode_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("row empty") << column("CheckBox", 1, 9, false) << 0 << QByteArray("0") << QStringList();
    QTest::newRow("row full") << column("CheckBox", 1, 9, true) << 0 << QByteArray("9") << QStringList();
    QTest::newRow("highest box counts") << QStringList{"CheckBox10=0", "CheckBox14=1"} << 1 << QByteArray("5") << QStringList();
    QTest::newRow("input 1 toggle") << QStringList{"RadioButton20=1"} << 6 << QByteArray("4") << QStringList();
    QTest::newRow("second confirmation alone") << QStringList{"CheckBox79=1"} << 13 << QByteArray("2") << QStringList();
    QTest::newRow("output 5 sensors") << QStringList{"RadioButton31=1"} << 14 << QByteArray("1") << QStringList();
    QTest::newRow("dial attempts typed") << QStringList{"ComboBox2=-1"} << 21 << QByteArray("0") << QStringList();
    QTest::newRow("short password") << QStringList{"Edit31=12"} << 26 << QByteArray("7913") << QStringList{"Edit31=7913"};
    QTest::newRow("empty password") << QStringList{"Edit31="} << 26 << QByteArray("7913") << QStringList{"Edit31=7913"};
    QTest::newRow("long password") << QStringList{"Edit31=123456"} << 26 << QByteArray("7913") << QStringList{"Edit31=7913"};
    QTest::newRow("thermometer without recipients") << QStringList{"CheckBox56=1"} << 30 << QByteArray("1") << QStringList();
    QTest::newRow("recipients without thermometer") << QStringList{"CheckBox56=0"} + column("CheckBox", 37, 39, true)
                                                    << 30 << QByteArray("3") << QStringList();
    QTest::newRow("output 3 thermostat") << QStringList{"RadioButton27=1"} << 31 << QByteArray("2") << QStringList();
    QTest::newRow("output 4 thermostat") << QStringList{"RadioButton29=1"} << 31 << QByteArray("1") << QStringList();
    QTest::newRow("both thermostats") << QStringList{"RadioButton27=1", "RadioButton29=1"} << 31 << QByteArray("3") << QStringList();
    QTest::newRow("upper threshold empty") << QStringList{"Edit33="} << 32 << QByteArray("40") << QStringList{"Edit33=40"};
    QTest::newRow("upper threshold short") << QStringList{"Edit33=5"} << 32 << QByteArray("05") << QStringList{"Edit33=5"};
    QTest::newRow("lower threshold short") << QStringList{"Edit32=7"} << 34 << QByteArray("07") << QStringList{"Edit32=7"};
    QTest::newRow("lower threshold empty") << QStringList{"Edit32="} << 34 << QByteArray("07") << QStringList{"Edit32=07"};
    QTest::newRow("pulse outputs 4-5") << QStringList{"CheckBox52=1", "CheckBox53=1"} << 42 << QByteArray("2") << QStringList();
    QTest::newRow("pulse output 1") << QStringList{"CheckBox49=1"} << 42 << QByteArray("5") << QStringList();
    QTest::newRow("intercom second alone") << QStringList{"CheckBox69=1"} << 48 << QByteArray("2") << QStringList();
    QTest::newRow("minimum balance short") << QStringList{"Edit38=5"} << 67 << QByteArray("05") << QStringList{"Edit38=5"};
    QTest::newRow("minimum balance empty") << QStringList{"Edit38="} << 67 << QByteArray("10") << QStringList{"Edit38=10"};
    QTest::newRow("minimum balance letters") << QStringList{"Edit38=9A"} << 67 << QByteArray("9A") << QStringList{"Edit38=9A"};
    QTest::newRow("request code short") << QStringList{"Edit36=11"} << 69 << QByteArray("111") << QStringList{"Edit36=111"};
    QTest::newRow("request code full") << QStringList{"Edit36=012"} << 69 << QByteArray("012") << QStringList{"Edit36=012"};
    QTest::newRow("partial arming 2") << QStringList{"CheckBox113=1", "CheckBox114=1", "CheckBox115=1"} << 72 << QByteArray("2") << QStringList();
    QTest::newRow("partial arming switch alone") << QStringList{"CheckBox113=1"} << 72 << QByteArray("0") << QStringList();
    QTest::newRow("status SMS 30 days") << QStringList{"RadioButton48=1"} << 77 << QByteArray("6") << QStringList();
    QTest::newRow("server off") << QStringList{"CheckBox57=0"} << 84 << QByteArray("0") << QStringList();
    QTest::newRow("time one digit") << QStringList{"Edit37=5"} << 85 << QByteArray("005") << QStringList{"Edit37=5"};
    QTest::newRow("time two digits") << QStringList{"Edit37=60"} << 85 << QByteArray("060") << QStringList{"Edit37=60"};
    QTest::newRow("time empty") << QStringList{"Edit37="} << 85 << QByteArray("180") << QStringList{"Edit37=180"};
    // A list-form reply can leave "Нет записи" here; it must not stretch the record.
    QTest::newRow("time too long") << QStringList{QString::fromUtf8("Edit37=Нет записи")} << 85 << QByteArray("180")
                                   << QStringList{"Edit37=180"};
}

void TestSettingsRecord::encode()
{
    QFETCH(QStringList, setup);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, after);

    MemoryControls c = records::startControls();
    script::apply(c, setup);
    const QByteArray record = records::buildSettings(c);
    QCOMPARE(record.mid(offset, expected.size()), expected);
    // Only this field differs from the start record.
    QCOMPARE(record, patched(script::startRecord(), offset, expected));
    const QStringList wrong = script::mismatches(c, after);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
}

void TestSettingsRecord::payloadAfterOtherText()
{
    MemoryControls c = records::startControls();
    const QByteArray text = "WRITE_SMS_OK" + reply("READ_SET_", patched(script::startRecord(), 1, "3"));
    records::applySettings(c, text, 12 + 9);
    const QStringList wrong = script::mismatches(c, {"CheckBox10=1", "CheckBox12=1", "CheckBox13=0", "CheckBox1=1"});
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
}

void TestSettingsRecord::shortReplyReadsNothingPastItsEnd()
{
    MemoryControls c = records::startControls();
    // The reply ends inside the password, and more text follows its carriage return.
    const QByteArray text = reply("READ_SET_", script::startRecord().left(28)) + "9999999999\r";
    records::applySettings(c, text, 9);
    const QStringList wrong = script::mismatches(
        c, {"Edit31=79", "CheckBox56=0", "CheckBox37=0", "CheckBox68=0", "RadioButton38=1", "Edit33=",
            "Edit1=", "Edit19=", "Edit18=", "CheckBox1=1", "RadioButton22=1"});
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
    // Past the end of the text itself, too.
    records::applySettings(c, QByteArray("READ_SET_"), 9);
    records::applySettings(c, QByteArray(), 9);
    QCOMPARE(c.checked("CheckBox1"), false);
}

void TestSettingsRecord::reservedPositionsAreAlwaysZero()
{
    QByteArray record = script::startRecord();
    for (int offset : {46, 47, 51, 52, 53, 59, 60, 65, 74, 75, 76, 78, 83, 88, 89})
        record[offset] = '7';
    MemoryControls c = records::startControls();
    records::applySettings(c, reply("READ_SET_", record), 9);
    QCOMPARE(records::buildSettings(c), script::startRecord());
}

namespace {

// Logs every value a decoder sets, in order; enabled states are not values.
class SetLog : public MemoryControls
{
public:
    explicit SetLog(const MemoryControls &start) : MemoryControls(start) {}
    QStringList log;

    void setChecked(const QString &name, bool on) override
    {
        log << name;
        MemoryControls::setChecked(name, on);
    }
    void setIndex(const QString &name, int index) override
    {
        log << name;
        MemoryControls::setIndex(name, index);
    }
    void setText(const QString &name, const QString &text) override
    {
        log << name;
        MemoryControls::setText(name, text);
    }
};

QStringList seq(const char *prefix, int first, int last)
{
    QStringList out;
    const int step = first <= last ? 1 : -1;
    for (int i = first; i != last + step; i += step)
        out << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(i);
    return out;
}

QStringList names(std::initializer_list<const char *> list)
{
    QStringList out;
    for (const char *n : list)
        out << QString::fromLatin1(n);
    return out;
}

} // namespace

void TestSettingsRecord::decodingOrder_data()
{
    QTest::addColumn<QByteArray>("pulseAndPartial"); // offsets 42 and 72
    QTest::addColumn<QStringList>("pulseBoxes");
    QTest::addColumn<QStringList>("partialBoxes");
    // A count is set from output 5 on, clearing from output 1 on.
    QTest::newRow("pulse '3', partial '2'") << QByteArray("32") << seq("CheckBox", 53, 49)
                                            << QStringList{"CheckBox113"} + seq("CheckBox", 114, 118);
    // Partial arming off: all seven boxes are cleared in step 1 and again in step 2.
    QTest::newRow("pulse '0', partial '0'") << QByteArray("00") << seq("CheckBox", 49, 53)
                                            << seq("CheckBox", 113, 119) + seq("CheckBox", 113, 119);
    QTest::newRow("pulse 'x', partial '7'") << QByteArray("x7") << seq("CheckBox", 49, 53)
                                            << QStringList{"CheckBox113"} + seq("CheckBox", 113, 119);
}

void TestSettingsRecord::decodingOrder()
{
    QFETCH(QByteArray, pulseAndPartial);
    QFETCH(QStringList, pulseBoxes);
    QFETCH(QStringList, partialBoxes);

    QStringList expected = seq("CheckBox", 1, 36);
    expected += names({"CheckBox76", "CheckBox77", "RadioButton1", "RadioButton4", "RadioButton7",
                       "RadioButton10", "RadioButton13", "RadioButton16", "RadioButton22", "CheckBox78",
                       "CheckBox79", "RadioButton30", "RadioButton25", "ComboBox27", "CheckBox46",
                       "ComboBox19", "ComboBox21", "ComboBox22", "ComboBox2", "ComboBox30", "CheckBox48",
                       "CheckBox54", "ComboBox24", "ComboBox26", "CheckBox56"});
    expected += seq("CheckBox", 37, 45);
    expected += names({"Edit31", "RadioButton26", "RadioButton28", "CheckBox47", "Edit32", "Edit33",
                       "RadioButton32"});
    expected += seq("CheckBox", 58, 66);
    expected += names({"CheckBox68", "CheckBox55", "RadioButton35"});
    expected += pulseBoxes;
    expected += names({"ComboBox18", "ComboBox20", "RadioButton39", "CheckBox67", "CheckBox69"});
    expected += seq("CheckBox", 71, 75);
    expected += names({"CheckBox70", "CheckBox108", "CheckBox109"});
    expected += seq("CheckBox", 81, 107);
    expected += names({"CheckBox110", "CheckBox80"});
    expected += partialBoxes;
    expected += names({"Edit36", "Edit38", "CheckBox119", "RadioButton42", "CheckBox57", "Edit37"});
    expected += seq("Edit", 1, 9);
    expected += seq("Edit", 19, 30);
    expected += seq("Edit", 18, 10);
    expected += names({"Edit34", "Edit35", "Edit40"});

    QByteArray record = script::startRecord();
    record[42] = pulseAndPartial[0];
    record[72] = pulseAndPartial[1];
    SetLog c(records::startControls());
    records::applySettings(c, reply("READ_SET_", record), 9);
    QCOMPARE(c.log, expected);
}

void TestSettingsRecord::everyCarriedControlHasAMeaning()
{
    const QStringList pages = {"Телефоны и SMS", "Настройки", "Входы", "Выходы", "Ключи Dallas",
                               "Тексты SMS", "GPRS-канал", "Термометр", "Звуковые сообщения",
                               "GSM-домофон"};
    const auto wellFormed = [&](const QString &meaning) {
        const qsizetype colon = meaning.indexOf(": ");
        return colon > 0 && pages.contains(meaning.left(colon)) && meaning.size() > colon + 2;
    };
    QSet<QString> rowMeanings;
    QSet<QString> heads; // a control takes the meaning of the row it heads
    for (const records::Field &f : records::settingsFields()) {
        if (!f.controls.isEmpty())
            heads.insert(f.controls.first());
    }
    for (const records::Field &f : records::settingsFields()) {
        const QString meaning = QString::fromUtf8(f.meaning);
        QCOMPARE(records::fieldMeaningAt(f.offset + f.width - 1), meaning);
        if (f.kind == records::FieldKind::Reserved) {
            QVERIFY(f.controls.isEmpty());
            QVERIFY(meaning.startsWith("Reserved: "));
            continue;
        }
        QVERIFY2(wellFormed(meaning), qPrintable(meaning));
        QVERIFY2(!rowMeanings.contains(meaning), qPrintable("twice: " + meaning));
        rowMeanings.insert(meaning);
        QCOMPARE(records::meaningOf(f.controls.first()), meaning);
        for (const QString &name : f.controls.mid(1)) {
            if (!heads.contains(name))
                QCOMPARE(records::meaningOf(name), meaning);
        }
    }
    for (const records::Block &b : records::blocks()) {
        QVERIFY2(wellFormed(b.meaning), qPrintable(b.meaning));
        QCOMPARE(b.meanings.size(), b.controls.size());
        for (const QString &name : b.controls)
            QVERIFY2(wellFormed(records::meaningOf(name)), qPrintable(name));
    }
    QVERIFY(records::meaningOf("Edit3").endsWith("subscriber 3"));
    QVERIFY(records::meaningOf("Edit10").endsWith("key 1"));
    QCOMPARE(records::meaningOf("Edit37"), records::fieldMeaningAt(85));
    QCOMPARE(records::meaningOf("CheckBox119"), records::fieldMeaningAt(73));
    // Controls whose state no record carries have no meaning.
    for (const char *name : {"Label94", "ButtWrite", "Label127", "Edit39", ""})
        QCOMPARE(records::meaningOf(name), QString());
    QCOMPARE(records::fieldMeaningAt(90), QString());
    QCOMPARE(records::fieldMeaningAt(-1), QString());

    // The start-up check of the table finds a gap, an overlap and a short table.
    std::vector<records::Field> rows = records::settingsFields();
    const auto rowAt = [&rows](int offset) {
        return std::find_if(rows.begin(), rows.end(),
                            [offset](const records::Field &f) { return f.offset == offset; });
    };
    QCOMPARE(records::coverageFault(rows), QString());
    rowAt(43)->width = 2; // the pulse pause seconds run into the milliseconds
    QVERIFY(!records::coverageFault(rows).isEmpty());
    rows = records::settingsFields();
    rows.erase(rowAt(20));
    QVERIFY(!records::coverageFault(rows).isEmpty());
    rows = records::settingsFields();
    rows.pop_back();
    QVERIFY(!records::coverageFault(rows).isEmpty());
}

QTEST_GUILESS_MAIN(TestSettingsRecord)
#include "tst_settingsrecord.moc"
