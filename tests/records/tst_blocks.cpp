// The phone, key, SMS and GPRS blocks, in the settings record and in their own
// commands, with the reset and preset buttons.
#include "controlscript.h"

#include "records/records.h"
#include "records/startvalues.h"

#include <QtTest>

using script::reply;

class TestBlocks : public QObject
{
    Q_OBJECT

private slots:
    void phoneSlots();
    void phoneSlotsRead_data();
    void phoneSlotsRead();
    void phoneList();
    void phoneListRead();
    void keySlots();
    void keySlotsRead();
    void keySlotsComeBackByteForByte();
    void keyList();
    void smsSlots();
    void smsSlotsRead();
    void smsList();
    void smsListRead();
    void gprsTail();
    void gprsTailReadsBackEveryAccessPoint_data();
    void gprsTailReadsBackEveryAccessPoint();
    void gprsTailMalformed_data();
    void gprsTailMalformed();
    void gprsList();
    void gprsListRead();
    void buttons();
};

namespace {

const QByteArray kEmptyPhoneSlot = "+380           ";

QString u(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

QByteArray recordWith(int offset, const QByteArray &bytes)
{
    QByteArray r = script::startRecord();
    r.replace(offset, bytes.size(), bytes);
    return r;
}

void verifyState(const Controls &c, const QStringList &expected)
{
    const QStringList wrong = script::mismatches(c, expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
}

QString apnOf(int length)
{
    QString apn;
    for (int i = 0; i < length; ++i)
        apn += QChar(i % 7 == 3 ? '"' : (i % 5 == 4 ? ' ' : QChar('a' + i % 26)));
    return apn;
}

} // namespace

void TestBlocks::phoneSlots()
{
    MemoryControls c = records::startControls();
    script::apply(c, {"Edit1=+380501234567", "Edit3=", "Edit4=12345678901234", "Edit5=+38050123456789"});
    const QByteArray r = records::buildSettings(c);
    QCOMPARE(r.mid(90, 15), QByteArray("+380501234567  "));
    QCOMPARE(r.mid(120, 15), kEmptyPhoneSlot);
    QCOMPARE(r.mid(135, 15), QByteArray("12345678901234 "));
    // Only code can put more than 15 characters here; the slot still takes 15.
    QCOMPARE(r.mid(150, 15), QByteArray("+38050123456789"));
    QCOMPARE(r.mid(165, 15), kEmptyPhoneSlot);
    QCOMPARE(r.mid(225, 12), QByteArray("TVX4        "));
    verifyState(c, {"Edit1=+380501234567", "Edit3=+380", "Edit5=+38050123456789"});

    script::apply(c, {"Edit6=+3805012345678901"});
    const QByteArray longer = records::buildSettings(c);
    QCOMPARE(longer.mid(165, 15), QByteArray("+38050123456789"));
    QCOMPARE(longer.size(), r.size());
    verifyState(c, {"Edit6=+38050123456789"});
}

void TestBlocks::phoneSlotsRead_data()
{
    QTest::addColumn<QByteArray>("slotBytes");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("spaces only") << QByteArray(15, ' ') + "+380971234567  " << QStringList{"Edit1=", "Edit2=+380971234567"};
    QTest::newRow("full slot") << QByteArray("123456789012345") + "987654321098765"
                               << QStringList{"Edit1=123456789012345", "Edit2=987654321098765"};
    QTest::newRow("space inside") << QByteArray("+38 0501234567 ") << QStringList{"Edit1=+38"};
}

void TestBlocks::phoneSlotsRead()
{
    QFETCH(QByteArray, slotBytes);
    QFETCH(QStringList, expected);
    MemoryControls c = records::startControls();
    records::applySettings(c, reply("READ_SET_", recordWith(90, slotBytes)), 9);
    verifyState(c, expected + QStringList{"Edit9=+380"});
}

void TestBlocks::phoneList()
{
    MemoryControls c = records::startControls();
    QCOMPARE(records::buildPhoneList(c), QByteArray("+380_+380_+380_+380_+380_+380_+380_+380_+380"));
    script::apply(c, {"Edit1=+380501234567", "Edit2=12"});
    QCOMPARE(records::buildPhoneList(c), QByteArray("+380501234567_+380_+380_+380_+380_+380_+380_+380_+380"));
    verifyState(c, {"Edit2=+380"});
}

void TestBlocks::phoneListRead()
{
    MemoryControls c = records::startControls();
    // The word need not stand at the start; the line's CR is not part of number 9.
    const QByteArray text = "WRITE_SET_OK\rREAD_ABON_+1_+2_+3_+4_+5_+6_+7_+8_+9\r";
    records::applyPhoneList(c, text, 13 + 10);
    verifyState(c, {"Edit1=+1", "Edit5=+5", "Edit9=+9"});

    // 15 characters without an underscore: the sixteenth is skipped.
    records::applyPhoneList(c, "READ_ABON_123456789012345X+2_+3\r", 10);
    verifyState(c, {"Edit1=123456789012345", "Edit2=+2", "Edit3=+3", "Edit4=", "Edit9="});
}

void TestBlocks::keySlots()
{
    MemoryControls c = records::startControls();
    QCOMPARE(records::buildSettings(c).mid(369, 144), QByteArray(144, 'F'));
    verifyState(c, {"Edit10=", "Edit18="});

    script::apply(c, {"Edit10=0123456789ABCDEF", "Edit12=0123456789ABCDE"});
    const QByteArray r = records::buildSettings(c);
    QCOMPARE(r.mid(369, 128), QByteArray(128, 'F'));
    QCOMPARE(r.mid(497, 16), QByteArray("0123456789ABCDEF"));
    QCOMPARE(r.mid(513, 1), QByteArray("\""));
    verifyState(c, {"Edit10=0123456789ABCDEF", "Edit12="});
}

void TestBlocks::keySlotsRead()
{
    MemoryControls c = records::startControls();
    QByteArray keys = "00000000000000A9" + QByteArray(96, 'F') + "0000000000000002" + "0000000000000001";
    records::applySettings(c, reply("READ_SET_", recordWith(369, keys)), 9);
    verifyState(c, {"Edit18=00000000000000A9", "Edit17=FFFFFFFFFFFFFFFF", "Edit11=0000000000000002",
                    "Edit10=0000000000000001"});
}

void TestBlocks::keySlotsComeBackByteForByte()
{
    // Key slots are copied as they stand, so whatever single-byte text the device
    // reports there goes back unchanged, every byte value of the code page included.
    QByteArray keys;
    for (int b = 0x80; b < 0x80 + 144; ++b)
        keys += char(b > 0xFF ? b - 0xFF + 0x20 : b);
    MemoryControls c = records::startControls();
    records::applySettings(c, reply("READ_SET_", recordWith(369, keys)), 9);
    QCOMPARE(records::buildSettings(c).mid(369, 144), keys);
    QCOMPARE(records::buildKeyList(c), keys);
}

void TestBlocks::keyList()
{
    MemoryControls c = records::startControls();
    script::apply(c, {"Edit18=1111111111111111"});
    const QByteArray list = records::buildKeyList(c);
    QCOMPARE(list, QByteArray("1111111111111111") + QByteArray(128, 'F'));

    // Read from right after the word, wherever it stands; a short reply leaves the later
    // fields with what arrived, and the CR is never part of a code.
    MemoryControls d = records::startControls();
    const QByteArray text = "WRITE_SMS_OK\rREAD_DALLAS_" + QByteArray("AAAAAAAAAAAAAAAA") + "BBBBBBB\r";
    records::applyKeyList(d, text, 13 + 12);
    verifyState(d, {"Edit18=AAAAAAAAAAAAAAAA", "Edit17=BBBBBBB", "Edit16=", "Edit10="});
}

void TestBlocks::smsSlots()
{
    MemoryControls c = records::startControls();
    script::apply(c, {"Edit24=", "Edit25=Front door!", u("Edit26=Нет записи"), "Edit27=ABCDEFGHIJKLMNO"});
    const QByteArray r = records::buildSettings(c);
    QCOMPARE(r.mid(285, 12), QByteArray("Alarm!      "));
    QCOMPARE(r.mid(297, 12), QByteArray("Front door! "));
    QCOMPARE(r.mid(309, 12), QByteArray("\xcd\xe5\xf2\x20\xe7\xe0\xef\xe8\xf1\xe8  "));
    // A text longer than its slot (a list-form reply can leave one) is cut to the slot.
    QCOMPARE(r.mid(321, 12), QByteArray("ABCDEFGHIJKL"));
    QCOMPARE(r.mid(357, 12), QByteArray("Input6      "));
    QCOMPARE(r.mid(369, 16), QByteArray(16, 'F'));
    verifyState(c, {"Edit24=Alarm!", "Edit27=ABCDEFGHIJKL"});
}

void TestBlocks::smsSlotsRead()
{
    MemoryControls c = records::startControls();
    const QByteArray slotBytes = "Front door  " "ABCDEFGHIJKL" " Leading    ";
    records::applySettings(c, reply("READ_SET_", recordWith(225, slotBytes)), 9);
    verifyState(c, {"Edit19=Front", "Edit20=ABCDEFGHIJKL", "Edit21=", "Edit22=AKB"});
}

void TestBlocks::smsList()
{
    MemoryControls c = records::startControls();
    script::apply(c, {"Edit19=", "Edit20=Under guard", "Edit30=X"});
    QCOMPARE(records::buildSmsList(c),
             QByteArray("TVX4_Under guard_220V_AKB_Temp._Alarm!_Input1_Input2_Input3_Input4_Input5_X"));
    verifyState(c, {"Edit19=TVX4"});
}

void TestBlocks::smsListRead()
{
    MemoryControls c = records::startControls();
    const QByteArray text = "WRITE_APN_OK\rREAD_SMS_Dev_On guard_220_B_T_A_" "\xc2\xf5\xee\xe4 1" "_2_3_4_5_Last\r";
    records::applySmsList(c, text, 13 + 9);
    verifyState(c, {"Edit19=Dev", "Edit20=On guard", "Edit22=" + u("Нет записи"), "Edit25=" + u("Вход 1"),
                    "Edit26=" + u("Нет записи"), "Edit30=Last"});

    records::applySmsList(c, "READ_SMS_One_Two\r", 9);
    verifyState(c, {"Edit19=One", "Edit20=Two", "Edit21=" + u("Нет записи"), "Edit30=" + u("Нет записи")});
}

void TestBlocks::gprsTail()
{
    MemoryControls c = records::startControls();
    script::apply(c, {"Edit34=", "Edit35=", "Edit40="});
    QByteArray r = records::buildSettings(c);
    QCOMPARE(r.mid(513), script::startRecord().mid(513));
    verifyState(c, {"Edit34=www.ab.kyivstar.net", "Edit35=203.0.113.100", "Edit40=22222"});

    // 46 characters still fit the fixed layout; more lengthen the record.
    const QString apn46(46, 'a');
    script::apply(c, {"Edit34=" + apn46, "Edit35=server.example.org", "Edit40=8"});
    r = records::buildSettings(c);
    QCOMPARE(r.mid(513, 48), "\"" + QByteArray(46, 'a') + "\"");
    QCOMPARE(r.mid(561), QByteArray("\"TCP\",\"server.example.org\",\"8\"") + QByteArray(41 - 6 - 18 - 1, ' '));
    script::apply(c, {"Edit34=" + QString(50, 'b'), "Edit35=" + QString(40, 's')});
    r = records::buildSettings(c);
    QCOMPARE(r.mid(513, 52), "\"" + QByteArray(50, 'b') + "\"");
    QCOMPARE(r.mid(565), "\"TCP\",\"" + QByteArray(40, 's') + "\",\"8\"");

    records::setOperatorApn(c, 2);
    QCOMPARE(records::buildSettings(c).mid(513, 12), QByteArray("\"www.umc.ua\""));
}

void TestBlocks::gprsTailReadsBackEveryAccessPoint_data()
{
    QTest::addColumn<QString>("apn");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("port");
    for (int length : {1, 2, 10, 44, 45, 46, 47, 49, 50})
        QTest::newRow(qPrintable(QString("access point of %1").arg(length))) << apnOf(length) << "10.1.2.3" << "22222";
    QTest::newRow("odd server") << "internet" << "a\",\"b,c \"" << "1";
    QTest::newRow("empty port") << "internet" << "x" << "";
    QTest::newRow("long server") << "apn" << QString(50, 'z') << "12345678";
}

void TestBlocks::gprsTailReadsBackEveryAccessPoint()
{
    QFETCH(QString, apn);
    QFETCH(QString, server);
    QFETCH(QString, port);
    MemoryControls c = records::startControls();
    script::apply(c, {"Edit34=" + apn, "Edit35=" + server, "Edit40=" + port});
    const QByteArray r = records::buildSettings(c);
    MemoryControls d = records::startControls();
    script::apply(d, {"Edit34=old", "Edit35=old", "Edit40=old"});
    records::applySettings(d, reply("READ_SET_", r), 9);
    QCOMPARE(d.text("Edit34"), c.text("Edit34"));
    QCOMPARE(d.text("Edit35"), c.text("Edit35"));
    QCOMPARE(d.text("Edit40"), c.text("Edit40"));
}

void TestBlocks::gprsTailMalformed_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("space at 513") << QByteArray(" internet\" \"TCP\",\"1.2.3.4\",\"80\"")
                                  << QStringList{"Edit34=old", "Edit35=1.2.3.4", "Edit40=80"};
    // The writer always sends "TCP", but the word itself is not read back: a device that
    // reports another protocol still has its server and port read.
    QTest::newRow("other protocol") << QByteArray("\"internet\"" + QByteArray(38, ' ') + "\"UDP\",\"1.2.3.4\",\"80\"  ")
                                    << QStringList{"Edit34=internet", "Edit35=1.2.3.4", "Edit40=80"};
    QTest::newRow("empty protocol") << QByteArray("\"apn\"\"\",\"host\",\"1\"")
                                    << QStringList{"Edit34=apn", "Edit35=host", "Edit40=1"};
    QTest::newRow("no protocol") << QByteArray("\"internet\"")
                                 << QStringList{"Edit34=internet", "Edit35=old", "Edit40=old"};
    QTest::newRow("no separator") << QByteArray("\"apn\"\"TCP\",\"1.2.3.4:80\"  ")
                                  << QStringList{"Edit34=apn", "Edit35=old", "Edit40=old"};
    QTest::newRow("unquoted server") << QByteArray("\"apn\"  \"TCP\",1.2.3.4,80")
                                     << QStringList{"Edit34=apn", "Edit35=old", "Edit40=old"};
    QTest::newRow("no closing quote") << QByteArray("\"apn") << QStringList{"Edit34=old", "Edit35=old"};
    QTest::newRow("nothing") << QByteArray() << QStringList{"Edit34=old", "Edit35=old", "Edit40=old"};
}

void TestBlocks::gprsTailMalformed()
{
    QFETCH(QByteArray, tail);
    QFETCH(QStringList, expected);
    MemoryControls c = records::startControls();
    script::apply(c, {"Edit34=old", "Edit35=old", "Edit40=old"});
    records::applySettings(c, reply("READ_SET_", script::startRecord().left(513) + tail), 9);
    verifyState(c, expected);
}

void TestBlocks::gprsList()
{
    MemoryControls c = records::startControls();
    QCOMPARE(records::buildGprsList(c), QByteArray("www.ab.kyivstar.net_,203.0.113.100,22222_180"));
    // Defaults go as typed values do: without quotes, and shown so.
    script::apply(c, {"Edit34=", "Edit35=", "Edit40=", "Edit37="});
    QCOMPARE(records::buildGprsList(c), QByteArray("www.ab.kyivstar.net_,gprs.tavrix.example,2020_030"));
    verifyState(c, {"Edit34=www.ab.kyivstar.net", "Edit35=gprs.tavrix.example", "Edit40=2020", "Edit37=030"});
}

void TestBlocks::gprsListRead()
{
    MemoryControls c = records::startControls();
    records::applyGprsList(c, "READ_SET_OK?\rREAD_APN_internet_TCP,10.0.0.1,5000_060\r", 13 + 9);
    verifyState(c, {"Edit34=internet", "Edit35=10.0.0.1", "Edit40=5000", "Edit37=060"});
    records::applyGprsList(c, "READ_APN_internet_TCP,x,5000\r", 9);
    verifyState(c, {"Edit35=" + u("Нет записи"), "Edit40=5000", "Edit37=" + u("Нет записи")});
}

void TestBlocks::buttons()
{
    MemoryControls c = records::startControls();
    script::apply(c, {"Edit2=+380671234567", "Edit14=0123456789ABCDEF", "Edit19=X", "Edit30=Y",
                      "Edit35=h", "Edit40=1", "Edit37=2", "Edit34=keep"});
    records::resetPhones(c);
    records::resetKeys(c);
    records::resetSmsTexts(c);
    records::setGprsDefaults(c);
    verifyState(c, {"Edit1=+380", "Edit2=+380", "Edit9=+380", "Edit14=", "Edit19=TVX4", "Edit30=Input6",
                    "Edit35=203.0.113.100", "Edit40=22222", "Edit37=180", "Edit34=keep"});
    QCOMPARE(records::buildSettings(c).mid(90, 135), kEmptyPhoneSlot.repeated(9));
    QCOMPARE(records::buildSettings(c).mid(369, 144), QByteArray(144, 'F'));

    const char *apns[] = {"www.ab.kyivstar.net", "www.umc.ua", "internet", "3g.utel.ua"};
    for (int op = 1; op <= 4; ++op) {
        records::setOperatorApn(c, op);
        QCOMPARE(c.text("Edit34"), QString(apns[op - 1]));
    }
    records::setOperatorApn(c, 5);
    QCOMPARE(c.text("Edit34"), QString("3g.utel.ua"));
}

QTEST_GUILESS_MAIN(TestBlocks)
#include "tst_blocks.moc"
