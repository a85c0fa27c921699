// The tavrix-sim program: its options reach the simulator, and it cleans up its link.
#include "tests/sim/serialclient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestSimProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void linksAnswersAndCleansUpOnSignal_data();
    void linksAnswersAndCleansUpOnSignal();
    void hangUpAfterEndsTheProgram();
    void portAppearsLateAndVanishes_data();
    void portAppearsLateAndVanishes();
    void unitsComeAndGoOnTheirSchedule();
    void rejectsBadOptions_data();
    void rejectsBadOptions();
};

namespace {

// Starts the program and waits for its announcement of the link.
bool startProgram(QProcess &process, const QStringList &args)
{
    process.start(QStringLiteral(TAVRIX_SIM_PATH), args);
    if (!process.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!process.canReadLine() && clock.elapsed() < 10000)
        process.waitForReadyRead(200);
    return process.canReadLine();
}

} // namespace

void TestSimProgram::initTestCase()
{
    // The program's lines are read in English, as where no language is set.
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        qunsetenv(name);
    qputenv("LANG", "C.UTF-8");
}

void TestSimProgram::linksAnswersAndCleansUpOnSignal_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("interrupt"); // SIGINT, else SIGTERM
    QTest::newRow("plain") << QStringList {"--no-pacing"}
                           << QByteArray("READ_APN_www.ab.kyivstar.net_TCP,203.0.113.100,22222_180\r") << false;
    QTest::newRow("truncated with garbage")
        << QStringList {"--truncate", "9", "--garbage-before", "##", "--garbage-after", "!"}
        << QByteArray("##READ_APN_!") << true;
    QTest::newRow("chunked after latency")
        << QStringList {"--latency", "50", "--chunk", "10", "--chunk-pause", "20", "--quiet"}
        << QByteArray("READ_APN_www.ab.kyivstar.net_TCP,203.0.113.100,22222_180\r") << false;
}

void TestSimProgram::linksAnswersAndCleansUpOnSignal()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expected);
    QFETCH(bool, interrupt);
    QTemporaryDir dir;
    const QString link = dir.path() + "/com12";

    QProcess process;
    QVERIFY(startProgram(process, QStringList {"--ports-dir", dir.path(), "--com", "12"} + options));
    const QByteArray banner = process.readLine();
    QVERIFY2(banner.startsWith("COM12: " + link.toLocal8Bit() + " -> /dev/pts/"), banner.constData());
    QVERIFY(QFileInfo(link).isSymLink());

    {
        SerialClient client;
        QVERIFY2(client.open(link), qPrintable(client.port.errorString()));
        client.send("READ_APN");
        QTRY_COMPARE_WITH_TIMEOUT(client.received, expected, 5000);
    }

    if (interrupt)
        QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
    else
        process.terminate();
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    const QByteArray trace = process.readAllStandardError();
    if (options.contains("--quiet"))
        QVERIFY2(trace.isEmpty(), trace.constData());
    else
        QVERIFY2(trace.contains("-> READ_APN"), trace.constData());
}

void TestSimProgram::hangUpAfterEndsTheProgram()
{
    QTemporaryDir dir;
    QProcess process;
    QVERIFY(startProgram(process, {"--ports-dir", dir.path(), "--hang-up-after", "100", "--quiet"}));
    QVERIFY(QFileInfo(dir.path() + "/com1").isSymLink());
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo(dir.path() + "/com1").isSymLink());
}

void TestSimProgram::portAppearsLateAndVanishes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("appearMs");
    QTest::addColumn<bool>("shows"); // the link is ever there
    QTest::newRow("late, then gone") << QStringList {"--appear-after", "0.4", "--vanish-after", "0.9"} << 400 << true;
    QTest::newRow("gone at once") << QStringList {"--appear-after", "0.3", "--vanish-after", "0.3"} << 300 << false;
    QTest::newRow("there, then gone") << QStringList {"--vanish-after", "0.3"} << 0 << true;
}

void TestSimProgram::portAppearsLateAndVanishes()
{
    QFETCH(QStringList, options);
    QFETCH(int, appearMs);
    QFETCH(bool, shows);
    QTemporaryDir dir;
    const QString link = dir.path() + "/com3";
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(TAVRIX_SIM_PATH),
                  QStringList {"--ports-dir", dir.path(), "--com", "3", "--quiet"} + options);
    QVERIFY(process.waitForStarted(5000));
    if (appearMs > 0)
        QVERIFY(!QFileInfo(link).isSymLink());

    bool seen = false;
    qint64 seenMs = -1;
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 10000) {
        if (!seen && QFileInfo(link).isSymLink()) {
            seen = true;
            seenMs = clock.elapsed();
        }
        process.waitForFinished(5);
    }
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(seen, shows);
    if (shows) {
        QVERIFY2(seenMs >= appearMs * 9 / 10, qPrintable(QString::number(seenMs)));
        QVERIFY(process.readAllStandardOutput().startsWith("COM3: " + link.toLocal8Bit()));
    } else {
        QVERIFY(process.readAllStandardOutput().isEmpty());
    }
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSimProgram::unitsComeAndGoOnTheirSchedule()
{
    QTemporaryDir dir;
    const QString link = dir.path() + "/com4";
    QProcess process;
    QVERIFY(startProgram(process, {"--ports-dir", dir.path(), "--com", "4", "--quiet", "--no-pacing", "--units",
                                   "2", "--present", "0.8", "--absent", "0.5"}));
    SerialClient client;
    QVERIFY2(client.open(link), qPrintable(client.port.errorString()));

    // Poll as a station does and keep what the cable says, once per change.
    QList<QByteArray> states;
    client.send("WRITE_ABON_+380501112233");
    QTRY_VERIFY_WITH_TIMEOUT(client.received.endsWith('\r'), 5000);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3500) {
        client.send("READ_ABON");
        QTest::qWait(120);
        const QByteArray state = client.received.isEmpty() ? QByteArray("silent")
                                                           : client.received.mid(10, 13);
        if (states.isEmpty() || states.constLast() != state)
            states.append(state);
    }
    // Unit 1 kept the write; unit 2 has its own configuration; after the last unit the
    // cable stays empty.
    const QList<QByteArray> expected {"+380501112233", "silent", "+380670000002", "silent"};
    QCOMPARE(states, expected);
    process.terminate();
    QVERIFY(process.waitForFinished(5000));
    const QByteArray out = process.readAllStandardOutput();
    QVERIFY2(out.contains("unit 1 connected\nunit 1 disconnected\nunit 2 connected\nunit 2 disconnected\n"),
             out.constData());
}

void TestSimProgram::rejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("names"); // what the one line says
    QTest::newRow("COM out of range") << QStringList {"--com", "51"} << "--com takes 1 to 50, not '51'";
    QTest::newRow("COM zero") << QStringList {"--com", "0"} << "--com takes 1 to 50, not '0'";
    QTest::newRow("COM not a number") << QStringList {"--com", "two"} << "--com takes 1 to 50, not 'two'";
    QTest::newRow("negative latency") << QStringList {"--latency", "-5"} << "--latency takes 0 to ";
    QTest::newRow("zero chunk") << QStringList {"--chunk", "0"} << "--chunk takes 1 to ";
    QTest::newRow("hang-up beyond any int") << QStringList {"--hang-up-after", "99999999999"}
                                            << "--hang-up-after takes 0 to ";
    QTest::newRow("missing value") << QStringList {"--com"} << "--com takes 1 to 50, and no value follows it";
    QTest::newRow("missing value after another option")
        << QStringList {"--quiet", "--truncate"} << "--truncate takes 0 to 1000000, and no value follows it";
    QTest::newRow("no units") << QStringList {"--units", "0"} << "--units takes 1 to ";
    QTest::newRow("present without units") << QStringList {"--present", "3"} << "--present needs --units";
    QTest::newRow("zero presence") << QStringList {"--units", "2", "--present", "0"}
                                   << "--present takes 0.001 to 3600 seconds, not '0'";
    QTest::newRow("seconds not a number") << QStringList {"--appear-after", "soon"}
                                          << "--appear-after takes 0 to 3600 seconds, not 'soon'";
    QTest::newRow("vanish before appear") << QStringList {"--appear-after", "2", "--vanish-after", "1"}
                                          << "--vanish-after comes before --appear-after";
    QTest::newRow("stray argument") << QStringList {"extra"} << "unexpected argument 'extra'";
}

void TestSimProgram::rejectsBadOptions()
{
    QFETCH(QStringList, options);
    QFETCH(QString, names);
    QTemporaryDir dir;
    QProcess process;
    process.start(QStringLiteral(TAVRIX_SIM_PATH), QStringList {"--ports-dir", dir.path()} + options);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(err.startsWith("tavrix-sim: " + names) && err.endsWith(" (see tavrix-sim --help)\n")
                 && err.count('\n') == 1,
             qPrintable(err));
    QVERIFY(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).isEmpty());
}

QTEST_GUILESS_MAIN(TestSimProgram)
#include "tst_simprogram.moc"
