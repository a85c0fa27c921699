// The simulator's stored record and the block splicing, without a terminal.
#include "sim/recordlayout.h"
#include "sim/responder.h"
#include "tests/support/startrecord.h"

#include <QTest>

using expected::spaces;

using namespace sim;

class TestSimRecord : public QObject
{
    Q_OBJECT

private slots:
    void startRecordMatchesTheWindowsStartValues();
    void startRecordAnchors_data();
    void startRecordAnchors();
    void slotBlocks_data();
    void slotBlocks();
    void slotsSpliceIntoAShortRecord();
    void keyBlock_data();
    void keyBlock();
    void apnList_data();
    void apnList();
    void apnWriteKeepsTheRecordsTrailingSpaces();
    void apnReadFollowsALongAccessPoint();
    void responses_data();
    void responses();
};

void TestSimRecord::startRecordMatchesTheWindowsStartValues()
{
    QCOMPARE(layout::startRecord(), expected::startRecord());
}

void TestSimRecord::startRecordAnchors_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("first section") << 0 << QByteArray("11111100000010019121639000");
    QTest::newRow("password") << 26 << QByteArray("7913");
    QTest::newRow("DTMF") << 39 << QByteArray("1");
    QTest::newRow("balance and code") << 67 << QByteArray("10111");
    QTest::newRow("server on, period") << 84 << QByteArray("118000");
    QTest::newRow("phone 1") << 90 << QByteArray("+380           +380");
    QTest::newRow("phone 9") << 210 << QByteArray("+380           TVX4");
    QTest::newRow("SMS 2") << 237 << QByteArray("Ohrana      220V");
    QTest::newRow("SMS 12") << 357 << QByteArray("Input6      FFFF");
    QTest::newRow("last key") << 497 << QByteArray("FFFFFFFFFFFFFFFF\"www");
    QTest::newRow("TCP") << 560 << QByteArray(" \"TCP\",\"203.0.113.100\",\"22222\" ");
}

void TestSimRecord::startRecordAnchors()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, text);
    const QByteArray record = layout::startRecord();
    QCOMPARE(record.size(), 607);
    QCOMPARE(record.mid(offset, text.size()), text);
}

void TestSimRecord::slotBlocks_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QByteArray>("readBack");
    QTest::addColumn<int>("slot");          // one slot to look at in the record
    QTest::addColumn<QByteArray>("slotText");

    const QByteArray nine = "+380501111111_+380502222222_3_4_5_6_7_8_+38099999999999";
    QTest::newRow("nine phones") << 90 << 15 << 9 << nine << nine << 9 << QByteArray("+38099999999999");
    QTest::newRow("fewer phones empty the rest")
        << 90 << 15 << 9 << QByteArray("+3801_+3802") << QByteArray("+3801_+3802_______") << 3 << spaces(15);
    QTest::newRow("long phone cut to its slot")
        << 90 << 15 << 9 << QByteArray("1234567890123456_2_3_4_5_6_7_8_9")
        << QByteArray("123456789012345_2_3_4_5_6_7_8_9") << 2 << QByteArray("2").leftJustified(15, ' ');
    QTest::newRow("tenth phone ignored")
        << 90 << 15 << 9 << QByteArray("1_2_3_4_5_6_7_8_9_10") << QByteArray("1_2_3_4_5_6_7_8_9") << 9
        << QByteArray("9").leftJustified(15, ' ');
    const QByteArray words = "Name_Armed_Mains_Battery_T_Alarm_In1_In2_In3_In4_In5_12345678901";
    QTest::newRow("twelve SMS words") << 225 << 12 << 12 << words << words << 12 << QByteArray("12345678901 ");
    QTest::newRow("SMS word with a space reads up to it")
        << 225 << 12 << 12 << QByteArray("My box_b_c_d_e_f_g_h_i_j_k_l")
        << QByteArray("My_b_c_d_e_f_g_h_i_j_k_l") << 1 << QByteArray("My box      ");
    QTest::newRow("Cyrillic SMS bytes pass through")
        << 225 << 12 << 12 << QByteArray("\xCF\xF0\xE8\xE1\xEE\xF0_b_c_d_e_f_g_h_i_j_k_l")
        << QByteArray("\xCF\xF0\xE8\xE1\xEE\xF0_b_c_d_e_f_g_h_i_j_k_l") << 1
        << QByteArray("\xCF\xF0\xE8\xE1\xEE\xF0      ");
}

void TestSimRecord::slotBlocks()
{
    QFETCH(int, at);
    QFETCH(int, width);
    QFETCH(int, count);
    QFETCH(QByteArray, list);
    QFETCH(QByteArray, readBack);
    QFETCH(int, slot);
    QFETCH(QByteArray, slotText);

    const QByteArray before = layout::startRecord();
    QByteArray record = before;
    layout::writeSlots(record, at, width, count, list);
    QCOMPARE(layout::readSlots(record, at, width, count), readBack);
    QCOMPARE(record.mid(at + (slot - 1) * width, width), slotText);
    // Nothing outside the block moves.
    QCOMPARE(record.size(), before.size());
    QCOMPARE(record.left(at), before.left(at));
    QCOMPARE(record.mid(at + width * count), before.mid(at + width * count));
}

void TestSimRecord::slotsSpliceIntoAShortRecord()
{
    QByteArray record = "123";
    layout::writeSlots(record, layout::kPhonesAt, layout::kPhoneWidth, layout::kPhoneCount, "+3801");
    QCOMPARE(record.size(), 90 + 135);
    QCOMPARE(record.left(90), QByteArray("123") + QByteArray(87, '0'));
    QCOMPARE(layout::readSlots(record, 90, 15, 9), QByteArray("+3801________"));
    // Reading past the end of a short record gives empty fields, not garbage.
    QCOMPARE(layout::readSlots(QByteArray("x"), 225, 12, 12), QByteArray(11, '_'));
}

void TestSimRecord::keyBlock_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("stored");
    QByteArray keys;
    for (int k = 9; k >= 1; --k)
        keys += QByteArray::number(k).repeated(16);
    QTest::newRow("nine keys") << keys << keys;
    QTest::newRow("short payload filled with no-key")
        << QByteArray("0123456789ABCDEF") << QByteArray("0123456789ABCDEF") + QByteArray(128, 'F');
    QTest::newRow("long payload cut") << keys + "EXTRA" << keys;
}

void TestSimRecord::keyBlock()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, stored);
    const QByteArray before = layout::startRecord();
    QByteArray record = before;
    layout::writeKeys(record, payload);
    QCOMPARE(record.mid(369, 144), stored);
    QCOMPARE(layout::readKeys(record), stored);
    QCOMPARE(record.left(369), before.left(369));
    QCOMPARE(record.mid(513), before.mid(513));
}

void TestSimRecord::apnList_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QByteArray>("tail");    // the record from offset 513
    QTest::addColumn<QByteArray>("period");  // offsets 85 to 87

    QTest::newRow("plain")
        << QByteArray("internet_,10.0.0.1,2020_030") << QByteArray("internet_TCP,10.0.0.1,2020_030")
        << "\"internet\"" + spaces(38) + "\"TCP\",\"10.0.0.1\",\"2020\"" + spaces(17) << QByteArray("030");
    QTest::newRow("quoted defaults lose their quotes")
        << QByteArray("\"www.umc.ua\"_,\"host.example\",\"2020\"_030")
        << QByteArray("www.umc.ua_TCP,host.example,2020_030")
        << "\"www.umc.ua\"" + spaces(36) + "\"TCP\",\"host.example\",\"2020\"" + spaces(17) << QByteArray("030");
    const QByteArray apn48 = QByteArray("a").repeated(48);
    QTest::newRow("long access point shifts the rest")
        << apn48 + "_,s.example,1_999" << apn48 + "_TCP,s.example,1_999"
        << "\"" + apn48 + "\"\"TCP\",\"s.example\",\"1\"" + spaces(17) << QByteArray("999");
    const QByteArray apn46 = QByteArray("b").repeated(46);
    QTest::newRow("46-character access point fills its field")
        << apn46 + "_,h,2_180" << apn46 + "_TCP,h,2_180"
        << "\"" + apn46 + "\"\"TCP\",\"h\",\"2\"" + spaces(17) << QByteArray("180");
    QTest::newRow("short period zero-filled")
        << QByteArray("internet_,h,2_5") << QByteArray("internet_TCP,h,2_005")
        << "\"internet\"" + spaces(38) + "\"TCP\",\"h\",\"2\"" + spaces(17) << QByteArray("005");
    QTest::newRow("no period keeps the stored one")
        << QByteArray("internet_,h,2") << QByteArray("internet_TCP,h,2_180")
        << "\"internet\"" + spaces(38) + "\"TCP\",\"h\",\"2\"" + spaces(17) << QByteArray("180");
    QTest::newRow("missing separators leave fields empty")
        << QByteArray("justapn") << QByteArray("justapn_TCP,,_180")
        << "\"justapn\"" + spaces(39) + "\"TCP\",\"\",\"\"" + spaces(17) << QByteArray("180");
}

void TestSimRecord::apnList()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, list);
    QFETCH(QByteArray, tail);
    QFETCH(QByteArray, period);
    QByteArray record = layout::startRecord();
    const QByteArray blocks = record.mid(88, 513 - 88);
    layout::writeApnList(record, payload);
    QCOMPARE(record.mid(513), tail);
    QCOMPARE(record.mid(85, 3), period);
    QCOMPARE(layout::readApnList(record), list);
    QCOMPARE(record.mid(88, 513 - 88), blocks);
}

void TestSimRecord::apnWriteKeepsTheRecordsTrailingSpaces()
{
    QByteArray record = layout::startRecord();
    record.chop(17 - 3);
    layout::writeApnList(record, "x.y_,1.2.3.4,80_060");
    QVERIFY(record.endsWith("\"1.2.3.4\",\"80\"   "));
}

void TestSimRecord::apnReadFollowsALongAccessPoint()
{
    // A record written whole with a 50-character access point: "TCP" starts at 565.
    QByteArray record = layout::startRecord().left(513);
    const QByteArray apn = QByteArray("z").repeated(50);
    record += "\"" + apn + "\"\"TCP\",\"srv.example\",\"8080\"" + spaces(5);
    QCOMPARE(record.indexOf("\"TCP\""), 565);
    QCOMPARE(layout::readApnList(record), apn + "_TCP,srv.example,8080_180");
}

void TestSimRecord::responses_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("answered");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("changed");
    QTest::newRow("write ack") << QByteArray("WRITE_SMS_a_b") << true << QByteArray("WRITE_SMS_OK\r") << true;
    QTest::newRow("read") << QByteArray("READ_ABON") << true
                          << QByteArray("READ_ABON_+380_+380_+380_+380_+380_+380_+380_+380_+380\r") << false;
    QTest::newRow("word alone") << QByteArray("READ") << false << QByteArray() << false;
    QTest::newRow("read word with tail") << QByteArray("READ_SETX") << false << QByteArray() << false;
    QTest::newRow("write word without underscore") << QByteArray("WRITE_SET") << false << QByteArray() << false;
    QTest::newRow("lower case") << QByteArray("read_set") << false << QByteArray() << false;
}

void TestSimRecord::responses()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, answered);
    QFETCH(QByteArray, reply);
    QFETCH(bool, changed);
    QByteArray record = layout::startRecord();
    const Response r = respond(record, line);
    QCOMPARE(r.answered, answered);
    QCOMPARE(r.reply, reply);
    QCOMPARE(r.recordChanged, changed);
    QCOMPARE(record != layout::startRecord(), changed);
}

QTEST_GUILESS_MAIN(TestSimRecord)
#include "tst_simrecord.moc"
