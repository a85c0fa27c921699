// The Telnet stream cut every way a network may cut it, and the opening a server may
// answer in every way the servers do.
#include "net/networkline.h"
#include "net/telnetcodec.h"

#include <QtTest>

using T = TelnetCodec;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// A server's answer to one of the settings.
QByteArray answer(quint8 command, quint32 value)
{
    return T::subnegotiation(T::ComPort, comport::payload(command + comport::kServerOffset, value));
}

} // namespace

class TestTelnetCodec : public QObject
{
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void everyByteSurvivesEveryCut();
    void opening_data();
    void opening();
    void answersAreNotAnsweredTwice();
    void addresses_data();
    void addresses();
};

void TestTelnetCodec::decodes_data()
{
    QTest::addColumn<QList<QByteArray>>("segments");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("events");
    QTest::addColumn<QByteArray>("lastPayload");

    const QByteArray ya = QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2 \xff"); // "Привет я" in the wire's code page
    QTest::newRow("plain") << QList<QByteArray>{"READ_SET\r"} << QByteArray("READ_SET\r") << 0 << QByteArray();
    QTest::newRow("0xFF doubled") << QList<QByteArray>{T::escape(ya)} << ya << 0 << QByteArray();
    QTest::newRow("doubled 0xFF cut in two") << QList<QByteArray>{bytes({'a', 255}), bytes({255, 'b'})}
                                             << bytes({'a', 255, 'b'}) << 0 << QByteArray();
    const QByteArray sub = answer(comport::SetBaudRate, 9600);
    QTest::newRow("sub-negotiation amid data") << QList<QByteArray>{"OK" + sub + "\r"} << QByteArray("OK\r") << 1
                                               << comport::payload(101, 9600);
    QTest::newRow("sub-negotiation over two segments")
        << QList<QByteArray>{"O" + sub.left(4), sub.mid(4) + "K"} << QByteArray("OK") << 1 << comport::payload(101, 9600);
    QTest::newRow("cut after IAC of the end") << QList<QByteArray>{sub.chopped(1), sub.right(1) + "x"} << QByteArray("x")
                                              << 1 << comport::payload(101, 9600);
    // 0xFF in a sub-negotiation's value (a speed of 255) is doubled there too.
    QTest::newRow("0xFF inside a sub-negotiation")
        << QList<QByteArray>{answer(comport::SetBaudRate, 0xff)} << QByteArray() << 1 << comport::payload(101, 255);
    QTest::newRow("option command cut after IAC") << QList<QByteArray>{bytes({'a', 255}), bytes({253, 44, 'b'})}
                                                  << QByteArray("ab") << 1 << QByteArray();
    QTest::newRow("NOP dropped") << QList<QByteArray>{bytes({'a', 255, 241, 'b'})} << QByteArray("ab") << 0 << QByteArray();
    QTest::newRow("every byte apart")
        << [&] {
               QList<QByteArray> one;
               for (char c : QByteArray("R") + sub + T::escape(ya))
                   one << QByteArray(1, c);
               return one;
           }()
        << QByteArray("R") + ya << 1 << comport::payload(101, 9600);
}

void TestTelnetCodec::decodes()
{
    QFETCH(QList<QByteArray>, segments);
    QFETCH(QByteArray, data);
    QFETCH(int, events);
    QFETCH(QByteArray, lastPayload);
    TelnetCodec codec;
    QByteArray got;
    QList<T::Event> seen;
    for (const QByteArray &segment : segments) {
        got += codec.feed(segment);
        seen += codec.takeEvents();
    }
    QCOMPARE(got, data);
    QCOMPARE(seen.size(), events);
    if (events && !lastPayload.isEmpty())
        QCOMPARE(seen.last().payload, lastPayload);
}

void TestTelnetCodec::everyByteSurvivesEveryCut()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QByteArray wire = T::escape(all);
    QCOMPARE(wire.size(), 257);
    for (int cut = 0; cut <= wire.size(); ++cut) {
        TelnetCodec codec;
        QByteArray got = codec.feed(wire.left(cut));
        got += codec.feed(wire.mid(cut));
        QCOMPARE(got, all);
        QVERIFY(codec.takeEvents().isEmpty());
    }
}

void TestTelnetCodec::opening_data()
{
    QTest::addColumn<QList<QByteArray>>("server");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("note");

    const QByteArray agreed = T::command(T::DO, T::ComPort);
    const QByteArray fine = answer(comport::SetBaudRate, 9600) + answer(comport::SetDataSize, 8)
        + answer(comport::SetParity, comport::ParityNone) + answer(comport::SetStopSize, comport::StopOne);
    using S = ComPortClient::State;
    QTest::newRow("takes everything") << QList<QByteArray>{T::command(T::DO, T::Binary) + agreed, fine} << int(S::Ready)
                                      << QString() << "set speed 9600 → 9600";
    QTest::newRow("only DO, nothing else") << QList<QByteArray>{agreed + fine} << int(S::Ready) << QString()
                                           << "server DO COM-PORT-OPTION";
    QTest::newRow("keeps its speed")
        << QList<QByteArray>{agreed, answer(comport::SetBaudRate, 115200) + answer(comport::SetDataSize, 8)}
        << int(S::Refused) << "the server kept speed 115200" << "set speed 9600 → 115200";
    QTest::newRow("keeps even parity")
        << QList<QByteArray>{agreed, answer(comport::SetBaudRate, 9600) + answer(comport::SetParity, comport::ParityEven)}
        << int(S::Refused) << "the server kept parity even" << QString();
    QTest::newRow("keeps 7 data bits") << QList<QByteArray>{agreed + answer(comport::SetDataSize, 7)} << int(S::Refused)
                                       << "the server kept 7 data bits" << QString();
    QTest::newRow("refuses COM-PORT-OPTION") << QList<QByteArray>{T::command(T::DONT, T::ComPort)} << int(S::Raw)
                                             << QString() << "used as raw TCP";
    QTest::newRow("WONT to everything")
        << QList<QByteArray>{T::command(T::WONT, T::Binary) + T::command(T::WONT, T::SuppressGoAhead)
                             + T::command(T::WONT, T::ComPort)}
        << int(S::Raw) << QString() << "used as raw TCP";
    QTest::newRow("a setting answered twice is not two")
        << QList<QByteArray>{agreed, answer(comport::SetBaudRate, 9600).repeated(4)} << int(S::Negotiating) << QString()
        << QString();
    QTest::newRow("answers before it agreed count for nothing")
        << QList<QByteArray>{fine} << int(S::Negotiating) << QString() << QString();
}

void TestTelnetCodec::opening()
{
    QFETCH(QList<QByteArray>, server);
    QFETCH(int, state);
    QFETCH(QString, refusal);
    QFETCH(QString, note);
    ComPortClient client;
    TelnetCodec codec;
    const QByteArray opening = client.start();
    QVERIFY(opening.contains(T::command(T::WILL, T::ComPort)));
    QStringList notes = client.takeNotes();
    QByteArray sent;
    for (const QByteArray &segment : server) {
        codec.feed(segment);
        for (const T::Event &event : codec.takeEvents())
            sent += client.handle(event);
    }
    notes += client.takeNotes();
    QCOMPARE(int(client.state()), state);
    QCOMPARE(client.refusal(), refusal);
    if (!note.isEmpty())
        QVERIFY2(notes.filter(note).size() == 1, qPrintable(notes.join(QLatin1String(" | "))));
    // The settings are asked for only once the server takes the option.
    const bool agreed = server.first().contains(T::command(T::DO, T::ComPort));
    QCOMPARE(sent.contains(T::subnegotiation(T::ComPort, comport::payload(comport::SetBaudRate, 9600))), agreed);
}

void TestTelnetCodec::answersAreNotAnsweredTwice()
{
    // A server that repeats its requests gets one answer to each, not an endless echo.
    ComPortClient client;
    client.start();
    QByteArray sent;
    for (int round = 0; round < 3; ++round) {
        sent += client.handle({T::DO, T::SuppressGoAhead, {}, 0});
        sent += client.handle({T::WILL, T::Binary, {}, 0});
        sent += client.handle({T::DO, 24, {}, 0}); // terminal type: not ours
    }
    QCOMPARE(sent, T::command(T::WONT, 24));
}

void TestTelnetCodec::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("rfc2217");

    QTest::newRow("rfc2217") << "rfc2217://10.0.5.21:4001" << true << "10.0.5.21" << 4001 << true;
    QTest::newRow("socket, a name") << "socket://cabinet.local:2000" << true << "cabinet.local" << 2000 << false;
    QTest::newRow("scheme in capitals") << "RFC2217://host:1" << true << "host" << 1 << true;
    QTest::newRow("IPv6") << "rfc2217://[::1]:2217" << true << "::1" << 2217 << true;
    QTest::newRow("trailing slash") << "socket://host:7/" << true << "host" << 7 << false;
    QTest::newRow("no port") << "rfc2217://host" << false << "" << 0 << true;
    QTest::newRow("port 0") << "socket://host:0" << false << "" << 0 << false;
    QTest::newRow("port too big") << "socket://host:65536" << false << "" << 0 << false;
    QTest::newRow("no host") << "rfc2217://:2217" << false << "" << 0 << true;
    QTest::newRow("user") << "rfc2217://me@host:2217" << false << "" << 0 << true;
    QTest::newRow("path") << "rfc2217://host:2217/ttyS0" << false << "" << 0 << true;
    QTest::newRow("other scheme") << "telnet://host:23" << false << "" << 0 << true;
}

void TestTelnetCodec::addresses()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, rfc2217);
    QString why;
    const auto address = NetworkLine::parse(text, &why);
    QCOMPARE(address.has_value(), valid);
    if (!valid) {
        QVERIFY(why.startsWith(text));
        return;
    }
    QCOMPARE(address->host, host);
    QCOMPARE(int(address->port), port);
    QCOMPARE(address->kind == NetworkLine::Kind::Rfc2217, rfc2217);
    // Written back, it reads as itself.
    QCOMPARE(NetworkLine::parse(address->text())->text(), address->text());
}

QTEST_GUILESS_MAIN(TestTelnetCodec)
#include "tst_telnetcodec.moc"
