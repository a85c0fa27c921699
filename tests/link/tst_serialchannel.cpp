#include "link/exchangejournal.h"
#include "link/portdiagnosis.h"
#include "link/portmap.h"
#include "link/portscan.h"
#include "link/serialchannel.h"
#include "link/win32errors.h"
#include "tests/support/ptypeer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestSerialChannel : public QObject
{
    Q_OBJECT

private slots:
    void portMapPrefersTheLinkAndFallsBackToTheTable_data();
    void portMapPrefersTheLinkAndFallsBackToTheTable();
    void serialNodeWithoutAUartIsNoPort_data();
    void serialNodeWithoutAUartIsNoPort();
    void opensExclusivelyAndRefusesASecondOpen();
    void portHeldByAnotherChannelCannotBeOpened();
    void refusedOpenIsExplained_data();
    void refusedOpenIsExplained();
    void readWithNothingArrivedReturnsAtOnce();
    void writeDeliversTheWholeText();
    void bytesReceivedBeforeAWriteAreNeverRead();
    void closeReleasesThePort();
    void farEndGoingAwayIsReportedOnceAndCloses();
    void journalHoldsWhatCrossedTheLine();
    void journalLineShowsTheBytes_data();
    void journalLineShowsTheBytes();
    void windowsErrorsAreExplained_data();
    void windowsErrorsAreExplained();
};

void TestSerialChannel::portMapPrefersTheLinkAndFallsBackToTheTable_data()
{
    QTest::addColumn<int>("com");
    QTest::addColumn<bool>("linked");
    QTest::addColumn<QString>("expected"); // "pty", "table" or "" for none
    QTest::newRow("linked COM3") << 3 << true << "pty";
    QTest::newRow("COM1 from the table") << 1 << false << "table";
    QTest::newRow("COM2 beyond a one-entry table") << 2 << false << "";
    QTest::newRow("COM51 never") << 51 << true << "";
    QTest::newRow("COM0 never") << 0 << true << "";
}

void TestSerialChannel::portMapPrefersTheLinkAndFallsBackToTheTable()
{
    QFETCH(int, com);
    QFETCH(bool, linked);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    PtyPeer peer(dir.path() + "/ports", com);
    QVERIFY(peer.isValid());
    if (!linked)
        QFile::remove(peer.linkPath());
    // /dev/null stands in for a device of the default table.
    PortMap map(dir.path() + "/ports", {QStringLiteral("/dev/null")});
    const QString path = map.devicePath(com);
    if (expected == "pty")
        QCOMPARE(path, QFileInfo(peer.slavePath()).canonicalFilePath());
    else if (expected == "table")
        QCOMPARE(path, QStringLiteral("/dev/null"));
    else
        QVERIFY(path.isEmpty());
}

void TestSerialChannel::serialNodeWithoutAUartIsNoPort_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("type"); // what the kernel says of the node; empty: nothing
    QTest::addColumn<bool>("none");
    QTest::newRow("no UART behind ttyS1") << "/dev/ttyS1" << QByteArray("0\n") << true;
    QTest::newRow("a 16550A behind ttyS0") << "/dev/ttyS0" << QByteArray("4\n") << false;
    QTest::newRow("the kernel does not say") << "/dev/ttyS2" << QByteArray() << false;
    QTest::newRow("not a ttyS node") << "/dev/ttyUSB0" << QByteArray("0\n") << false;
}

void TestSerialChannel::serialNodeWithoutAUartIsNoPort()
{
    QFETCH(QString, device);
    QFETCH(QByteArray, type);
    QFETCH(bool, none);
    QTemporaryDir ttyClass;
    if (!type.isEmpty()) {
        const QString node = ttyClass.filePath(device.mid(5));
        QVERIFY(QDir().mkpath(node));
        QFile file(node + QStringLiteral("/type"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(type);
    }
    QCOMPARE(portscan::noUartBehind(device, ttyClass.path()), none);
}

void TestSerialChannel::opensExclusivelyAndRefusesASecondOpen()
{
    QTemporaryDir dir;
    PtyPeer com3(dir.path(), 3);
    PtyPeer com5(dir.path(), 5);
    SerialChannel channel;
    QVERIFY(!channel.isOpen());
    QVERIFY(channel.open(com3.linkPath(), 9600));
    QVERIFY(channel.isOpen());
    QVERIFY(!channel.open(com5.slavePath(), 9600));
    QVERIFY(channel.isOpen());
    QCOMPARE(channel.devicePath(), QFileInfo(com3.slavePath()).canonicalFilePath());
    // Still the port of COM3: what it writes reaches COM3's far end.
    QCOMPARE(channel.write("X\r"), qint64(2));
    QTRY_COMPARE(com3.received(), QByteArray("X\r"));
    QVERIFY(com5.received().isEmpty());
}

void TestSerialChannel::portHeldByAnotherChannelCannotBeOpened()
{
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 4);
    SerialChannel first;
    SerialChannel second;
    QVERIFY(first.open(peer.slavePath(), 9600));
    QVERIFY(!second.open(peer.slavePath(), 9600));
    QVERIFY(!second.isOpen());
    first.close();
    QVERIFY(second.open(peer.slavePath(), 9600));
}

void TestSerialChannel::refusedOpenIsExplained_data()
{
    QTest::addColumn<QString>("holder"); // what stands in the way
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("reason"); // a pattern; %pid is the holder's process id
    QTest::newRow("gone") << "hang-up" << int(PortStatus::State::Gone) << "^устройства больше нет: ";
    QTest::newRow("not a serial device") << "/dev/null" << int(PortStatus::State::Refused) << "^не открывается: .+";
    QTest::newRow("another channel") << "channel" << int(PortStatus::State::Busy)
                                     << "^занят программой tst_serialchannel \\(PID %pid\\)$";
    QTest::newRow("lock file of another program") << "lock file" << int(PortStatus::State::Busy)
                                                  << "^занят программой sleep \\(PID %pid\\)$";
    // The device is held open elsewhere too (the peer), but only the stale lock bars it.
    QTest::newRow("lock file of a program that has ended")
        << "stale lock file" << int(PortStatus::State::Refused)
        << "^файл блокировки (/var/lock/LCK\\.\\.pts_\\d+) остался от программы, которая уже завершилась "
           "\\(PID %pid\\); удалите его: sudo rm \\1$";
}

void TestSerialChannel::refusedOpenIsExplained()
{
    QFETCH(QString, holder);
    QFETCH(int, state);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 7);
    QString device = QFileInfo(peer.slavePath()).canonicalFilePath();
    qint64 pid = QCoreApplication::applicationPid();
    SerialChannel other;
    QProcess sleeper;
    std::unique_ptr<QFile, void (*)(QFile *)> lock(nullptr, [](QFile *f) { f->remove(); delete f; });
    if (holder == "hang-up") {
        peer.hangUp();
    } else if (holder == "/dev/null") {
        device = holder;
    } else if (holder == "channel") {
        QVERIFY(other.open(device, 9600));
    } else {
        // A lock file as minicom writes it, naming a live process.
        sleeper.start("sleep", {"60"});
        QVERIFY(sleeper.waitForStarted());
        pid = sleeper.processId();
        lock.reset(new QFile("/var/lock/LCK.." + device.mid(5).replace('/', '_')));
        if (!lock->open(QIODevice::WriteOnly))
            QSKIP("the lock folder /var/lock is not writable here");
        lock->write(QByteArray::number(pid).rightJustified(10, ' ') + " minicom root\n");
        lock->close();
        if (holder == "stale lock file") {
            sleeper.kill();
            QVERIFY(sleeper.waitForFinished());
        }
    }
    SerialChannel channel;
    QVERIFY(!channel.open(device, 9600));
    QVERIFY(!channel.isOpen());
    QString why;
    QCOMPARE(int(explainRefusal(device, channel, &why)), state);
    const QRegularExpression pattern(reason.replace("%pid", QString::number(pid)));
    QVERIFY2(pattern.match(why).hasMatch(), qPrintable(why));
    if (sleeper.state() != QProcess::NotRunning) {
        sleeper.kill();
        sleeper.waitForFinished();
    }
}

void TestSerialChannel::readWithNothingArrivedReturnsAtOnce()
{
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 1);
    SerialChannel channel;
    QVERIFY(channel.open(peer.slavePath(), 9600));
    char buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 'z');
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(channel.read(buffer, sizeof buffer), qint64(0));
    QVERIFY(clock.elapsed() < 100);
    QVERIFY(std::all_of(std::begin(buffer), std::end(buffer), [](char c) { return c == 'z'; }));
}

void TestSerialChannel::writeDeliversTheWholeText()
{
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 2);
    SerialChannel channel;
    QVERIFY(channel.open(peer.slavePath(), 9600));
    const QByteArray text = QByteArray("WRITE_SET_") + QByteArray(600, '7') + '\r';
    QCOMPARE(channel.write(text), qint64(text.size()));
    QTRY_COMPARE(peer.received(), text);
}

void TestSerialChannel::bytesReceivedBeforeAWriteAreNeverRead()
{
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 2);
    SerialChannel channel;
    QVERIFY(channel.open(peer.slavePath(), 9600));
    peer.send("STALE_PARTIAL");
    // The stale bytes have reached the port before the write purges them.
    QTRY_COMPARE(channel.bytesWaiting(), qint64(13));
    channel.write("READ_SET\r");
    peer.send("FRESH\r");
    QByteArray got;
    QTRY_VERIFY([&] {
        char buffer[64];
        const qint64 n = channel.read(buffer, sizeof buffer);
        got.append(buffer, int(n));
        return got.endsWith('\r');
    }());
    QCOMPARE(got, QByteArray("FRESH\r"));
}

void TestSerialChannel::closeReleasesThePort()
{
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 9);
    SerialChannel channel;
    QVERIFY(channel.open(peer.slavePath(), 9600));
    channel.close();
    QVERIFY(!channel.isOpen());
    char buffer[4];
    QCOMPARE(channel.read(buffer, sizeof buffer), qint64(0));
    QCOMPARE(channel.write("A"), qint64(0));
    QVERIFY(channel.open(peer.slavePath(), 9600));
}

void TestSerialChannel::farEndGoingAwayIsReportedOnceAndCloses()
{
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 6);
    SerialChannel channel;
    QVERIFY(channel.open(peer.slavePath(), 9600));
    QSignalSpy lost(&channel, &SerialChannel::lost);
    peer.hangUp();
    QVERIFY(lost.wait(3000));
    QVERIFY(!channel.isOpen());
    // Qt repeats the error in a busy loop; the channel must not report it again.
    QTest::qWait(200);
    QCOMPARE(lost.count(), 1);
}

void TestSerialChannel::journalHoldsWhatCrossedTheLine()
{
    QTemporaryDir dir;
    PtyPeer peer(dir.path(), 4);
    SerialChannel channel;
    ExchangeJournal journal(3);
    channel.setJournal(&journal, QStringLiteral("COM4"));
    QSignalSpy recorded(&journal, &ExchangeJournal::recorded);
    QVERIFY(channel.open(peer.slavePath(), 9600));
    channel.write("READ_SET\r");
    QTRY_COMPARE(peer.received(), QByteArray("READ_SET\r"));
    // A read with nothing there is no entry; each read with bytes is one.
    char buffer[64];
    QCOMPARE(channel.read(buffer, sizeof buffer), qint64(0));
    QCOMPARE(recorded.count(), 1);
    peer.send("READ_SET_12");
    QTRY_VERIFY(channel.bytesWaiting() == 11);
    QCOMPARE(channel.read(buffer, sizeof buffer), qint64(11));
    peer.send("34\r");
    QTRY_VERIFY(channel.bytesWaiting() == 3);
    QCOMPARE(channel.read(buffer, sizeof buffer), qint64(3));
    QCOMPARE(recorded.count(), 3);

    const auto &entries = journal.entries();
    QCOMPARE(int(entries.size()), 3);
    QCOMPARE(entries[0].direction, ExchangeJournal::Direction::Sent);
    QCOMPARE(entries[0].bytes, QByteArray("READ_SET\r"));
    QCOMPARE(entries[1].direction, ExchangeJournal::Direction::Received);
    QCOMPARE(entries[1].bytes, QByteArray("READ_SET_12"));
    QCOMPARE(entries[2].bytes, QByteArray("34\r"));
    QVERIFY(entries[0].msecsSinceEpoch <= entries[2].msecsSinceEpoch);
    QCOMPARE(ExchangeJournal::line(entries[0]).mid(12), QStringLiteral("  →      9  READ_SET␍"));
    QCOMPARE(ExchangeJournal::line(entries[2], true).left(6), QStringLiteral("COM4  "));
    QVERIFY(ExchangeJournal::line(entries[2]).endsWith(QStringLiteral("  ←      3  34␍")));

    // Bounded: the oldest entries make way.
    channel.write("READ_ABON\r");
    QCOMPARE(int(entries.size()), 3);
    QCOMPARE(entries.front().bytes, QByteArray("READ_SET_12"));
    QCOMPARE(entries.back().bytes, QByteArray("READ_ABON\r"));
    QCOMPARE(journal.text().count(QLatin1Char('\n')), 3);

    // A write the port no longer takes shows how little went out.
    channel.close();
    channel.write("READ_SET\r");
    QVERIFY(ExchangeJournal::line(entries.back()).contains(QStringLiteral("  0/9  READ_SET␍")));
    journal.clear();
    QVERIFY(journal.entries().empty());
}

void TestSerialChannel::journalLineShowsTheBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("CR and LF") << QByteArray("OK\r\n") << QStringLiteral("OK␍␊");
    QTest::newRow("NUL and ESC") << QByteArray("a\0b\x1b", 4) << QStringLiteral("a␀b␛");
    QTest::newRow("DEL") << QByteArray("\x7f") << QStringLiteral("␡");
    QTest::newRow("Cyrillic in Windows-1251") << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2 \xb9")
                                              << QStringLiteral("Привет №");
    QTest::newRow("the one code without a letter") << QByteArray("\x98") << QStringLiteral("\\x98");
    QTest::newRow("padding stays spaces") << QByteArray("+380   ") << QStringLiteral("+380   ");
}

void TestSerialChannel::journalLineShowsTheBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QCOMPARE(ExchangeJournal::visible(bytes), shown);
}

// The Windows build's port errors in the user's words: what a failed open says and
// which failures of an open port mean the device has gone.
void TestSerialChannel::windowsErrorsAreExplained_data()
{
    QTest::addColumn<uint>("code");
    QTest::addColumn<int>("fault");
    QTest::addColumn<bool>("gone");
    QTest::addColumn<QString>("reason"); // a pattern
    QTest::addColumn<QString>("english");
    using F = win32::PortFault;
    QTest::newRow("no such port") << 2u << int(F::NoSuchPort) << true << "^нет такого порта: .*Диспетчер устройств"
        << "^no such port: .*Device Manager";
    QTest::newRow("a number mapped to nothing") << 1u << int(F::NoSuchPort) << false << "^нет такого порта: "
        << "^no such port: ";
    QTest::newRow("no such device") << 433u << int(F::NoSuchPort) << true << "^нет такого порта: "
        << "^no such port: ";
    QTest::newRow("held by another program") << 5u << int(F::InUse) << true
                                             << "^занят другой программой \\(какой именно, Windows сообщает только "
                                                "администратору"
        << "^busy: another program holds it \\(Windows tells which only to an administrator\\)$";
    QTest::newRow("sharing violation") << 32u << int(F::InUse) << false << "^занят другой программой "
        << "^busy: ";
    QTest::newRow("device removed") << 1617u << int(F::Gone) << true << "^устройство отключено$"
        << "^the device has been unplugged$";
    QTest::newRow("aborted by a pulled adapter") << 995u << int(F::Other) << true
                                                 << "^не открывается: The I/O operation has been aborted "
                                                    "\\(ошибка Windows 995\\)$"
        << "^the system refuses it: The I/O operation has been aborted \\(Windows error 995\\)$";
    QTest::newRow("the system's words") << 87u << int(F::Other) << false
                                        << "^не открывается: The I/O operation has been aborted \\(ошибка Windows 87\\)$"
        << "^the system refuses it: The I/O operation has been aborted \\(Windows error 87\\)$";
    QTest::newRow("no words at all") << 1234u << int(F::Other) << false << "^не открывается: ошибка Windows 1234$"
        << "^the system refuses it: Windows error 1234$";
}

void TestSerialChannel::windowsErrorsAreExplained()
{
    QFETCH(uint, code);
    QFETCH(int, fault);
    QFETCH(bool, gone);
    QFETCH(QString, reason);
    QFETCH(QString, english);
    QCOMPARE(int(win32::classifyOpenError(code)), fault);
    QCOMPARE(win32::meansDeviceGone(code), gone);
    const QString words = code == 1234 ? QString() : QStringLiteral(" The I/O operation has been aborted \n");
    const QString said = win32::openRefusalReason(code, words);
    QVERIFY2(QRegularExpression(reason).match(said).hasMatch(), qPrintable(said));
    const QString inEnglish = win32::openRefusalReasonInEnglish(code, words);
    QVERIFY2(QRegularExpression(english).match(inEnglish).hasMatch(), qPrintable(inEnglish));
}

QTEST_GUILESS_MAIN(TestSerialChannel)
#include "tst_serialchannel.moc"
