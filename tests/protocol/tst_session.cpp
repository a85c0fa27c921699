#include "protocol/commands.h"
#include "protocol/connection.h"
#include "protocol/session.h"
#include "tests/support/scriptedline.h"
#include "tests/support/startrecord.h"

#include <QtTest>

using State = Session::State;
using Script = ScriptedLine::Script;

namespace {

// What the owner does.
enum class Owner {
    Window,          // connects as the window does and waits
    WindowReconnect, // connects, disconnects at 2500 ms and connects again
    Tool,            // reads the record within the time limit, ending on any fault
    ToolWrite,       // reads, writes the record back, waits for the acknowledgement
    ToolRefuses,     // reads, but every record fails its check
    Station,         // probes as a station of the production line does
    StationWrite,    // probes, writes the first record back, waits for the acknowledgement
};

struct Outcome
{
    int requests = 0;    // "READ_SET" written
    int shown = 0;       // settings replies reported
    int taken = 0;       // awaited records taken
    int acks = 0;
    int shortWrites = 0;
    int timeouts = 0;
    int refusals = 0;
    qint64 firstRecordAt = -1;
    State finalState = State::Disconnected;
    State lostIn = State::Disconnected; // Disconnected: never lost
};

Outcome play(Owner owner, const Script &script, qint64 runMs)
{
    StepClock clock;
    ScriptedLine line(clock, expected::startRecord(), script);
    const bool tool = owner != Owner::Window && owner != Owner::WindowReconnect;
    const bool station = owner == Owner::Station || owner == Owner::StationWrite;
    Session session(line,
                    station ? Session::Timing::station(Conversation::kRepeatMs, 5000)
                    : tool  ? Session::Timing::tool(5000)
                            : Session::Timing::window(),
                    &clock);
    Outcome o;
    QObject::connect(&session, &Session::replied, [&](const FoundReply &found, const QByteArray &) {
        if (found.row->reply == Reply::Settings && o.shown++ == 0)
            o.firstRecordAt = clock.now();
    });
    QObject::connect(&session, &Session::recordTaken, [&](const QByteArray &text, int payloadPos) {
        ++o.taken;
        if (owner == Owner::ToolWrite || (owner == Owner::StationWrite && o.taken == 1))
            session.write(QByteArray(command::kWriteSettings) + text.mid(payloadPos).chopped(1) + '\r');
    });
    QObject::connect(&session, &Session::acknowledged, [&] { ++o.acks; });
    QObject::connect(&session, &Session::sent, [&](Conversation::SendResult r) {
        o.shortWrites += r == Conversation::SendResult::ShortWrite;
    });
    QObject::connect(&session, &Session::timedOut, [&] {
        ++o.timeouts;
        session.end();
    });
    QObject::connect(&session, &Session::refused, [&] { ++o.refusals; });
    QObject::connect(&session, &Session::lost, [&](State was) { o.lostIn = was; });
    if (owner == Owner::ToolRefuses)
        session.checkRecord = [](const QByteArray &, int) { return QStringLiteral("refused"); };

    if (station) {
        session.attach();
        session.probe();
    } else if (tool) {
        session.attach();
        session.readRecord();
    } else {
        session.start();
    }
    if (owner == Owner::WindowReconnect) {
        clock.advance(2500);
        session.end();
        session.start();
        runMs -= 2500;
    }
    clock.advance(runMs);
    o.requests = line.count("READ_SET");
    o.finalState = session.state();
    return o;
}

// A settings reply of the start record: its word, the record, CR, at 9600 baud.
qint64 replyMs(int latencyMs)
{
    const qint64 bytes = qint64(qstrlen("READ_SET_")) + expected::startRecord().size() + 1;
    return latencyMs + (bytes * ScriptedLine::kUsPerByte + 999) / 1000;
}

} // namespace

Q_DECLARE_METATYPE(Owner)
Q_DECLARE_METATYPE(Script)

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void exchanges_data();
    void exchanges();
    void severalSessionsShareOneClock();
    void anOwnerMayDeleteTheSessionFromItsSignals_data();
    void anOwnerMayDeleteTheSessionFromItsSignals();
    void connectionMakesTheLineItsPortCallsFor_data();
    void connectionMakesTheLineItsPortCallsFor();
};

void TestSession::connectionMakesTheLineItsPortCallsFor_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("scheme"); // what the name carries
    QTest::addColumn<bool>("scripted");  // made by the kind registered under "scripted"
    QTest::newRow("a COM name") << "COM3" << "" << false;
    QTest::newRow("a device path") << "/dev/tavrix-no-such-tty" << "" << false;
    QTest::newRow("a Windows path") << "C:\\ports\\com3" << "" << false;
    QTest::newRow("a registered scheme, any case") << "Scripted://bench:4001" << "scripted" << true;
    QTest::newRow("a scheme nobody registered is a device") << "rfc2217-none://host:1" << "rfc2217-none" << false;
    QTest::newRow("no word before ://") << "://host" << "" << false;
}

void TestSession::connectionMakesTheLineItsPortCallsFor()
{
    QFETCH(QString, port);
    QFETCH(QString, scheme);
    QFETCH(bool, scripted);
    QCOMPARE(Connection::schemeOf(port), scheme);

    StepClock clock;
    int made = 0;
    OpenRefusal refused;
    refused.cause = OpenRefusal::Cause::Other;
    refused.system = QStringLiteral("scripted");
    Connection::addKind(QStringLiteral("scripted"),
                        {[&] {
                             ++made;
                             return std::make_unique<ScriptedLine>(clock, expected::startRecord(), Script {});
                         },
                         [&](const QString &, const PortLine &) { return refused; }});
    Connection connection(Session::Timing::tool(5000), &clock);
    QCOMPARE(connection.open(port), scripted);
    QCOMPARE(made, scripted ? 1 : 0);
    QCOMPARE(connection.isOpen(), scripted);
    QCOMPARE(connection.path(), scripted ? port : QString());
    if (!scripted) {
        // A device that is not there says so.
        QCOMPARE(connection.refusal().cause, OpenRefusal::Cause::Gone);
        return;
    }
    // The session talks over the line behind, and a loss of it ends the session once.
    connection.session().attach();
    connection.session().readRecord();
    clock.advance(2000);
    QVERIFY(connection.session().hasRecord());
    QSignalSpy lost(&connection.session(), &Session::lost);
    static_cast<ScriptedLine *>(connection.line())->loseNow();
    QCOMPARE(lost.size(), 1);
    QCOMPARE(connection.session().state(), State::Disconnected);
    // Opened again by a name of the same kind, the same line is opened again.
    QVERIFY(connection.open(port));
    QCOMPARE(made, 1);
}

void TestSession::exchanges_data()
{
    QTest::addColumn<Owner>("owner");
    QTest::addColumn<Script>("script");
    QTest::addColumn<qint64>("runMs");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("shown");
    QTest::addColumn<qint64>("recordNotBefore");
    QTest::addColumn<qint64>("recordBy");
    QTest::addColumn<State>("finalState");
    QTest::addColumn<State>("lostIn");
    QTest::addColumn<QVector<int>>("shortsAcksTimeouts");

    const qint64 never = -1;
    const QVector<int> none {0, 0, 0};
    // The window polls 1000 ms after each send: a prompt answer is taken by the first poll.
    QTest::newRow("window, prompt controller") << Owner::Window << Script {} << qint64(6000) << 1 << 1 << qint64(1000)
                                               << qint64(1000) << State::Ready << State::Disconnected << none;
    QTest::newRow("window, silent controller: READ_SET every 2 s")
        << Owner::Window << Script {.silentFor = 100} << qint64(6500) << 4 << 0 << never << never
        << State::AwaitingRecord << State::Disconnected << none;
    // The repeat goes before the answer starts; the copy it brings is owed and passed over.
    QTest::newRow("window, queueing controller slower than the repeat")
        << Owner::Window << Script {.latencyMs = 2500} << qint64(9000) << 2 << 1 << replyMs(2500) << qint64(4000)
        << State::Ready << State::Disconnected << none;
    QTest::newRow("window, reply in chunks with long pauses: no repeat while it arrives")
        << Owner::Window << Script {.chunkBytes = 100, .chunkPauseMs = 1500} << qint64(14000) << 1 << 1
        << qint64(6 * 1500) << qint64(14000) << State::Ready << State::Disconnected << none;
    QTest::newRow("window, noise before the reply") << Owner::Window << Script {.garbageBefore = "\x01\xffNOISE"}
                                                    << qint64(3000) << 1 << 1 << qint64(1000) << qint64(1000)
                                                    << State::Ready << State::Disconnected << none;
    // A partial text that stopped growing is stale: the repeat after it goes.
    QTest::newRow("window, replies cut short: every other repeat goes")
        << Owner::Window << Script {.truncateTo = 50} << qint64(9000) << 3 << 0 << never << never
        << State::AwaitingRecord << State::Disconnected << none;
    QTest::newRow("window, short write of the first request: reported, the repeat answers")
        << Owner::Window << Script {.shortWriteAt = 0} << qint64(4000) << 2 << 1 << qint64(3000) << qint64(3000)
        << State::Ready << State::Disconnected << QVector<int> {1, 0, 0};
    QTest::newRow("window, line lost while waiting for the record")
        << Owner::Window << Script {.silentFor = 100, .loseAtMs = 1500} << qint64(6000) << 1 << 0 << never << never
        << State::Disconnected << State::AwaitingRecord << none;
    // The answers owed to the first connect's requests come after the second's: shown once.
    QTest::newRow("window, reconnect while a queueing controller owes answers")
        << Owner::WindowReconnect << Script {.latencyMs = 2500} << qint64(9000) << 3 << 1 << qint64(3500)
        << qint64(3500) << State::Ready << State::Disconnected << none;

    QTest::newRow("tool, prompt controller: taken by the next fast poll")
        << Owner::Tool << Script {} << qint64(3000) << 1 << 1 << replyMs(30) << replyMs(30) + 20 << State::Ready
        << State::Disconnected << none;
    QTest::newRow("tool, silent controller: the time limit ends it")
        << Owner::Tool << Script {.silentFor = 100} << qint64(8000) << 3 << 0 << never << never
        << State::Disconnected << State::Disconnected << QVector<int> {0, 0, 1};
    // Every answer refused: asked again as soon as each is refused, until the limit.
    QTest::newRow("tool, every record refused: asked again at once until the limit")
        << Owner::ToolRefuses << Script {} << qint64(8000) << int(5000 / (replyMs(30) / 20 * 20 + 20)) + 1 << 0
        << never << never << State::Disconnected << State::Disconnected << QVector<int> {0, 0, 1};
    QTest::newRow("tool, write acknowledged") << Owner::ToolWrite << Script {} << qint64(3000) << 1 << 1
                                              << replyMs(30) << replyMs(30) + 20 << State::Ready
                                              << State::Disconnected << QVector<int> {0, 1, 0};
    QTest::newRow("tool, line lost before the acknowledgement")
        << Owner::ToolWrite << Script {.latencyMs = 300, .loseAtMs = 1100} << qint64(3000) << 1 << 1
        << replyMs(300) << replyMs(300) + 20 << State::Disconnected << State::AwaitingAck << none;

    // Probing goes on whatever comes, with no time limit: every answer is reported.
    QTest::newRow("station, prompt controller: asked every period, every record reported")
        << Owner::Station << Script {} << qint64(7000) << 4 << 4 << replyMs(30) << replyMs(30) + 10
        << State::AwaitingRecord << State::Disconnected << none;
    QTest::newRow("station, no controller: asked every period, no time limit")
        << Owner::Station << Script {.silentFor = 100} << qint64(9000) << 5 << 0 << never << never
        << State::AwaitingRecord << State::Disconnected << none;
    QTest::newRow("station, a reply arriving slowly is not cut by the next request")
        << Owner::Station << Script {.chunkBytes = 100, .chunkPauseMs = 1500} << qint64(11000) << 2 << 1
        << qint64(6 * 1500) << qint64(11000) << State::AwaitingRecord << State::Disconnected << none;
    QTest::newRow("station, the write ends the probing")
        << Owner::StationWrite << Script {} << qint64(6500) << 1 << 1 << replyMs(30) << replyMs(30) + 10
        << State::Ready << State::Disconnected << QVector<int> {0, 1, 0};
    QTest::newRow("station, line lost while probing")
        << Owner::Station << Script {.silentFor = 100, .loseAtMs = 2500} << qint64(6000) << 2 << 0 << never
        << never << State::Disconnected << State::AwaitingRecord << none;
}

void TestSession::exchanges()
{
    QFETCH(Owner, owner);
    QFETCH(Script, script);
    QFETCH(qint64, runMs);
    QFETCH(int, requests);
    QFETCH(int, shown);
    QFETCH(qint64, recordNotBefore);
    QFETCH(qint64, recordBy);
    QFETCH(State, finalState);
    QFETCH(State, lostIn);
    QFETCH(QVector<int>, shortsAcksTimeouts);

    const Outcome o = play(owner, script, runMs);
    QCOMPARE(o.requests, requests);
    QCOMPARE(o.shown, shown);
    QCOMPARE(o.taken, shown);
    if (recordBy >= 0) {
        QVERIFY2(o.firstRecordAt >= recordNotBefore && o.firstRecordAt <= recordBy,
                 qPrintable(QString::number(o.firstRecordAt)));
    }
    QCOMPARE(o.finalState, finalState);
    QCOMPARE(o.lostIn, lostIn);
    QCOMPARE((QVector<int> {o.shortWrites, o.acks, o.timeouts}), shortsAcksTimeouts);
}

void TestSession::severalSessionsShareOneClock()
{
    // Stations side by side: each session keeps its own timing and its own copies.
    StepClock clock;
    std::vector<std::unique_ptr<ScriptedLine>> lines;
    std::vector<std::unique_ptr<Session>> sessions;
    std::vector<int> shown(50, 0);
    for (int i = 0; i < 50; ++i) {
        lines.push_back(std::make_unique<ScriptedLine>(clock, expected::startRecord(),
                                                       Script {.latencyMs = 20 * i, .silentFor = i % 5}));
        sessions.push_back(std::make_unique<Session>(*lines.back(), Session::Timing::tool(0), &clock));
        QObject::connect(sessions.back().get(), &Session::recordTaken, [&shown, i] { ++shown[size_t(i)]; });
        sessions.back()->attach();
        sessions.back()->readRecord();
    }
    clock.advance(20000);
    for (int i = 0; i < 50; ++i) {
        QCOMPARE(shown[size_t(i)], 1);
        QCOMPARE(sessions[size_t(i)]->state(), State::Ready);
        // Silent for n requests: answered by the repeat after them.
        QCOMPARE(lines[size_t(i)]->count("READ_SET"), i % 5 + 1);
    }
}

void TestSession::anOwnerMayDeleteTheSessionFromItsSignals_data()
{
    // A station that is stopped, a window that closes: the handler deletes the session
    // while the session is still inside its own send or read.
    QTest::addColumn<QString>("signal");
    for (const char *signal : {"sent", "heard", "replied", "recordTaken"})
        QTest::newRow(signal) << QString::fromLatin1(signal);
}

void TestSession::anOwnerMayDeleteTheSessionFromItsSignals()
{
    QFETCH(QString, signal);
    StepClock clock;
    ScriptedLine line(clock, expected::startRecord(), Script {});
    auto *session = new Session(line, Session::Timing::tool(5000), &clock);
    QPointer<Session> alive(session);
    const auto drop = [&] { delete alive.data(); };
    if (signal == QLatin1String("sent"))
        QObject::connect(session, &Session::sent, drop);
    else if (signal == QLatin1String("heard"))
        QObject::connect(session, &Session::heard, drop);
    else if (signal == QLatin1String("replied"))
        QObject::connect(session, &Session::replied, drop);
    else
        QObject::connect(session, &Session::recordTaken, drop);
    session->attach();
    session->readRecord();
    clock.advance(10000);
    QVERIFY(alive.isNull());
    // Nothing asks on behalf of a session that is gone.
    QCOMPARE(line.count("READ_SET"), 1);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
