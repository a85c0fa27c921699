// The snapshots folder: where it is, what the files are called, that a snapshot never
// replaces another, that one which cannot be written says why, and what pruning keeps.
#include "config/backups.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestBackups : public QObject
{
    Q_OBJECT

private slots:
    void folderFollowsTheStateHome_data();
    void folderFollowsTheStateHome();
    void snapshotsAreNamedByTimeAndPortAndNeverReplaced();
    void unwritableFolderIsRefusedWithItsReason();
    void pruningKeepsTheNewestAndTheRecent_data();
    void pruningKeepsTheNewestAndTheRecent();
};

void TestBackups::folderFollowsTheStateHome_data()
{
    QTest::addColumn<QByteArray>("stateHome");
    QTest::addColumn<QString>("expected");
    QTest::newRow("set") << QByteArray("/srv/state") << "/srv/state/tavrix/backups";
    QTest::newRow("unset") << QByteArray() << QDir::homePath() + "/.local/state/tavrix/backups";
    QTest::newRow("relative is ignored") << QByteArray("state") << QDir::homePath() + "/.local/state/tavrix/backups";
}

void TestBackups::folderFollowsTheStateHome()
{
    QFETCH(QByteArray, stateHome);
    QFETCH(QString, expected);
    const QByteArray old = qgetenv("XDG_STATE_HOME");
    if (stateHome.isEmpty())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", stateHome);
    const QString folder = backups::folder();
    qputenv("XDG_STATE_HOME", old);
    QCOMPARE(folder, expected);
}

void TestBackups::snapshotsAreNamedByTimeAndPortAndNeverReplaced()
{
    QTemporaryDir dir;
    const QString where = dir.filePath("deep/backups");
    const QDateTime when(QDate(2026, 12, 7), QTime(20, 55, 1));
    const backups::Saved first = backups::save("first\n", 3, when, where);
    const backups::Saved second = backups::save("second\n", 3, when, where);
    QVERIFY2(first.ok && second.ok, qPrintable(first.reason + second.reason));
    QCOMPARE(QFileInfo(first.path).fileName(), QStringLiteral("20261207-205501-COM3.cfg"));
    QVERIFY(second.path != first.path);
    QCOMPARE(backups::takenAt(QFileInfo(second.path).fileName()), when);
    QFile a(first.path), b(second.path);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("first\n"));
    QCOMPARE(b.readAll(), QByteArray("second\n"));

    // A port named by its network address: the address in the name, nothing a file
    // system refuses, and a snapshot the pruning knows as one.
    for (const char *address : {"rfc2217://10.0.5.21:4001", "socket://[::1]:2000"}) {
        const backups::Saved net1 = backups::save("net\n", QString::fromLatin1(address), when, where);
        const backups::Saved net2 = backups::save("net\n", QString::fromLatin1(address), when, where);
        QVERIFY2(net1.ok && net2.ok, qPrintable(net1.reason + net2.reason));
        QVERIFY(net1.path != net2.path);
        const QString name = QFileInfo(net1.path).fileName();
        QVERIFY2(!name.contains(QLatin1Char(':')) && !name.contains(QLatin1Char('/')), qPrintable(name));
        QVERIFY2(name.startsWith(QLatin1String("20261207-205501-") + QString::fromLatin1(address).section(QLatin1Char(':'), 0, 0)),
                 qPrintable(name));
        QCOMPARE(backups::takenAt(name), when);
        QCOMPARE(backups::takenAt(QFileInfo(net2.path).fileName()), when);
    }
}

void TestBackups::unwritableFolderIsRefusedWithItsReason()
{
    // A file where the folder should be refuses even root, who writes anywhere else.
    QTemporaryDir dir;
    QFile blocker(dir.filePath("state"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const backups::Saved saved = backups::save("x\n", 5, QDateTime::currentDateTime(), dir.filePath("state/backups"));
    QVERIFY(!saved.ok);
    QVERIFY(saved.path.isEmpty());
    QCOMPARE(saved.folder, QDir::toNativeSeparators(dir.filePath("state/backups")));
    QVERIFY(!saved.reason.isEmpty());
}

void TestBackups::pruningKeepsTheNewestAndTheRecent_data()
{
    QTest::addColumn<int>("old");    // snapshots of two years ago
    QTest::addColumn<int>("recent"); // of last month
    QTest::addColumn<int>("removed");
    QTest::newRow("few, all old") << 10 << 0 << 0;
    QTest::newRow("many old beyond the newest") << 498 << 5 << 3;
    QTest::newRow("many recent keep everything recent") << 0 << 520 << 0;
    QTest::newRow("old beyond many recent all go") << 7 << 501 << 7;
}

void TestBackups::pruningKeepsTheNewestAndTheRecent()
{
    QFETCH(int, old);
    QFETCH(int, recent);
    QFETCH(int, removed);
    QTemporaryDir dir;
    const QDateTime now(QDate(2026, 12, 7), QTime(12, 0));
    const auto touch = [&](const QString &name) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    };
    for (int i = 0; i < old; ++i)
        touch(backups::fileName(now.addYears(-2).addSecs(i), 1));
    for (int i = 0; i < recent; ++i)
        touch(backups::fileName(now.addDays(-30).addSecs(i), 2));
    touch(QStringLiteral("notes.cfg")); // the user's own file stays
    const QStringList gone = backups::prune(dir.path(), now);
    QCOMPARE(gone.size(), removed);
    for (const QString &path : gone)
        QVERIFY2(QFileInfo(path).fileName().endsWith("-COM1.cfg"), qPrintable(path));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), old + recent + 1 - removed);
}

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
