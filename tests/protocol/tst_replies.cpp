#include "protocol/replies.h"
#include "protocol/replybuffer.h"

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

QTEST_GUILESS_MAIN(TestReplies)
#include "tst_replies.moc"
