#include "protocol/replies.h"
#include "protocol/replybuffer.h"
#include "records/blocks.h"
#include "records/controlnames.h"
#include "records/gprstail.h"
#include "records/payload.h"
#include "records/recordmap.h"
#include "records/records.h"
#include "records/startvalues.h"
#include "protocol/settingsreply.h"

#include <QtTest>

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void bufferCompletesOnATrailingCarriageReturn_data();
    void bufferCompletesOnATrailingCarriageReturn();
    void bufferDropsNoiseWithoutCarriageReturn();
    void bufferStartsAfreshAfterAReply();
    void wordsAreFoundInTableOrder_data();
    void wordsAreFoundInTableOrder();
    void noReplyWordIsPartOfAnother();
    void framedRepliesAreFoundWhereTheirPayloadStarts();
    void settingsRepliesAreMalformedOnlyWhenTheirShapeIs_data();
    void settingsRepliesAreMalformedOnlyWhenTheirShapeIs();
    void internetBlockIsReadWhereItWasWritten_data();
    void internetBlockIsReadWhereItWasWritten();
};

void TestReplies::bufferCompletesOnATrailingCarriageReturn_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QByteArray>("complete"); // empty: nothing complete after the last read
    QTest::newRow("one read") << QList<QByteArray>{"WRITE_SET_OK\r"} << QByteArray("WRITE_SET_OK\r");
    QTest::newRow("no CR") << QList<QByteArray>{"WRITE_SET_OK"} << QByteArray();
    QTest::newRow("split in two") << QList<QByteArray>{"WRITE_SE", "T_OK\r"} << QByteArray("WRITE_SET_OK\r");
    QTest::newRow("split in four") << QList<QByteArray>{"RE", "AD_A", "BON_+380", "\r"}
                                   << QByteArray("READ_ABON_+380\r");
    QTest::newRow("CR inside: complete up to it")
        << QList<QByteArray>{"WRITE_SMS_OK\rWRITE_AB"} << QByteArray("WRITE_SMS_OK\r");
    QTest::newRow("noise after the CR") << QList<QByteArray>{"WRITE_SE", "T_OK\r~~\n"}
                                        << QByteArray("WRITE_SET_OK\r");
    QTest::newRow("empty reads between") << QList<QByteArray>{"A", "", "", "B\r"} << QByteArray("AB\r");
    QTest::newRow("NUL inside stays") << QList<QByteArray>{QByteArray("A\0B\r", 4)} << QByteArray("A\0B\r", 4);
}

void TestReplies::bufferCompletesOnATrailingCarriageReturn()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QByteArray, complete);
    ReplyBuffer buffer;
    std::optional<QByteArray> last;
    for (const QByteArray &r : reads) {
        QVERIFY2(!last, "completed before the last read");
        last = buffer.append(r);
    }
    QCOMPARE(last.has_value(), !complete.isEmpty());
    if (last) {
        QCOMPARE(*last, complete);
        // What came after the CR waits for the next text.
        QCOMPARE(buffer.pending(), reads.join().mid(complete.size()));
    }
}

void TestReplies::bufferDropsNoiseWithoutCarriageReturn()
{
    ReplyBuffer buffer;
    QVERIFY(!buffer.append(QByteArray(600, 'x')));
    QCOMPARE(buffer.pending().size(), 600);
    QVERIFY(!buffer.append(QByteArray(401, 'y')));
    QVERIFY(buffer.pending().isEmpty());
    // The noise does not leak into the next reply.
    QCOMPARE(buffer.append("WRITE_SET_OK\r").value(), QByteArray("WRITE_SET_OK\r"));
}

void TestReplies::bufferStartsAfreshAfterAReply()
{
    ReplyBuffer buffer;
    QVERIFY(buffer.append("READ_SET_123\r"));
    QVERIFY(!buffer.append("WRI"));
    buffer.clear();
    QCOMPARE(buffer.append("TE_SET_OK\r").value(), QByteArray("TE_SET_OK\r"));
}

void TestReplies::wordsAreFoundInTableOrder_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<int>>("replies");
    QTest::addColumn<QList<int>>("positions");
    QTest::newRow("ack") << QByteArray("WRITE_SET_OK\r") << QList<int>{int(Reply::SettingsWritten)}
                         << QList<int>{12};
    QTest::newRow("SMS ack then phone ack: phone first")
        << QByteArray("WRITE_SMS_OKWRITE_ABON_OK\r")
        << QList<int>{int(Reply::PhonesWritten), int(Reply::SmsWritten)} << QList<int>{25, 12};
    QTest::newRow("settings after noise") << QByteArray("\x01zzREAD_SET_1111\r")
                                          << QList<int>{int(Reply::Settings)} << QList<int>{12};
    QTest::newRow("no word") << QByteArray("HELLO\r") << QList<int>{} << QList<int>{};
    QTest::newRow("every read word")
        << QByteArray("READ_APN_a_TCP,b,c_d\rREAD_DALLAS_x\rREAD_SMS_y\rREAD_ABON_z\rREAD_SET_0\r")
        << QList<int>{int(Reply::Settings), int(Reply::Phones), int(Reply::Keys), int(Reply::Sms), int(Reply::Gprs)}
        << QList<int>{67, 56, 33, 44, 9};
}

void TestReplies::wordsAreFoundInTableOrder()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<int>, replies);
    QFETCH(QList<int>, positions);
    const auto found = findReplies(text);
    QCOMPARE(int(found.size()), replies.size());
    for (int i = 0; i < replies.size(); ++i) {
        QCOMPARE(int(found[size_t(i)].row->reply), replies[i]);
        QCOMPARE(found[size_t(i)].payloadPos, positions[i]);
    }
}

void TestReplies::noReplyWordIsPartOfAnother()
{
    for (const ReplyRow &a : kReplyTable) {
        for (const ReplyRow &b : kReplyTable) {
            if (&a != &b)
                QVERIFY2(!QByteArray(a.word).contains(b.word), a.word);
        }
    }
}

void TestReplies::framedRepliesAreFoundWhereTheirPayloadStarts()
{
    for (const ReplyRow &row : kReplyTable) {
        const FramedReply framed = framedReply(row.reply, "0123");
        const auto found = findReplies(framed.text);
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found.front().row, &row);
        QCOMPARE(found.front().payloadPos, framed.payloadPos);
        QCOMPARE(framed.text.mid(framed.payloadPos), QByteArray("0123\r"));
        QCOMPARE(replyLength(row.reply, 4), framed.text.size());
    }
}

QTEST_GUILESS_MAIN(TestReplies)
void TestReplies::settingsRepliesAreMalformedOnlyWhenTheirShapeIs_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("fault"); // a part of the reason; empty: well formed

    MemoryControls c = records::startControls();
    const QByteArray start = records::buildSettings(c);
    const auto with = [&](int offset, const QByteArray &bytes) { return QByteArray(start).replace(offset, bytes.size(), bytes); };
    const QByteArray head = start.left(records::kGprsOffset);
    const QByteArray port = "\"TCP\",\"host\",\"80\"" + QByteArray(20, ' ');

    QTest::newRow("start record") << start << "";
    // Every field decodes whatever it holds: letters, signs, bytes no one could type.
    QTest::newRow("any byte in the fields") << with(0, QByteArray(90, 'A')) << "";
    QTest::newRow("high and control bytes in the slots") << with(100, "\xff\x01\t\x98") << "";
    QTest::newRow("access point filling its field") << head + '"' + QByteArray(46, 'a') + '"' + port << "";
    QTest::newRow("access point longer than its field") << head + '"' + QByteArray(60, 'a') + '"' + port << "";
    QTest::newRow("another protocol word") << head + "\"a\"" + QByteArray(45, ' ') + "\"UDP\",\"h\",\"1\"" << "";

    QTest::newRow("cut short") << start.left(300) << "300 characters, fewer than the 567";
    QTest::newRow("NUL in a slot") << with(100, QByteArray(1, '\0')) << "100 characters";
    QTest::newRow("reply word inside") << with(230, "WRITE_SET_OK") << "reply word WRITE_SET_OK stands inside the record at offset 230";
    QTest::newRow("the word of a second reply") << "READ_SET_" + start << "READ_SET_ stands inside the record at offset 0";
    QTest::newRow("a byte lost") << QByteArray(start).remove(200, 1) << "offset 513 holds";
    QTest::newRow("a stray byte") << QByteArray(start).insert(400, 'x') << "offset 513 holds";
    QTest::newRow("spaces gained after the access point")
        << head + "\"a\"" + QByteArray(46, ' ') + port << "protocol group stands at offset 562, not 561";
    QTest::newRow("no protocol group") << head + "\"a\"" + QByteArray(80, ' ') << "no protocol group";
    QTest::newRow("cut inside the port") << head + "\"a\"" + QByteArray(45, ' ') + "\"TCP\",\"host\",\"8"
                                         << "are not \"server\",\"port\"";
}

void TestReplies::settingsRepliesAreMalformedOnlyWhenTheirShapeIs()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, fault);
    const FramedReply reply = settingsReply(record);
    const QString found = settingsreply::replyFault(reply.text, reply.payloadPos);
    if (fault.isEmpty())
        QVERIFY2(found.isEmpty(), qPrintable(found));
    else
        QVERIFY2(found.contains(fault), qPrintable(found));
}

void TestReplies::internetBlockIsReadWhereItWasWritten_data()
{
    QTest::addColumn<QString>("apn");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QByteArray>("end"); // what follows the port's closing quote
    QTest::addColumn<bool>("read");      // a read takes the server and port

    QTest::newRow("as written") << "internet" << "10.0.0.1" << "5000" << QByteArray(20, ' ') << true;
    QTest::newRow("access point filling its field") << QString(46, 'a') << "h" << "1" << QByteArray(" ") << true;
    QTest::newRow("access point longer than its field") << QString(50, 'a') << "h" << "1" << QByteArray() << true;
    // The port follows the last separator, so an address may hold one.
    QTest::newRow("separator inside the address") << "apn" << "a\",\"b" << "80" << QByteArray(3, ' ') << true;
    QTest::newRow("Cyrillic texts") << "интернет" << "сервер" << "80" << QByteArray(3, ' ') << true;
    // Not a tail a read takes the server and port from; each part still has its place.
    QTest::newRow("a stray byte after the port") << "apn" << "h" << "80" << QByteArray("  x ") << false;
}

void TestReplies::internetBlockIsReadWhereItWasWritten()
{
    QFETCH(QString, apn);
    QFETCH(QString, server);
    QFETCH(QString, port);
    QFETCH(QByteArray, end);
    QFETCH(bool, read);

    MemoryControls c = records::startControls();
    const QByteArray head = records::buildSettings(c).left(records::kGprsOffset);
    const QByteArray tail = records::gprsTail(apn, server, port);
    const QByteArray record = head + tail + end;
    const records::GprsShape shape = records::gprsShape(records::Payload(record, 0));
    QCOMPARE(shape.open, records::kGprsOffset);
    QCOMPARE(shape.group, qMax(records::kGprsOffset + 2 + records::kApnField, shape.close + 1));
    QCOMPARE(shape.portEnd, records::kGprsOffset + int(tail.size()) - 1);
    QCOMPARE(shape.serverPort, read);
    QCOMPARE(settingsreply::fault(record).isEmpty(), read);
    if (read) {
        QCOMPARE(shape.server, server);
        QCOMPARE(shape.port, port);
    }

    // Every byte of a part is placed in that part's control.
    const auto controlAt = [&](int offset) { return records::placeAt(record, offset).controls.value(0); };
    QCOMPARE(controlAt(shape.open + 1), QString::fromLatin1(names::kApnEdit));
    QCOMPARE(controlAt(shape.close), QString::fromLatin1(names::kApnEdit));
    QVERIFY(records::placeAt(record, shape.group).controls.isEmpty());
    QCOMPARE(controlAt(shape.groupEnd + 1), QString::fromLatin1(names::kServerEdit));
    QCOMPARE(controlAt(shape.serverEnd), QString::fromLatin1(names::kServerEdit));
    QCOMPARE(controlAt(shape.serverEnd + 3), QString::fromLatin1(names::kPortEdit));
    QCOMPARE(controlAt(shape.portEnd), QString::fromLatin1(names::kPortEdit));
    if (!end.isEmpty())
        QVERIFY(records::placeAt(record, shape.portEnd + 1).padding);
}

#include "tst_replies.moc"
