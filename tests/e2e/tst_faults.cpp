// The line's faults as one matrix: the real window, a real QSerialPort and the simulator
// on a pseudo-terminal. Each row connects, lets the fault play, checks what the
// controller was asked and what the user saw, and then connects once more.
#include "app/tform1.h"
#include "sim/simulator.h"
#include "tests/support/recordingdesktop.h"
#include "ui/widgetcontrols.h"

#include <QComboBox>
#include <QElapsedTimer>
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

struct Row
{
    const char *name;
    sim::Simulator::Faults faults;
    Event event;
    int requests;        // "READ_SET" received by the controller
    QStringList boxes;   // in the order shown
    bool connectedAfter; // the caption of OpenClose says so
    int watchMs;         // how long the row plays after connecting
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
        {"latency 1500 ms", faults([](F &f) { f.latencyMs = 1500; }), Event::None, 1, {kReadDone}, true, 0},
        {"chunks of 64, pauses of 300 ms", faults([](F &f) { f.chunkBytes = 64, f.chunkPauseMs = 300; }),
         Event::None, 1, {kReadDone}, true, 0},
        {"slow once: 900 ms, then chunks of 128 with pauses of 1000 ms",
         faults([](F &f) { f.chunkBytes = 128, f.chunkPauseMs = 1000, f.latencyMs = 900, f.once = true; }),
         Event::None, 1, {kReadDone}, true, 0},
        {"garbage before and after",
         faults([](F &f) { f.garbageBefore = "\x7f\x01 noise ", f.garbageAfter = "~~\n"; }), Event::None, 1,
         {kReadDone}, true, 0},
        {"truncated once, then whole", faults([](F &f) { f.truncateTo = 300, f.once = true; }), Event::None, 2,
         {kReadDone}, true, 0},
        {"more than 1000 bytes without CR once, then whole",
         faults([](F &f) { f.truncateTo = 0, f.garbageBefore = QByteArray(1200, 'x'), f.once = true; }),
         Event::None, 2, {kReadDone}, true, 0},
        {"dropped once", faults([](F &f) { f.dropReply = true, f.once = true; }), Event::None, 2, {kReadDone}, true,
         0},
        {"silent", faults([](F &f) { f.silent = true; }), Event::None, 3, {}, true, 2500},
        {"hang-up during the reply", faults([](F &f) { f.chunkBytes = 64, f.chunkPauseMs = 400; }),
         Event::HangUpDuringReply, 1, {kPortLost}, false, 0},
        {"hang-up when idle", {}, Event::HangUpWhenRead, 1, {kReadDone, kPortLost}, false, 0},
        // The repeat at 2 s goes out before the first answer starts, so the controller
        // still owes a copy when the user connects again; that copy and the answer to
        // the new request show the record once.
        {"queueing controller, connected again while it owes an answer", faults([](F &f) { f.latencyMs = 2500; }),
         Event::ReconnectWhenRead, 3, {kReadDone, kReadDone}, true, 1500},
        {"hang-up during a write", {}, Event::HangUpDuringWrite, 1, {kReadDone, kPortLost}, false, 0},
        {"replaced: the link names the new controller", {}, Event::ReplacedBehindLink, 1,
         {kReadDone, kPortLost, kReadDone, kWriteDone}, true, 0},
        {"replaced: the table's device is another one", {}, Event::ReplacedInTable, 1,
         {kReadDone, kPortLost, kOpenFailed}, false, 0},
        {"port held by another program", {}, Event::PortHeld, 0, {kOpenFailed}, false, 0},
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
};

void TestFaults::matrix_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < rows().size(); ++i)
        QTest::newRow(rows().at(i).name) << i;
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

    QElapsedTimer clock;
    clock.start();
    QList<qint64> requests;
    connect(&device, &sim::Simulator::commandReceived, this, [&](const QByteArray &line) {
        if (line == "READ_SET")
            requests << clock.elapsed();
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
    QTest::qWait(r.watchMs);
    // One more repeat period: no further request, no second box.
    QTest::qWait(2200);

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
    // A line that stays quiet is asked every 2000 ms.
    for (int i = 1; i < requests.size() && r.faults.silent; ++i) {
        const qint64 interval = requests.at(i) - requests.at(i - 1);
        QVERIFY2(qAbs(interval - 2000) < 250, qPrintable(QString::number(interval)));
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
