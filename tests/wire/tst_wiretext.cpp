#include "wire/codepage.h"
#include "wire/wiretext.h"

#include <QtTest>

#include <iconv.h>

class TestWireText : public QObject
{
    Q_OBJECT

private slots:
    void upperHalfIsWhatTheSystemConverterSays();
    void everyByteComesBackUnchanged();
    void encoding_data();
    void encoding();
};

void TestWireText::upperHalfIsWhatTheSystemConverterSays()
{
    // A code the converter does not know stands for the C1 control of its number.
    iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1251");
    QVERIFY(cd != iconv_t(-1));
    for (int code = 128; code < 256; ++code) {
        char in = char(code);
        char out[4] = {};
        char *inPtr = &in;
        char *outPtr = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        char16_t expected = char16_t(code);
        if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
            expected = char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
        QVERIFY2(wire::kWindows1251UpperHalf[size_t(code - 128)] == expected, qPrintable(QString::number(code, 16)));
    }
    iconv_close(cd);
}

void TestWireText::everyByteComesBackUnchanged()
{
    QByteArray all;
    for (int code = 1; code < 256; ++code)
        all.append(char(code));
    QCOMPARE(wire::encode(wire::decode(all)), all);
}

void TestWireText::encoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << QStringLiteral("READ_SET 12") << QByteArray("READ_SET 12");
    QTest::newRow("Russian and Ukrainian") << QStringLiteral("Подъезд ЇїІіЄєҐґ №")
                                           << QByteArray("\xcf\xee\xe4\xfa\xe5\xe7\xe4 \xaf\xbf\xb2\xb3\xaa\xba\xa5\xb4 \xb9");
    // A character the code page lacks keeps its place, so a field keeps its width.
    QTest::newRow("outside the code page") << QStringLiteral("a€ĉ😀b") << QByteArray("a\x88???b");
}

void TestWireText::encoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(wire::encode(text), bytes);
}

QTEST_GUILESS_MAIN(TestWireText)
#include "tst_wiretext.moc"
