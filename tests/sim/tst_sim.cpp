// The simulator as the configurator meets it: a real QSerialPort on the linked
// pseudo-terminal, commands in, replies and faults out.
#include "sim/simulator.h"
#include "tests/support/startrecord.h"
#include "tests/sim/serialclient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using expected::spaces;

#include <memory>

using sim::Simulator;

namespace {

constexpr int kReplyWaitMs = 5000;

const QByteArray kStartPhones = "READ_ABON_+380_+380_+380_+380_+380_+380_+380_+380_+380\r";
const QByteArray kStartSms = "READ_SMS_TVX4_Ohrana_220V_AKB_Temp._Alarm!_Input1_Input2_Input3_Input4_Input5_Input6\r";
const QByteArray kStartApn = "READ_APN_www.ab.kyivstar.net_TCP,203.0.113.100,22222_180\r";

QByteArray keysNineToOne()
{
    QByteArray keys;
    for (char k = '9'; k >= '1'; --k)
        keys += QByteArray(16, k);
    return keys;
}

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commands_data();
    void commands();
    void blockWritesShowInTheRecord_data();
    void blockWritesShowInTheRecord();
    void recordWriteShowsInTheBlocks_data();
    void recordWriteShowsInTheBlocks();
    void lineFraming_data();
    void lineFraming();
    void deliveryFaults_data();
    void deliveryFaults();
    void noAnswer_data();
    void noAnswer();
    void hangUpMakesThePortVanish();
    void disconnectedControllerIgnoresTheLine();
    void pacingKeepsToTheLineRate();
    void startRefuses_data();
    void startRefuses();
    void startReplacesOnlyASimulatorsStaleLink_data();
    void startReplacesOnlyASimulatorsStaleLink();
    void stopLeavesAForeignLinkAlone();
    void clientMayReconnect();

private:
    void restartClient();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Simulator> m_sim;
    std::unique_ptr<SerialClient> m_client;
};

void TestSim::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_sim = std::make_unique<Simulator>();
    QVERIFY(m_sim->pacing());
    m_sim->setPacing(false);
    QString error;
    QVERIFY2(m_sim->start(m_dir->path() + "/ports", 7, &error), qPrintable(error));
    QCOMPARE(m_sim->linkPath(), m_dir->path() + "/ports/com7");
    QCOMPARE(QFileInfo(m_sim->linkPath()).symLinkTarget(), m_sim->slavePath());
    restartClient();
}

void TestSim::restartClient()
{
    m_client = std::make_unique<SerialClient>();
    QVERIFY2(m_client->open(m_sim->linkPath()), qPrintable(m_client->port.errorString()));
}

void TestSim::cleanup()
{
    m_client.reset();
    m_sim.reset();
    m_dir.reset();
}

void TestSim::commands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("READ_SET") << QByteArray("READ_SET") << "READ_SET_" + expected::startRecord() + "\r";
    QTest::newRow("READ_ABON") << QByteArray("READ_ABON") << kStartPhones;
    QTest::newRow("READ_DALLAS") << QByteArray("READ_DALLAS") << "READ_DALLAS_" + QByteArray(144, 'F') + "\r";
    QTest::newRow("READ_SMS") << QByteArray("READ_SMS") << kStartSms;
    QTest::newRow("READ_APN") << QByteArray("READ_APN") << kStartApn;
    QTest::newRow("WRITE_SET_") << "WRITE_SET_" + expected::startRecord() << QByteArray("WRITE_SET_OK\r");
    QTest::newRow("WRITE_ABON_") << QByteArray("WRITE_ABON_+380_+380_+380_+380_+380_+380_+380_+380_+380")
                                 << QByteArray("WRITE_ABON_OK\r");
    QTest::newRow("WRITE_DALLAS_") << "WRITE_DALLAS_" + QByteArray(144, 'F') << QByteArray("WRITE_DALLAS_OK\r");
    QTest::newRow("WRITE_SMS_") << QByteArray("WRITE_SMS_a_b_c_d_e_f_g_h_i_j_k_l") << QByteArray("WRITE_SMS_OK\r");
    QTest::newRow("WRITE_APN_") << QByteArray("WRITE_APN_\"internet\"_,\"gprs.example\",\"2020\"_030")
                                << QByteArray("WRITE_APN_OK\r");
}

void TestSim::commands()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    QSignalSpy commands(m_sim.get(), &Simulator::commandReceived);
    QSignalSpy sent(m_sim.get(), &Simulator::replySent);
    m_client->send(command);
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, reply, kReplyWaitMs);
    QCOMPARE(commands.size(), 1);
    QCOMPARE(commands.at(0).at(0).toByteArray(), command);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).at(0).toByteArray(), reply);
}

void TestSim::blockWritesShowInTheRecord_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("phones")
        << QByteArray("WRITE_ABON_+380501234567_+380671112233_+380_+380_+380_+380_+380_+380_+38099")
        << 90
        << "+380501234567  +380671112233  " + ("+380" + spaces(11)).repeated(6) + "+38099" + spaces(9);
    QTest::newRow("SMS words")
        << QByteArray("WRITE_SMS_Dacha_Guard_Mains_Batt_T_ALARM_Door_Hall_Window_Garage_Shed_Gate")
        << 225
        << QByteArray("Dacha       Guard       Mains       Batt        T           ALARM       "
                      "Door        Hall        Window      Garage      Shed        Gate        ");
    QTest::newRow("keys") << "WRITE_DALLAS_" + keysNineToOne() << 369 << keysNineToOne();
    QTest::newRow("GPRS tail")
        << QByteArray("WRITE_APN_www.umc.ua_,10.1.2.3,5000_060") << 513
        << "\"www.umc.ua\"" + spaces(36) + "\"TCP\",\"10.1.2.3\",\"5000\"" + spaces(17);
    QTest::newRow("GPRS period") << QByteArray("WRITE_APN_www.umc.ua_,10.1.2.3,5000_060") << 84
                                 << QByteArray("1060");
}

void TestSim::blockWritesShowInTheRecord()
{
    QFETCH(QByteArray, command);
    QFETCH(int, offset);
    QFETCH(QByteArray, text);
    QSignalSpy changed(m_sim.get(), &Simulator::recordChanged);
    const QByteArray ack = command.left(command.indexOf('_', 6) + 1) + "OK\r";
    m_client->send(command);
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, ack, kReplyWaitMs);
    QCOMPARE(changed.size(), 1);

    m_client->send("READ_SET");
    QTRY_VERIFY_WITH_TIMEOUT(m_client->received.endsWith('\r'), kReplyWaitMs);
    QVERIFY(m_client->received.startsWith("READ_SET_"));
    const QByteArray payload = m_client->received.mid(9).chopped(1);
    QCOMPARE(payload, m_sim->record());
    QCOMPARE(payload.mid(offset, text.size()), text);
    // The record keeps its shape: the settings fields in front are untouched.
    QCOMPARE(payload.left(84), expected::startRecord().left(84));
}

void TestSim::recordWriteShowsInTheBlocks_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("phones") << QByteArray("READ_ABON")
                            << QByteArray("READ_ABON_+380501234567_+38067______+38099999999999_\r");
    QTest::newRow("SMS words") << QByteArray("READ_SMS")
                               << QByteArray("READ_SMS_Home_Armed___Temp._Alarm!_Input1_Input2_Input3_Input4_Input5_"
                                             "123456789012\r");
    QTest::newRow("keys") << QByteArray("READ_DALLAS") << "READ_DALLAS_" + keysNineToOne() + "\r";
    QTest::newRow("GPRS") << QByteArray("READ_APN") << QByteArray("READ_APN_3g.utel.ua_TCP,gprs.example,2020_045\r");
}

void TestSim::recordWriteShowsInTheBlocks()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);

    QByteArray record = expected::startRecord().left(85) + "04500";
    record += "+380501234567  " "+38067         " + spaces(15 * 5) + "+38099999999999" + spaces(15);
    record += "Home        " "Armed       " + spaces(24) + "Temp.       Alarm!      Input1      Input2      "
              "Input3      Input4      Input5      123456789012";
    record += keysNineToOne();
    record += "\"3g.utel.ua\"" + spaces(36) + "\"TCP\",\"gprs.example\",\"2020\"" + spaces(3);
    QCOMPARE(record.indexOf("\"TCP\""), 561);

    m_client->send("WRITE_SET_" + record);
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, QByteArray("WRITE_SET_OK\r"), kReplyWaitMs);
    QCOMPARE(m_sim->record(), record);

    m_client->send(command);
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, reply, kReplyWaitMs);
}

void TestSim::lineFraming_data()
{
    QTest::addColumn<QByteArray>("bytes");      // written as they stand
    QTest::addColumn<QByteArray>("expected");   // everything the client receives
    QTest::addColumn<QStringList>("lines");     // commands the simulator saw
    QTest::newRow("two commands in one write")
        << QByteArray("READ_ABON\rREAD_APN\r") << kStartPhones + kStartApn << QStringList {"READ_ABON", "READ_APN"};
    QTest::newRow("empty lines ignored") << QByteArray("\r\r\rREAD_ABON\r") << kStartPhones
                                         << QStringList {"READ_ABON"};
    QTest::newRow("CR LF from a terminal") << QByteArray("READ_APN\r\nREAD_ABON\r\n") << kStartApn + kStartPhones
                                           << QStringList {"READ_APN", "READ_ABON"};
    QTest::newRow("unknown command unanswered") << QByteArray("HELLO\rREAD_APN\r") << kStartApn
                                                << QStringList {"HELLO", "READ_APN"};
}

void TestSim::lineFraming()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, lines);
    QSignalSpy commands(m_sim.get(), &Simulator::commandReceived);
    m_client->port.write(bytes);
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, expected, kReplyWaitMs);
    QStringList seen;
    for (const QList<QVariant> &args : commands)
        seen << QString::fromLatin1(args.at(0).toByteArray());
    QCOMPARE(seen, lines);
}

void TestSim::deliveryFaults_data()
{
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<int>("chunkBytes");
    QTest::addColumn<int>("chunkPauseMs");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("truncateTo");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("minDeliveries");

    QTest::newRow("chunks with pauses") << 0 << 8 << 40 << QByteArray() << QByteArray() << -1 << kStartApn << 4;
    QTest::newRow("garbage around") << 0 << 0 << 0 << QByteArray("\x00\xFFnoise", 7) << QByteArray("\n~~") << -1
                                    << QByteArray("\x00\xFFnoise", 7) + kStartApn + "\n~~" << 1;
    QTest::newRow("truncated") << 0 << 0 << 0 << QByteArray() << QByteArray() << 20 << kStartApn.left(20) << 1;
    QTest::newRow("truncated with garbage after")
        << 0 << 0 << 0 << QByteArray() << QByteArray("X") << 9 << QByteArray("READ_APN_X") << 1;
    QTest::newRow("truncate beyond the reply") << 0 << 0 << 0 << QByteArray() << QByteArray() << 1000 << kStartApn << 1;
    QTest::newRow("latency") << 300 << 0 << 0 << QByteArray() << QByteArray() << -1 << kStartApn << 1;
    QTest::newRow("everything at once") << 100 << 16 << 30 << QByteArray("<<") << QByteArray(">>") << 30
                                        << "<<" + kStartApn.left(30) + ">>" << 2;
}

void TestSim::deliveryFaults()
{
    QFETCH(int, latencyMs);
    QFETCH(int, chunkBytes);
    QFETCH(int, chunkPauseMs);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, truncateTo);
    QFETCH(QByteArray, expected);
    QFETCH(int, minDeliveries);

    Simulator::Faults faults;
    faults.latencyMs = latencyMs;
    faults.chunkBytes = chunkBytes;
    faults.chunkPauseMs = chunkPauseMs;
    faults.garbageBefore = before;
    faults.garbageAfter = after;
    faults.truncateTo = truncateTo;
    m_sim->setFaults(faults);

    QSignalSpy sent(m_sim.get(), &Simulator::replySent);
    m_client->send("READ_APN");
    QVERIFY(sent.wait(kReplyWaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, expected, kReplyWaitMs);
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).at(0).toByteArray(), expected);
    QVERIFY2(m_client->deliveries >= minDeliveries, qPrintable(QString::number(m_client->deliveries)));
    // Allow for the timer's coarseness, not for a missing wait.
    QVERIFY2(m_client->firstByteMs >= latencyMs * 9 / 10, qPrintable(QString::number(m_client->firstByteMs)));

    // Clearing the faults restores plain replies.
    m_sim->setFaults({});
    m_client->send("READ_ABON");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, kStartPhones, kReplyWaitMs);
}

void TestSim::noAnswer_data()
{
    QTest::addColumn<bool>("drop");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<bool>("once");
    QTest::newRow("dropped reply") << true << false << false;
    QTest::newRow("silent") << false << true << false;
    QTest::newRow("dropped once") << true << false << true;
}

void TestSim::noAnswer()
{
    QFETCH(bool, drop);
    QFETCH(bool, silent);
    QFETCH(bool, once);
    Simulator::Faults faults;
    faults.dropReply = drop;
    faults.silent = silent;
    faults.once = once;
    m_sim->setFaults(faults);

    QSignalSpy commands(m_sim.get(), &Simulator::commandReceived);
    QSignalSpy arrived(&m_client->port, &QSerialPort::readyRead);
    m_client->send("WRITE_ABON_+380991234567");
    QVERIFY(commands.wait(kReplyWaitMs));
    // Bounded wait for something that must not happen.
    QVERIFY(!arrived.wait(400));
    QVERIFY(m_client->received.isEmpty());
    QCOMPARE(m_sim->pendingReplies(), 0);
    // The command itself still took effect.
    QCOMPARE(m_sim->record().mid(90, 15), QByteArray("+380991234567  "));

    if (!once)
        m_sim->setFaults({});
    m_client->send("READ_ABON");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, QByteArray("READ_ABON_+380991234567________\r"), kReplyWaitMs);
}

void TestSim::hangUpMakesThePortVanish()
{
    const QString link = m_sim->linkPath();
    // Hang up in the middle of a paced reply.
    m_sim->setPacing(true);
    QSignalSpy sent(m_sim.get(), &Simulator::replySent);
    QSignalSpy arrived(&m_client->port, &QSerialPort::readyRead);
    m_client->send("READ_SET");
    QVERIFY(arrived.wait(kReplyWaitMs));
    m_sim->hangUp();

    QVERIFY(!m_sim->isRunning());
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
    QTRY_VERIFY_WITH_TIMEOUT(m_client->lost, kReplyWaitMs);
    QVERIFY(!m_client->port.isOpen());
    QCOMPARE(sent.size(), 0);
    QVERIFY(m_client->received.size() < 617);
}

void TestSim::disconnectedControllerIgnoresTheLine()
{
    // Cut off in the middle of a paced reply, as a controller pulled off its cable.
    m_sim->setPacing(true);
    QSignalSpy arrived(&m_client->port, &QSerialPort::readyRead);
    m_client->send("READ_SET");
    QVERIFY(arrived.wait(kReplyWaitMs));
    m_sim->setAnswering(false);
    QCOMPARE(m_sim->pendingReplies(), 0);

    QSignalSpy commands(m_sim.get(), &Simulator::commandReceived);
    m_client->send("WRITE_ABON_+380991234567");
    QVERIFY(!arrived.wait(400));
    QCOMPARE(commands.size(), 0);
    QCOMPARE(m_sim->record(), expected::startRecord());

    m_sim->setPacing(false);
    m_sim->setAnswering(true);
    m_client->send("READ_ABON");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, kStartPhones, kReplyWaitMs);
}

void TestSim::pacingKeepsToTheLineRate()
{
    m_sim->setPacing(true);
    const QByteArray reply = "READ_SET_" + expected::startRecord() + "\r";
    QCOMPARE(reply.size(), 617);
    m_client->send("READ_SET");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, reply, kReplyWaitMs);
    const qint64 elapsed = m_client->clock.elapsed();
    // 617 bytes at 960 bytes a second take 643 ms on the line.
    QVERIFY2(elapsed >= 450, qPrintable(QString::number(elapsed)));
    QVERIFY2(m_client->deliveries > 5, qPrintable(QString::number(m_client->deliveries)));

    // Unpaced, the same reply is one quick burst.
    m_sim->setPacing(false);
    m_client->send("READ_SET");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, reply, kReplyWaitMs);
    QVERIFY2(m_client->clock.elapsed() < 450, qPrintable(QString::number(m_client->clock.elapsed())));
}

void TestSim::startRefuses_data()
{
    QTest::addColumn<int>("com");
    QTest::addColumn<bool>("plainFileInTheWay");
    QTest::newRow("COM0") << 0 << false;
    QTest::newRow("COM51") << 51 << false;
    QTest::newRow("already running") << 7 << false;
    QTest::newRow("held by another simulator") << 7 << false;
    QTest::newRow("a file named com3") << 3 << true;
}

void TestSim::startRefuses()
{
    QFETCH(int, com);
    QFETCH(bool, plainFileInTheWay);
    const QString ports = m_dir->path() + "/ports";
    Simulator *target = m_sim.get();
    std::unique_ptr<Simulator> other;
    if (QTest::currentDataTag() != QLatin1String("already running")) {
        other = std::make_unique<Simulator>();
        target = other.get();
    }
    if (plainFileInTheWay) {
        QFile file(ports + QStringLiteral("/com%1").arg(com));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QString error;
    QVERIFY(!target->start(ports, com, &error));
    QVERIFY(!error.isEmpty());
    // The running simulator and its link are not disturbed.
    QCOMPARE(QFileInfo(m_sim->linkPath()).symLinkTarget(), m_sim->slavePath());
    QVERIFY(!QFileInfo(ports + QStringLiteral("/com%1").arg(com)).isSymLink() || com == 7);
}

void TestSim::startReplacesOnlyASimulatorsStaleLink_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("left by a simulator") << "/dev/pts/987654" << true;
    QTest::newRow("pinned adapter unplugged") << "/dev/serial/by-id/usb-gone-if00-port0" << false;
}

void TestSim::startReplacesOnlyASimulatorsStaleLink()
{
    QFETCH(QString, target);
    QFETCH(bool, replaced);
    const QString ports = m_dir->path() + "/nested/ports";
    QVERIFY(QDir().mkpath(ports));
    QVERIFY(QFile::link(target, ports + "/com2"));
    Simulator second;
    QString error;
    QCOMPARE(second.start(ports, 2, &error), replaced);
    if (!replaced) {
        QVERIFY(error.contains(target));
        QCOMPARE(QFileInfo(ports + "/com2").symLinkTarget(), target);
        return;
    }
    QCOMPARE(QFileInfo(ports + "/com2").symLinkTarget(), second.slavePath());
    second.stop();
    QVERIFY(!QFileInfo(ports + "/com2").isSymLink());
    QVERIFY(second.linkPath().isEmpty());
}

void TestSim::stopLeavesAForeignLinkAlone()
{
    const QString link = m_sim->linkPath();
    m_client.reset();
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(m_dir->path() + "/elsewhere", link));
    m_sim->stop();
    QCOMPARE(QFileInfo(link).symLinkTarget(), m_dir->path() + "/elsewhere");
}

void TestSim::clientMayReconnect()
{
    m_client->send("READ_ABON");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, kStartPhones, kReplyWaitMs);
    m_client->port.close();
    restartClient();
    m_client->send("READ_APN");
    QTRY_COMPARE_WITH_TIMEOUT(m_client->received, kStartApn, kReplyWaitMs);
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
