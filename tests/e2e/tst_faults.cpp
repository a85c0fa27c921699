// The line's faults as one matrix: the real window, and either the scripted controller in
// stepped time or, for one row of each kind of fault, a real QSerialPort and the
// simulator on a pseudo-terminal. Each row connects, lets the fault play, checks what
// the controller was asked and what the user saw, and then connects once more.
#include "app/tform1.h"
#include "sim/simulator.h"
#include "tests/support/ptypeer.h"
#include "tests/support/recordingdesktop.h"
#include "tests/support/scriptedline.h"
#include "tests/support/startrecord.h"
#include "ui/widgetcontrols.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kReadDone = QStringLiteral("Чтение НАСТРОЕК прошло успешно");
const QString kWriteDone = QStringLiteral("Запись НАСТРОЕК прошла успешно");
const QString kOpenFailed = QStringLiteral("Ошибка открытия порта");
const QString kPortLost = QStringLiteral("Потеряна связь с портом");
const QString kConnect = QStringLiteral("Соединиться");
const QString kDisconnect = QStringLiteral("Отсоединиться");
const QString kConnected = QStringLiteral("Связь установлена");
const QString kNotConnected = QStringLiteral("Связь не установлена");
const QByteArray kPhone = "+380441234567";

enum class Event {
    None,
    HangUpDuringReply,
    HangUpWhenRead,
    ReconnectWhenRead,
    HangUpDuringWrite,
    PortHeld,
    // The controller stops; another simulator takes its freed pseudo-terminal as COM21,
    // a new one comes as COM1; "Соединиться" without a new look at the list, then a write.
    ReplacedBehindLink,  // COM1 was found by its link
    ReplacedInTable,     // COM1 was found in the default table
};

// Where a row plays.
enum Where {
    Stepped = 1, // the scripted controller, in stepped time
    Pty = 2,     // the simulator on a pseudo-terminal: one row of each kind of fault
    Both = Stepped | Pty,
};

using Script = ScriptedLine::Script;

struct Row
{
    const char *name;
    sim::Simulator::Faults faults;
    Event event;
    int requests;        // "READ_SET" received by the controller
    QStringList boxes;   // in the order shown
    bool connectedAfter; // the caption of OpenClose says so
    int watchMs;         // how long the row plays after connecting
    Where where;
    Script script;       // the faults as the scripted controller plays them
};

sim::Simulator::Faults faults(std::function<void(sim::Simulator::Faults &)> set)
{
    sim::Simulator::Faults f;
    set(f);
    return f;
}

const QList<Row> &rows()
{
    using F = sim::Simulator::Faults;
    static const QList<Row> table = {
        {"latency 1500 ms", faults([](F &f) { f.latencyMs = 1500; }), Event::None, 1, {kReadDone}, true, 0, Stepped,
         {.latencyMs = 1500}},
        {"chunks of 64, pauses of 300 ms", faults([](F &f) { f.chunkBytes = 64, f.chunkPauseMs = 300; }),
         Event::None, 1, {kReadDone}, true, 0, Both, {.chunkBytes = 64, .chunkPauseMs = 300}},
        {"slow once: 900 ms, then chunks of 128 with pauses of 1000 ms",
         faults([](F &f) { f.chunkBytes = 128, f.chunkPauseMs = 1000, f.latencyMs = 900, f.once = true; }),
         Event::None, 1, {kReadDone}, true, 0, Stepped,
         {.latencyMs = 900, .chunkBytes = 128, .chunkPauseMs = 1000, .faultyReplies = 1}},
        {"garbage before and after",
         faults([](F &f) { f.garbageBefore = "\x7f\x01 noise ", f.garbageAfter = "~~\n"; }), Event::None, 1,
         {kReadDone}, true, 0, Both, {.garbageBefore = "\x7f\x01 noise ", .garbageAfter = "~~\n"}},
        {"truncated once, then whole", faults([](F &f) { f.truncateTo = 300, f.once = true; }), Event::None, 2,
         {kReadDone}, true, 0, Both, {.truncateTo = 300, .faultyReplies = 1}},
        {"more than 1000 bytes without CR once, then whole",
         faults([](F &f) { f.truncateTo = 0, f.garbageBefore = QByteArray(1200, 'x'), f.once = true; }),
         Event::None, 2, {kReadDone}, true, 0, Stepped,
         {.truncateTo = 0, .garbageBefore = QByteArray(1200, 'x'), .faultyReplies = 1}},
        {"dropped once", faults([](F &f) { f.dropReply = true, f.once = true; }), Event::None, 2, {kReadDone}, true,
         0, Stepped, {.silentFor = 1}},
        {"silent", faults([](F &f) { f.silent = true; }), Event::None, 3, {}, true, 2500, Both, {.silent = true}},
        {"hang-up during the reply", faults([](F &f) { f.chunkBytes = 64, f.chunkPauseMs = 400; }),
         Event::HangUpDuringReply, 1, {kPortLost}, false, 0, Stepped, {.chunkBytes = 64, .chunkPauseMs = 400}},
        {"hang-up when idle", {}, Event::HangUpWhenRead, 1, {kReadDone, kPortLost}, false, 0, Stepped, {}},
        // The repeat at 2 s goes out before the first answer starts, so the controller
        // still owes a copy when the user connects again; that copy and the answer to
        // the new request show the record once.
        {"queueing controller, connected again while it owes an answer", faults([](F &f) { f.latencyMs = 2500; }),
         Event::ReconnectWhenRead, 3, {kReadDone, kReadDone}, true, 1500, Stepped, {.latencyMs = 2500}},
        {"hang-up during a write", {}, Event::HangUpDuringWrite, 1, {kReadDone, kPortLost}, false, 0, Both, {}},
        {"replaced: the link names the new controller", {}, Event::ReplacedBehindLink, 1,
         {kReadDone, kPortLost, kReadDone, kWriteDone}, true, 0, Pty, {}},
        {"replaced: the table's device is another one", {}, Event::ReplacedInTable, 1,
         {kReadDone, kPortLost, kOpenFailed}, false, 0, Pty, {}},
        {"port held by another program", {}, Event::PortHeld, 0, {kOpenFailed}, false, 0, Pty, {}},
    };
    return table;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void matrix_data();
    void matrix();
    void stepped_data();
    void stepped();
};

void TestFaults::matrix_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < rows().size(); ++i) {
        if (rows().at(i).where & Pty)
            QTest::newRow(rows().at(i).name) << i;
    }
}

void TestFaults::stepped_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < rows().size(); ++i) {
        if (rows().at(i).where & Stepped)
            QTest::newRow(rows().at(i).name) << i;
    }
}

void TestFaults::stepped()
{
    QFETCH(int, row);
    const Row &r = rows().at(row);
    QTemporaryDir dir;
    RecordingDesktop desktop;
    // The port the list finds; the talk goes over the scripted controller.
    PtyPeer port(dir.path(), 1);
    StepClock clock;
    QByteArray record = expected::startRecord();
    record.replace(90, kPhone.size(), kPhone);
    ScriptedLine *line = nullptr;
    const Connection::LineKind scripted {[&] {
                                             auto made = std::make_unique<ScriptedLine>(clock, record, r.script);
                                             line = made.get();
                                             return made;
                                         },
                                         [](const QString &, const PortLine &) { return OpenRefusal {}; }};
    TForm1 form(PortMap(dir.path(), {}), nullptr, &clock,
                std::make_unique<Connection>(scripted, Session::Timing::window(), &clock));
    // Polls that have finished, and when the configuration was shown against when the
    // last byte of its reply came.
    QList<qint64> polls;
    connect(&form.session().pollPeriod(), &Period::timeout, this, [&] { polls << clock.now(); });
    qint64 shownAt = -1;
    qint64 lastByteAt = -1;
    desktop.whileOpen = [&](const RecordingDesktop::Box &box) {
        if (box.text == kReadDone && shownAt < 0) {
            shownAt = clock.now();
            lastByteAt = line->lastByteAtMs();
        }
    };
    auto *openClose = form.control<QPushButton>("OpenClose");
    auto *status = form.control<QLabel>("Label22");
    // Stepped time moves on until the condition holds, at most `ms` of it.
    auto until = [&clock](const std::function<bool()> &holds, qint64 ms) {
        for (qint64 t = 0; t < ms && !holds(); t += 10)
            clock.advance(10);
        return holds();
    };
    auto boxes = [&](int n) { return [&desktop, n] { return desktop.boxes.size() == n; }; };

    openClose->click();
    QVERIFY(line);
    if (r.event == Event::HangUpDuringReply) {
        QVERIFY(until([&] { return !form.replies().pending().isEmpty(); }, 5000));
        line->loseNow();
    }
    if (r.event == Event::HangUpWhenRead) {
        QVERIFY(until(boxes(1), 5000));
        line->loseNow();
    }
    if (r.event == Event::ReconnectWhenRead) {
        QVERIFY(until(boxes(1), 10000));
        QCOMPARE(line->owedReplies(), 1);
        openClose->click();
        openClose->click();
    }
    if (r.event == Event::HangUpDuringWrite) {
        QVERIFY(until(boxes(1), 5000));
        line->setScript({.latencyMs = 1000});
        form.control<QPushButton>("ButtWrite")->click();
        // It goes the moment the write has arrived.
        QVERIFY(line->commands().last().startsWith("WRITE_SET_"));
        line->loseIn(1);
    }
    QVERIFY(until(boxes(int(r.boxes.size())), 30000));
    // One more repeat period: no further request, no second box.
    clock.advance(r.watchMs + 2200);

    QCOMPARE(desktop.texts(), r.boxes);
    for (const RecordingDesktop::Box &box : desktop.boxes) {
        QCOMPARE(box.error, box.text == kOpenFailed || box.text == kPortLost);
        const bool lostWriting = box.text == kPortLost && r.event == Event::HangUpDuringWrite;
        QCOMPARE(box.detail.isEmpty(), box.text != kOpenFailed && !lostWriting);
        if (lostWriting)
            QVERIFY2(box.detail.contains(QStringLiteral("уже хранит новые настройки"))
                         && box.detail.contains(QStringLiteral("считайте")),
                     qPrintable(box.detail));
    }
    QList<qint64> requests;
    for (int i = 0; i < line->commands().size(); ++i) {
        if (line->commands().at(i) == "READ_SET")
            requests << line->commandTimes().at(i);
    }
    QCOMPARE(requests.size(), r.requests);
    int journalled = 0;
    QByteArray received;
    for (const ExchangeJournal::Entry &e : form.journal().entries()) {
        if (e.direction == ExchangeJournal::Direction::Sent)
            journalled += e.bytes == "READ_SET\r" && e.count == e.bytes.size();
        else
            received += e.bytes;
    }
    QCOMPARE(journalled, r.requests);
    QCOMPARE(openClose->text(), r.connectedAfter ? kDisconnect : kConnect);
    const bool read = r.boxes.startsWith(kReadDone);
    QCOMPARE(status->text(), read && r.connectedAfter ? kConnected : kNotConnected);
    if (read) {
        QVERIFY(received.contains("READ_SET_") && received.contains(kPhone));
        QCOMPARE(form.controls().text("Edit1"), QString::fromLatin1(kPhone));
        if (r.requests == 1) {
            // The first poll after the last byte shows it.
            const auto first = std::find_if(polls.cbegin(), polls.cend(), [&](qint64 at) { return at >= lastByteAt; });
            QVERIFY(first != polls.cend());
            QCOMPARE(shownAt, *first);
        }
    }
    // A line that stays quiet is asked every 2000 ms.
    for (int i = 1; i < requests.size() && r.script.silent; ++i)
        QCOMPARE(requests.at(i) - requests.at(i - 1), qint64(2000));

    // Whatever happened, the next connect reads the configuration.
    if (form.isConnected())
        openClose->click();
    line->setScript({});
    auto *combo = form.control<QComboBox>("ComboBox1");
    combo->showPopup();
    combo->hidePopup();
    const int shown = desktop.boxes.size();
    openClose->click();
    QVERIFY(until(boxes(shown + 1), 5000));
    QCOMPARE(desktop.boxes.last().text, kReadDone);
    QCOMPARE(status->text(), kConnected);
}

void TestFaults::matrix()
{
    QFETCH(int, row);
    const Row &r = rows().at(row);
    QTemporaryDir dir;
    RecordingDesktop desktop;
    sim::Simulator device;
    QVERIFY(device.start(dir.path(), 1));
    QByteArray record = device.record();
    record.replace(90, kPhone.size(), kPhone);
    device.setRecord(record);
    device.setFaults(r.faults);

    QList<QByteArray> requests;
    connect(&device, &sim::Simulator::commandReceived, this, [&](const QByteArray &line) {
        if (line == "READ_SET")
            requests << line;
    });
    // Polls that have finished (connected after the window's own handler), counted at
    // the reply's last byte and when the configuration is shown.
    int polls = 0;
    int pollsAtLastByte = -1;
    int pollsAtShown = -1;
    connect(&device, &sim::Simulator::replySent, this, [&] { pollsAtLastByte = polls; });

    // Found in the table: the window's ports folder is empty and the table names the link.
    QTemporaryDir noLinks;
    TForm1 form(r.event == Event::ReplacedInTable ? PortMap(noLinks.path(), {dir.filePath("com1")})
                                                  : PortMap(dir.path(), {}));
    connect(&form.timer1(), &QTimer::timeout, this, [&] { ++polls; });
    desktop.whileOpen = [&](const RecordingDesktop::Box &box) {
        if (box.text == kReadDone && pollsAtShown < 0)
            pollsAtShown = polls;
    };
    auto *openClose = form.control<QPushButton>("OpenClose");
    auto *status = form.control<QLabel>("Label22");

    std::unique_ptr<QSerialPort> holder;
    if (r.event == Event::PortHeld) {
        holder = std::make_unique<QSerialPort>(device.slavePath());
        QVERIFY(holder->open(QIODevice::ReadWrite));
    }
    openClose->click();
    if (r.event == Event::HangUpDuringReply) {
        QTRY_VERIFY(!form.replies().pending().isEmpty());
        device.hangUp();
    }
    if (r.event == Event::HangUpWhenRead) {
        QTRY_COMPARE(desktop.boxes.size(), 1);
        device.hangUp();
    }
    if (r.event == Event::ReconnectWhenRead) {
        QTRY_COMPARE_WITH_TIMEOUT(desktop.boxes.size(), 1, 10000);
        QCOMPARE(device.pendingReplies(), 1);
        openClose->click();
        openClose->click();
    }
    if (r.event == Event::HangUpDuringWrite) {
        QTRY_COMPARE(desktop.boxes.size(), 1);
        sim::Simulator::Faults slow;
        slow.latencyMs = 1000;
        device.setFaults(slow);
        connect(&device, &sim::Simulator::commandReceived, &device, [&](const QByteArray &line) {
            if (line.startsWith("WRITE_SET_"))
                QMetaObject::invokeMethod(&device, [&] { device.hangUp(); }, Qt::QueuedConnection);
        });
        form.control<QPushButton>("ButtWrite")->click();
    }
    std::unique_ptr<sim::Simulator> other;
    std::unique_ptr<sim::Simulator> successor;
    QList<QByteArray> otherHeard;
    QList<QByteArray> successorHeard;
    QString found;
    if (r.event == Event::ReplacedBehindLink || r.event == Event::ReplacedInTable) {
        QTRY_COMPARE(desktop.boxes.size(), 1);
        found = form.portDevices().value(0);
        QCOMPARE(found, QFileInfo(device.slavePath()).canonicalFilePath());
        device.stop();
        QTRY_COMPARE(desktop.boxes.size(), 2);
        // The freed pseudo-terminal usually goes to the next program that asks.
        other = std::make_unique<sim::Simulator>();
        QVERIFY(other->start(dir.path(), 21));
        successor = std::make_unique<sim::Simulator>();
        QVERIFY(successor->start(dir.path(), 1));
        successor->setRecord(record);
        connect(other.get(), &sim::Simulator::commandReceived, this, [&](const QByteArray &l) { otherHeard << l; });
        connect(successor.get(), &sim::Simulator::commandReceived, this,
                [&](const QByteArray &l) { successorHeard << l.left(10); });
        openClose->click();
        if (r.event == Event::ReplacedBehindLink) {
            QTRY_COMPARE_WITH_TIMEOUT(desktop.boxes.size(), 3, 5000);
            form.control<QPushButton>("ButtWrite")->click();
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(desktop.boxes.size(), int(r.boxes.size()), 30000);
    // What follows (no further request, no second box) is held to in stepped time.
    QTRY_COMPARE_WITH_TIMEOUT(requests.size(), r.requests, r.watchMs + 5000);

    QCOMPARE(desktop.texts(), r.boxes);
    for (const RecordingDesktop::Box &box : desktop.boxes) {
        QCOMPARE(box.error, box.text == kOpenFailed || box.text == kPortLost);
        // A write cut short says what the controller may hold now.
        const bool lostWriting = box.text == kPortLost && r.event == Event::HangUpDuringWrite;
        QCOMPARE(box.detail.isEmpty(), box.text != kOpenFailed && !lostWriting);
        if (lostWriting)
            QVERIFY2(box.detail.contains(QStringLiteral("уже хранит новые настройки"))
                         && box.detail.contains(QStringLiteral("считайте")),
                     qPrintable(box.detail));
    }
    // Nothing reaches a device the COM number no longer stands for.
    if (r.event == Event::ReplacedBehindLink || r.event == Event::ReplacedInTable) {
        QCOMPARE(otherHeard, QList<QByteArray>());
        if (r.event == Event::ReplacedBehindLink) {
            QCOMPARE(successorHeard, (QList<QByteArray>{"READ_SET", "WRITE_SET_"}));
            QCOMPARE(form.channel().path(), QFileInfo(successor->slavePath()).canonicalFilePath());
        } else {
            QCOMPARE(successorHeard, QList<QByteArray>());
            QCOMPARE(desktop.boxes.last().detail,
                     QStringLiteral("COM1 — %1: номер теперь обозначает %2; откройте список портов, чтобы найти их "
                                    "заново")
                         .arg(found, QFileInfo(successor->slavePath()).canonicalFilePath()));
        }
    }
    // A refused port says why, naming the program that holds it.
    if (r.event == Event::PortHeld)
        QCOMPARE(desktop.boxes.first().detail, QStringLiteral("COM1 — %1: занят программой tst_faults (PID %2)")
                                                   .arg(QFileInfo(device.slavePath()).canonicalFilePath())
                                                   .arg(QCoreApplication::applicationPid()));
    QCOMPARE(requests.size(), r.requests);
    // The journal holds what crossed the line: each request, and the reply's bytes.
    int journalled = 0;
    QByteArray received;
    for (const ExchangeJournal::Entry &e : form.journal().entries()) {
        if (e.direction == ExchangeJournal::Direction::Sent)
            journalled += e.bytes == "READ_SET\r" && e.count == e.bytes.size();
        else
            received += e.bytes;
    }
    QCOMPARE(journalled, r.requests + successorHeard.count("READ_SET")); // a successor is asked too
    QCOMPARE(openClose->text(), r.connectedAfter ? kDisconnect : kConnect);
    const bool read = r.boxes.startsWith(kReadDone);
    QCOMPARE(status->text(), read && r.connectedAfter ? kConnected : kNotConnected);
    if (read) {
        QVERIFY(received.contains("READ_SET_") && received.contains(kPhone));
        QCOMPARE(form.controls().text("Edit1"), QString::fromLatin1(kPhone));
        if (r.requests == 1)
            QCOMPARE(pollsAtShown, pollsAtLastByte); // the first poll after the last byte
    }

    // Whatever happened, the next connect reads the configuration.
    if (form.isConnected())
        openClose->click();
    holder.reset();
    successor.reset();
    other.reset();
    if (!device.isRunning())
        QVERIFY(device.start(dir.path(), 1));
    device.setFaults({});
    auto *combo = form.control<QComboBox>("ComboBox1");
    combo->showPopup(); // picks up a port that came back
    combo->hidePopup();
    const int shown = desktop.boxes.size();
    openClose->click();
    QTRY_COMPARE_WITH_TIMEOUT(desktop.boxes.size(), shown + 1, 5000);
    QCOMPARE(desktop.boxes.last().text, kReadDone);
    QCOMPARE(status->text(), kConnected);
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
