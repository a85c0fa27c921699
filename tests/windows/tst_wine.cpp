// The Windows programs, cross-built, under Wine against the simulator: the same files,
// records and window as the Linux build. A fresh Wine prefix per run; the simulator's
// pseudo-terminal is COM5 there, and no other COM number reaches a device of the machine.
#include "tests/config/generated.h"

#include "app/tform1.h"
#include "config/configform.h"
#include "records/records.h"
#include "sim/simulator.h"
#include "tests/support/loopback.h"
#include "tests/support/recordingdesktop.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

using namespace config;

namespace {

constexpr int kCom = 5;
const char kWindowTitle[] = "Конфигуратор Tavrix   v2.0";
// Where the connection bar's buttons and status line sit in the form, which the menu bar
// sits above in the window's client area.
const QPoint kWriteButton(504 + 56, 168 + 12);
const QRect kStatusLine(119, 171, 140, 16);

QString winePath(const QString &unixPath)
{
    return QStringLiteral("Z:") + QDir::toNativeSeparators(unixPath);
}

using loopback::accepts;
using loopback::freePort;

} // namespace

class TestWine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void toolAnswers_data();
    void toolAnswers();
    void readWritesTheLinuxFile();
    void networkReadIsTheComRead_data();
    void networkReadIsTheComRead();
    void verifiedWriteStoresTheLinuxRecord();
    void aPortThatGoesAwayEndsTheRun();
    void sheetsAndSnapshotsOnWindows();
    void watchWritesAUnitAndLogsIt();
    void windowConnectsReadsAndWrites();
    void windowFitsAScaledScreen();
    void installerInstallsAndUninstalls();
    void selftestNamesATamperedDll();
    void everyFileIsSigned();

private:
    struct Result
    {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };

    // `lang`: the LANG a program is run with (Wine takes the display language from it);
    // empty is C.UTF-8, English.
    QProcessEnvironment wineEnvironment(const QString &lang = {}) const;
    // Runs a program under Wine (a path in the staged folder, or a Windows path) while the
    // simulators answer from this event loop.
    Result wine(const QString &program, const QStringList &args, int timeoutMs = 120000, const QString &lang = {});
    Result linuxCli(const QStringList &args);
    struct ProcessRun
    {
        int status = -1;
        QByteArray out;
    };
    // osslsigncode's check of a file's Authenticode signature against the build's CA.
    ProcessRun signatureCheck(const QString &file) const;
    QString x(const QStringList &args) const; // runs a command on the test's display
    QImage screenshot() const;
    QString waitForWindow(const QString &exactTitle, int timeoutMs);
    QPoint clientOrigin(const QString &window) const;
    void click(const QString &window, QPoint at) const;
    QString stage(const QString &name) const { return QStringLiteral(TAVRIX_WINDOWS_STAGE "/") + name; }
    QByteArray generatedRecord(quint32 seed) const;

    QTemporaryDir m_home;
    QString m_prefix;
    QString m_display;
    QProcess m_xvfb;
    sim::Simulator m_device;
};

void TestWine::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY2(QFileInfo::exists(stage(QStringLiteral("tavrix-cli.exe"))), "build the Windows programs first");
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty(), "wine is not installed");

    // A display of our own for the window and for Wine's desktop.
    m_xvfb.setProgram(QStringLiteral("Xvfb"));
    m_xvfb.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"), QStringLiteral("-screen"), QStringLiteral("0"),
                         QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    m_xvfb.start();
    QVERIFY(m_xvfb.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_xvfb.canReadLine(), 20000);
    m_display = QStringLiteral(":") + QString::fromLatin1(m_xvfb.readLine()).trimmed();

    QString error;
    QVERIFY2(m_device.start(m_home.filePath(QStringLiteral("tavrix/ports")), kCom, &error), qPrintable(error));

    // The prefix maps COM5 to the simulator and COM1 to COM50 to nothing else: Wine gives
    // the machine's own serial devices the free numbers, which are pushed past COM50.
    m_prefix = m_home.filePath(QStringLiteral("wine"));
    Result boot = wine(QStringLiteral("wineboot"), {QStringLiteral("-i")}, 300000);
    QCOMPARE(boot.status, 0);
    QByteArray ports = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n";
    for (int com = 1; com <= 50; ++com) {
        const QByteArray device = com == kCom ? QFile::encodeName(m_device.slavePath()) : QByteArray();
        ports += "\"COM" + QByteArray::number(com) + "\"=\"" + device + "\"\r\n";
    }
    QFile reg(m_home.filePath(QStringLiteral("ports.reg")));
    QVERIFY(reg.open(QIODevice::WriteOnly));
    reg.write(ports);
    reg.close();
    QCOMPARE(wine(QStringLiteral("regedit"), {QStringLiteral("/S"), winePath(reg.fileName())}).status, 0);
    // Restart Wine's services so that they map the ports anew, then keep them running:
    // they map ports only when they start.
    QProcess::execute(QStringLiteral("wineserver"), {QStringLiteral("-k")});
    QProcess server;
    server.setProcessEnvironment(wineEnvironment());
    server.start(QStringLiteral("wineserver"), {QStringLiteral("-p")});
    QVERIFY(server.waitForFinished(30000));
    QCOMPARE(wine(QStringLiteral("cmd"), {QStringLiteral("/c"), QStringLiteral("exit")}).status, 0);
    const QDir dosDevices(m_prefix + QStringLiteral("/dosdevices"));
    // Wine links a port named in the registry as its services start; the link is made
    // here if they have not yet.
    const QString com5 = dosDevices.filePath(QStringLiteral("com5"));
    if (QFileInfo(com5).symLinkTarget() != m_device.slavePath()) {
        QFile::remove(com5);
        QVERIFY(QFile::link(m_device.slavePath(), com5));
    }
    for (const QFileInfo &link : dosDevices.entryInfoList({QStringLiteral("com*")}, QDir::System | QDir::Files)) {
        if (link.fileName() != QStringLiteral("com%1").arg(kCom))
            QVERIFY(QFile::remove(link.filePath()));
    }
    QCOMPARE(QFileInfo(dosDevices.filePath(QStringLiteral("com5"))).symLinkTarget(), m_device.slavePath());
}

void TestWine::cleanupTestCase()
{
    if (!m_prefix.isEmpty()) {
        QProcess kill;
        kill.setProcessEnvironment(wineEnvironment());
        kill.start(QStringLiteral("wineserver"), {QStringLiteral("-k")});
        kill.waitForFinished(30000);
    }
    m_device.stop();
    m_xvfb.terminate();
    m_xvfb.waitForFinished(5000);
}

void TestWine::init()
{
    m_device.setFaults({});
    m_device.setPacing(true);
}

QProcessEnvironment TestWine::wineEnvironment(const QString &lang) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The same Wine whatever the machine's locale: English folder names in the prefix, the
    // tool's English, and UTF-8 (without it Wine names its X windows in Latin-1 and the
    // window is not found by its Russian title). A row of the tool asks for its own LANG.
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), lang.isEmpty() ? QStringLiteral("C.UTF-8") : lang);
    env.insert(QStringLiteral("WINEPREFIX"), m_prefix);
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    // No offer to install .NET or a browser engine into the new prefix.
    env.insert(QStringLiteral("WINEDLLOVERRIDES"), QStringLiteral("mscoree,mshtml="));
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return env;
}

TestWine::Result TestWine::wine(const QString &program, const QStringList &args, int timeoutMs, const QString &lang)
{
    QProcess process;
    process.setProcessEnvironment(wineEnvironment(lang));
    process.setWorkingDirectory(m_home.path());
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral("wine"), QStringList{program} + args);
    if (!process.waitForStarted() || (finished.isEmpty() && !finished.wait(timeoutMs))) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

TestWine::Result TestWine::linuxCli(const QStringList &args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    env.insert(QStringLiteral("TAVRIX_DEFAULT_PORTS"), QString());
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(env);
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(TAVRIX_CLI_PATH), args);
    if (finished.isEmpty() && !finished.wait(60000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray TestWine::generatedRecord(quint32 seed) const
{
    QRandomGenerator g(seed);
    ConfigForm form;
    windowCatalog().apply(form.controls(), generatedConfiguration(windowCatalog(), g));
    return records::buildSettings(form.controls());
}

void TestWine::toolAnswers_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // patterns
    QTest::addColumn<QString>("err");
    const QString russian = QStringLiteral("ru_RU.UTF-8");
    const QString english = QStringLiteral("C");
    const QString cli = QStringLiteral("tavrix-cli.exe");
    QTest::newRow("version") << cli << english << QStringList{"--version"} << 0 << "^tavrix-cli 2\\.0\\r?\\n$" << "^$";
    // The system's display language decides, which Wine takes from LANG.
    QTest::newRow("help in Russian") << cli << russian << QStringList{"--help"} << 0
                                     << "^Использование: tavrix-cli \\[параметры\\] команда(.|\\n)*Команды:" << "^$";
    QTest::newRow("help in English") << cli << english << QStringList{"--help"} << 0
                                     << "^Usage: tavrix-cli \\[options\\] command(.|\\n)*Commands:" << "^$";
    QTest::newRow("ports lists the simulator as COM5 and nothing else")
        << cli << russian << QStringList{"ports"} << 0
        << "^COM +Устройство +Свободен +Подробности\\r?\\nCOM5\\s+COM5\\s+да\\s*$" << "";
    QTest::newRow("ports in English") << cli << english << QStringList{"ports"} << 0
                                      << "^COM +Device +Free +Details\\r?\\nCOM5\\s+COM5\\s+yes\\s*$" << "";
    QTest::newRow("ports --all lists every number") << cli << english << QStringList{"ports", "--all"} << 0
                                                    << "(?m)^COM49\\s+COM49\\s+no\\s+no such port\\s*$" << "";
    QTest::newRow("a missing port is a device failure with its reason")
        << cli << english << QStringList{"read", "COM7", "-o", "missing.cfg"} << 1 << "" << "^COM7: .*no such port";
    QTest::newRow("a missing port in Russian") << cli << russian << QStringList{"read", "COM7", "-o", "missing.cfg"} << 1 << ""
                                               << "^COM7: COM7 не открывается: нет такого порта";
    // The staged folder carries the list of its files, and all of them are as listed.
    QTest::newRow("selftest of the staged folder") << cli << english << QStringList{"selftest"} << 0
                                                   << "(?m)^The program's files are intact\\.\\r?$" << "^$";
    QTest::newRow("selftest in Russian") << cli << russian << QStringList{"selftest"} << 0
                                         << "(?m)^Файлы программы целы\\.\\r?$" << "^$";
    // The window speaks Russian on an English Windows too, on the command line as well.
    const QString window = QStringLiteral("tavrix-configurator.exe");
    QTest::newRow("the window's help on an English system")
        << window << english << QStringList{"--help"} << 0
        << "^Использование: tavrix-configurator \\[параметры\\] \\[файл\\](.|\\n)*Показать эту справку" << "^$";
    QTest::newRow("the window's usage error on an English system")
        << window << english << QStringList{"--bogus"} << 2 << "^$"
        << "^tavrix-configurator: неизвестный параметр «--bogus» \\(см\\. tavrix-configurator --help\\)\\r?\\n$";
}

void TestWine::toolAnswers()
{
    QFETCH(QString, program);
    QFETCH(QString, lang);
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    const Result r = wine(stage(program), args, 120000, lang);
    const QString said = QString::fromUtf8(r.out);
    const QString complained = QString::fromUtf8(r.err);
    QVERIFY2(r.status == status, qPrintable(QStringLiteral("status %1\n%2%3").arg(r.status).arg(said, complained)));
    QVERIFY2(QRegularExpression(out).match(said).hasMatch(), qPrintable(said));
    QVERIFY2(QRegularExpression(err).match(complained).hasMatch(), qPrintable(complained));
    if (args.first() == QLatin1String("ports")) {
        // Only COM5 is there (Wine's own ports were pushed past the numbers the tool asks):
        // it alone is listed, and free; --all lists every number.
        const int rows = int(said.count(QRegularExpression(QStringLiteral("(?m)^COM\\d+ "))));
        QCOMPARE(rows, args.contains(QStringLiteral("--all")) ? 50 : 1);
        QCOMPARE(said.count(QRegularExpression(QStringLiteral("(?m)^COM\\d+\\s+\\S+\\s+(да|yes)\\s*$"))), 1);
    }
}

void TestWine::readWritesTheLinuxFile()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    m_device.setRecord(generatedRecord(seed));
    m_device.setPacing(false);
    const QString windowsFile = m_home.filePath(QStringLiteral("windows.cfg"));
    const QString linuxFile = m_home.filePath(QStringLiteral("linux.cfg"));
    const Result w = wine(stage(QStringLiteral("tavrix-cli.exe")),
                          {QStringLiteral("read"), QStringLiteral("COM5"), QStringLiteral("-o"), winePath(windowsFile)});
    QVERIFY2(w.status == 0, w.err.constData());
    const Result l = linuxCli({QStringLiteral("read"), QStringLiteral("COM5"), QStringLiteral("-o"), linuxFile});
    QVERIFY2(l.status == 0, l.err.constData());
    QFile a(windowsFile), b(linuxFile);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray windowsText = a.readAll();
    QVERIFY(windowsText.startsWith("# tavrix-configuration"));
    QVERIFY2(windowsText == b.readAll(), qPrintable(QStringLiteral("seed %1").arg(seed)));
}

void TestWine::networkReadIsTheComRead_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("scheme");
    QTest::newRow("ser2net") << "ser2net" << "rfc2217";
    QTest::newRow("ser2net, raw TCP") << "ser2net" << "socket";
    QTest::newRow("pyserial") << "pyserial" << "rfc2217";
    QTest::newRow("serve") << "serve" << "rfc2217";
}

void TestWine::networkReadIsTheComRead()
{
    QFETCH(QString, server);
    QFETCH(QString, scheme);
    const quint32 seed = QRandomGenerator::global()->generate();
    m_device.setRecord(generatedRecord(seed));
    m_device.setPacing(false);
    const QString comFile = m_home.filePath(QStringLiteral("com.cfg"));
    const Result com = linuxCli({QStringLiteral("read"), QStringLiteral("COM5"), QStringLiteral("-o"), comFile});
    QVERIFY2(com.status == 0, com.err.constData());

    // The simulator's terminal lent on loopback by the Linux side.
    const quint16 port = freePort();
    QProcess lender;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    env.insert(QStringLiteral("TAVRIX_DEFAULT_PORTS"), QString());
    lender.setProcessEnvironment(env);
    lender.setProcessChannelMode(QProcess::MergedChannels);
    auto stop = qScopeGuard([&] {
        lender.terminate();
        if (!lender.waitForFinished(10000))
            lender.kill();
    });
    if (server == QLatin1String("ser2net")) {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty(), "ser2net is not installed");
        QFile config(m_home.filePath(QStringLiteral("ser2net.yaml")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        const QString accepter = scheme == QLatin1String("socket") ? QStringLiteral("tcp") : QStringLiteral("telnet(rfc2217),tcp");
        config.write(QStringLiteral("connection: &port\n  accepter: %1,127.0.0.1,%2\n"
                                    "  connector: serialdev,%3,9600n81,local\n")
                         .arg(accepter)
                         .arg(port)
                         .arg(m_device.slavePath())
                         .toUtf8());
        config.close();
        lender.start(QStringLiteral("ser2net"), {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"), config.fileName()});
        QVERIFY(lender.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(accepts(port) || lender.state() != QProcess::Running, 20000);
    } else if (server == QLatin1String("pyserial")) {
        QVERIFY2(QFile::exists(QStringLiteral("/usr/share/doc/python3-serial/examples/rfc2217_server.py")),
                 "python3-serial is not installed");
        lender.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(NET_TESTS_DIR "/pyserial_server.py"), QStringLiteral("-p"),
                                                 QString::number(port), m_device.slavePath()});
        QVERIFY(lender.waitForStarted(10000));
        // It says its port once it listens; a probe would be served as a client.
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += lender.readAll()).contains("TCP/IP port") || lender.state() != QProcess::Running,
                                 20000);
        QVERIFY2(lender.state() == QProcess::Running, said.constData());
    } else {
        lender.start(QStringLiteral(TAVRIX_CLI_PATH), {QStringLiteral("serve"), QStringLiteral("COM5"), QStringLiteral("--listen"),
                                                       QStringLiteral("127.0.0.1:%1").arg(port)});
        QVERIFY(lender.waitForStarted(10000));
        // It names the address once it listens; a probe would take its one client place.
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += lender.readAll()).contains(QByteArray::number(port))
                                     || lender.state() != QProcess::Running,
                                 20000);
    }
    QVERIFY2(lender.state() == QProcess::Running, lender.readAll().constData());

    const QString netFile = m_home.filePath(QStringLiteral("net.cfg"));
    const Result w = wine(stage(QStringLiteral("tavrix-cli.exe")),
                          {QStringLiteral("read"), QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port), QStringLiteral("-o"),
                           winePath(netFile)});
    QVERIFY2(w.status == 0, w.err.constData());
    QFile a(netFile), b(comFile);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray windowsText = a.readAll();
    QVERIFY(windowsText.startsWith("# tavrix-configuration"));
    QVERIFY2(windowsText == b.readAll(), qPrintable(QStringLiteral("seed %1").arg(seed)));
}

void TestWine::verifiedWriteStoresTheLinuxRecord()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    const QByteArray before = generatedRecord(seed);
    const QByteArray wanted = generatedRecord(seed + 1);
    m_device.setPacing(false);
    // The file to write: what a controller holding the wanted record backs up.
    m_device.setRecord(wanted);
    const QString file = m_home.filePath(QStringLiteral("wanted.cfg"));
    QCOMPARE(linuxCli({QStringLiteral("read"), QStringLiteral("COM5"), QStringLiteral("-o"), file}).status, 0);

    m_device.setRecord(before);
    const Result l = linuxCli({QStringLiteral("write"), QStringLiteral("COM5"), file, QStringLiteral("--verify")});
    QVERIFY2(l.status == 0, l.err.constData());
    const QByteArray linuxStored = m_device.record();

    // The Windows tool records the write in a site book, an SQLite file that Linux reads.
    const QString book = m_home.filePath(QStringLiteral("book.sqlite"));
    const QString site = QStringLiteral("Липова 4");
    const Result added = wine(stage(QStringLiteral("tavrix-cli.exe")),
                              {QStringLiteral("book"), QStringLiteral("add"), site, QStringLiteral("--book"), winePath(book)});
    QVERIFY2(added.status == 0, added.err.constData());
    m_device.setRecord(before);
    const Result w = wine(stage(QStringLiteral("tavrix-cli.exe")),
                          {QStringLiteral("write"), QStringLiteral("COM5"), winePath(file), QStringLiteral("--verify"),
                           QStringLiteral("--site"), site, QStringLiteral("--book"), winePath(book)});
    QVERIFY2(w.status == 0, w.err.constData());
    QVERIFY2(m_device.record() == linuxStored, qPrintable(QStringLiteral("seed %1").arg(seed)));
    const Result card = linuxCli({QStringLiteral("book"), QStringLiteral("site"), site, QStringLiteral("--json"),
                                  QStringLiteral("--book"), book});
    QVERIFY2(card.status == 0, card.err.constData());
    QStringList kinds;
    const QJsonArray controllers = QJsonDocument::fromJson(card.out).object().value(QStringLiteral("site")).toObject().value(QStringLiteral("controllers")).toArray();
    for (const QJsonValue &c : controllers) {
        for (const QJsonValue &r : c.toObject().value(QStringLiteral("revisions")).toArray())
            kinds << r.toObject().value(QStringLiteral("kind")).toString() + (r.toObject().value(QStringLiteral("proved")).toBool() ? QStringLiteral("+") : QString());
    }
    QCOMPARE(kinds, (QStringList{QStringLiteral("write+"), QStringLiteral("read+")}));

    // A bundle carries the site from the Windows laptop's book to a Linux one and back into
    // a second book the Windows tool makes: the same revisions by id.
    const auto revisionIds = [&](const QByteArray &json) {
        QStringList ids;
        const QJsonArray cs = QJsonDocument::fromJson(json).object().value(QStringLiteral("site")).toObject().value(QStringLiteral("controllers")).toArray();
        for (const QJsonValue &c : cs) {
            for (const QJsonValue &r : c.toObject().value(QStringLiteral("revisions")).toArray())
                ids << r.toObject().value(QStringLiteral("id")).toString();
        }
        return ids;
    };
    const QStringList ids = revisionIds(card.out);
    QCOMPARE(ids.size(), 2);
    const QString bundle = m_home.filePath(QStringLiteral("from-windows.bundle"));
    const Result exported = wine(stage(QStringLiteral("tavrix-cli.exe")),
                                 {QStringLiteral("book"), QStringLiteral("export"), site, QStringLiteral("-o"), winePath(bundle),
                                  QStringLiteral("--book"), winePath(book)});
    QVERIFY2(exported.status == 0, exported.err.constData());
    const QString linuxBook = m_home.filePath(QStringLiteral("linux-book.sqlite"));
    const Result imported = linuxCli({QStringLiteral("book"), QStringLiteral("import"), bundle, QStringLiteral("--book"), linuxBook});
    QVERIFY2(imported.status == 0, imported.err.constData());
    const Result linuxCard = linuxCli({QStringLiteral("book"), QStringLiteral("site"), site, QStringLiteral("--json"),
                                       QStringLiteral("--book"), linuxBook});
    QVERIFY2(linuxCard.status == 0, linuxCard.err.constData());
    QCOMPARE(revisionIds(linuxCard.out), ids);

    const QString back = m_home.filePath(QStringLiteral("from-linux.bundle"));
    QCOMPARE(linuxCli({QStringLiteral("book"), QStringLiteral("export"), QStringLiteral("-o"), back, QStringLiteral("--book"), linuxBook}).status, 0);
    const QString secondBook = m_home.filePath(QStringLiteral("second-windows-book.sqlite"));
    const Result again = wine(stage(QStringLiteral("tavrix-cli.exe")),
                              {QStringLiteral("book"), QStringLiteral("import"), winePath(back), QStringLiteral("--book"), winePath(secondBook)});
    QVERIFY2(again.status == 0, again.err.constData());
    const Result windowsCard = linuxCli({QStringLiteral("book"), QStringLiteral("site"), site, QStringLiteral("--json"),
                                         QStringLiteral("--book"), secondBook});
    QVERIFY2(windowsCard.status == 0, windowsCard.err.constData());
    QCOMPARE(revisionIds(windowsCard.out), ids);
}

// The production line finds COM5 by polling (no folder to watch there), writes the unit,
// verifies it and logs it, as on Linux.
void TestWine::watchWritesAUnitAndLogsIt()
{
    m_device.setPacing(false);
    m_device.setRecord(generatedRecord(QRandomGenerator::global()->generate()));
    const QString tpl = m_home.filePath(QStringLiteral("line.cfg"));
    const QString units = m_home.filePath(QStringLiteral("line.csv"));
    const QString log = m_home.filePath(QStringLiteral("line.jsonl"));
    QFile t(tpl), u(units);
    QVERIFY(t.open(QIODevice::WriteOnly) && u.open(QIODevice::WriteOnly));
    t.write("# tavrix-configuration 1\nEdit34 = internet\n");
    u.write("unit,Edit1\nОбъект Липова 4,+380501000001\n");
    t.close();
    u.close();
    const Result r = wine(stage(QStringLiteral("tavrix-cli.exe")),
                          {QStringLiteral("watch"), winePath(tpl), QStringLiteral("COM5"), QStringLiteral("--units"),
                           winePath(units), QStringLiteral("--log"), winePath(log), QStringLiteral("--backups"),
                           winePath(m_home.filePath(QStringLiteral("backups"))), QStringLiteral("--settle"),
                           QStringLiteral("0")},
                          120000, QStringLiteral("ru_RU.UTF-8"));
    const QString said = QString::fromUtf8(r.out);
    QVERIFY2(r.status == 0, qPrintable(said + QString::fromUtf8(r.err)));
    QVERIFY2(said.contains(QStringLiteral("COM5  контроллер 1 (Объект Липова 4)  записан и проверен")), qPrintable(said));
    QCOMPARE(m_device.record().mid(90, 13), QByteArray("+380501000001"));
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray line = file.readAll();
    QVERIFY2(line.contains("\"result\":\"pass\"") && line.count('\n') == 1, line.constData());
}

// The sheet from tavrix-cli.exe says what the Linux one says, with the same fingerprint;
// a write leaves its snapshot in the local application data folder.
void TestWine::sheetsAndSnapshotsOnWindows()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    m_device.setRecord(generatedRecord(seed));
    m_device.setPacing(false);
    for (const char *format : {"pdf", "html"}) {
        const QString windowsSheet = m_home.filePath(QStringLiteral("windows.") + QLatin1String(format));
        const QString linuxSheet = m_home.filePath(QStringLiteral("linux.") + QLatin1String(format));
        const Result w = wine(stage(QStringLiteral("tavrix-cli.exe")),
                              {QStringLiteral("report"), QStringLiteral("COM5"), QStringLiteral("-o"), winePath(windowsSheet)});
        QVERIFY2(w.status == 0, w.err.constData());
        const Result l = linuxCli({QStringLiteral("report"), QStringLiteral("COM5"), QStringLiteral("-o"), linuxSheet});
        QVERIFY2(l.status == 0, l.err.constData());
        const QString print = QString::fromUtf8(l.err).section(QStringLiteral("fingerprint "), 1).left(12);
        QCOMPARE(QString::fromUtf8(w.err).section(QStringLiteral("fingerprint "), 1).left(12), print);
        if (QLatin1String(format) == QLatin1String("pdf")) {
            // The fingerprint in the document's information, as on Linux.
            QProcess pdfinfo;
            pdfinfo.start(QStringLiteral("pdfinfo"), {windowsSheet});
            QVERIFY(pdfinfo.waitForFinished(30000) && pdfinfo.exitCode() == 0);
            QVERIFY2(QString::fromUtf8(pdfinfo.readAllStandardOutput()).contains(QStringLiteral("Keywords:        ") + print),
                     qPrintable(print));
            // The Cyrillic text survives: the sheet brings its own font.
            QProcess text;
            text.start(QStringLiteral("pdftotext"), {windowsSheet, QStringLiteral("-")});
            QVERIFY(text.waitForFinished(30000) && text.exitCode() == 0);
            const QString words = QString::fromUtf8(text.readAllStandardOutput());
            QVERIFY2(words.contains(QStringLiteral("Конфигурация контроллера Tavrix")), qPrintable(words.left(2000)));
            continue;
        }
        QFile page(windowsSheet);
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(page.readAll());
        QVERIFY2(text.contains(QStringLiteral("Конфигурация контроллера Tavrix")) && text.contains(print)
                     && text.contains(QStringLiteral("Телефоны и SMS")),
                 qPrintable(text.left(2000)));
    }

    const QString file = m_home.filePath(QStringLiteral("snapshot-source.cfg"));
    QCOMPARE(linuxCli({QStringLiteral("read"), QStringLiteral("COM5"), QStringLiteral("-o"), file}).status, 0);
    const Result w = wine(stage(QStringLiteral("tavrix-cli.exe")), {QStringLiteral("write"), QStringLiteral("COM5"), winePath(file)});
    QVERIFY2(w.status == 0, (QByteArray::number(w.status) + ' ' + w.out + w.err).constData());
    const auto m = QRegularExpression(QStringLiteral("snapshot of what the controller held: (C:\\\\users\\\\[^\\\\]+\\\\AppData\\\\Local\\\\Tavrix\\\\backups\\\\\\d{8}-\\d{6}-COM5\\.cfg)"),
                                       QRegularExpression::CaseInsensitiveOption)
                       .match(QString::fromUtf8(w.err));
    QVERIFY2(m.hasMatch(), w.err.constData());
    QString unixPath = m.captured(1);
    unixPath.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QFile snapshot(m_prefix + QStringLiteral("/drive_c") + unixPath.mid(2));
    QVERIFY2(snapshot.open(QIODevice::ReadOnly), qPrintable(snapshot.fileName()));
    QFile original(file);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(snapshot.readAll(), original.readAll());
}

// A pulled adapter: the port disappears while the tool waits for the reply.
void TestWine::aPortThatGoesAwayEndsTheRun()
{
    sim::Simulator other;
    QVERIFY(other.start(m_home.filePath(QStringLiteral("pulled")), 6));
    sim::Simulator::Faults slow;
    slow.latencyMs = 5000;
    other.setFaults(slow);
    const QString com6 = m_prefix + QStringLiteral("/dosdevices/com6");
    QVERIFY(QFile::link(other.slavePath(), com6));
    auto unlink = qScopeGuard([&] { QFile::remove(com6); });
    connect(&other, &sim::Simulator::commandReceived, &other, [&other] { other.hangUp(); }, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    const Result r = wine(stage(QStringLiteral("tavrix-cli.exe")),
                          {QStringLiteral("read"), QStringLiteral("COM6"), QStringLiteral("-o"),
                           QStringLiteral("pulled.cfg"), QStringLiteral("--timeout"), QStringLiteral("30")},
                          120000, QStringLiteral("C"));
    QVERIFY2(r.status == 1, r.err.constData());
    QVERIFY2(r.err.contains("COM6: the port went away"), r.err.constData());
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
}

QString TestWine::x(const QStringList &args) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    process.setProcessEnvironment(env);
    process.start(args.first(), args.mid(1));
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QImage TestWine::screenshot() const
{
    const QString file = m_home.filePath(QStringLiteral("screen.png"));
    x({QStringLiteral("import"), QStringLiteral("-window"), QStringLiteral("root"), file});
    return QImage(file);
}

QString TestWine::waitForWindow(const QString &exactTitle, int timeoutMs)
{
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(exactTitle) + QLatin1Char('$');
    QString id;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        id = x({QStringLiteral("xdotool"), QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--name"), pattern})
                 .section(QLatin1Char('\n'), 0, 0);
        if (!id.isEmpty())
            break;
        QTest::qWait(200); // the simulator answers from this loop meanwhile
    }
    return id;
}

QPoint TestWine::clientOrigin(const QString &window) const
{
    // The X window Wine makes for a top-level window is its client area.
    const QString shell = x({QStringLiteral("xdotool"), QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    const QRegularExpressionMatch xm = QRegularExpression(QStringLiteral("X=(-?\\d+)")).match(shell);
    const QRegularExpressionMatch ym = QRegularExpression(QStringLiteral("Y=(-?\\d+)")).match(shell);
    return {xm.captured(1).toInt(), ym.captured(1).toInt()};
}

void TestWine::click(const QString &window, QPoint at) const
{
    const QPoint p = clientOrigin(window) + at;
    x({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()),
       QStringLiteral("click"), QStringLiteral("1")});
}

void TestWine::windowConnectsReadsAndWrites()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    const QByteArray held = generatedRecord(seed);

    // What the Linux window writes back after reading this controller.
    QByteArray linuxWritten;
    {
        sim::Simulator other;
        QVERIFY(other.start(m_home.filePath(QStringLiteral("linux-ports")), 9));
        other.setPacing(false);
        other.setRecord(held);
        RecordingDesktop desktop;
        TForm1 form(PortMap(m_home.filePath(QStringLiteral("linux-ports")), {}));
        form.control<QComboBox>("ComboBox1")->setCurrentIndex(form.portTable().indexOf(9));
        form.control<QPushButton>("OpenClose")->click();
        QTRY_VERIFY_WITH_TIMEOUT(form.control<QPushButton>("ButtWrite")->isEnabled(), 10000);
        QSignalSpy stored(&other, &sim::Simulator::recordChanged);
        form.control<QPushButton>("ButtWrite")->click();
        QVERIFY(stored.wait(10000));
        linuxWritten = other.record();
    }

    m_device.setRecord(held);
    QProcess window;
    window.setProcessEnvironment(wineEnvironment());
    window.start(QStringLiteral("wine"), {stage(QStringLiteral("tavrix-configurator.exe"))});
    auto stop = qScopeGuard([&] {
        window.kill();
        window.waitForFinished(10000);
    });
    const QString id = waitForWindow(QString::fromUtf8(kWindowTitle), 60000);
    QVERIFY2(!id.isEmpty(), "the window did not appear");
    const QString geometry = x({QStringLiteral("xdotool"), QStringLiteral("getwindowgeometry"), id});
    // The form keeps its 762 × 580; the window is taller by the menu bar above it and the
    // status bar below it. The menu bar ends where the dark banner begins.
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Geometry: (\\d+)x(\\d+)")).match(geometry);
    QVERIFY2(size.hasMatch() && size.captured(1).toInt() == 762, qPrintable(geometry));
    int bar = 0;
    QTRY_VERIFY_WITH_TIMEOUT(screenshot().pixelColor(clientOrigin(id) + QPoint(5, 40)).lightness() < 100, 10000);
    for (const QImage shot = screenshot(); bar < 60 && shot.pixelColor(clientOrigin(id) + QPoint(5, bar)).lightness() >= 100;)
        ++bar;
    QVERIFY2(bar >= 15 && bar <= 40, qPrintable(geometry));
    const int statusBar = size.captured(2).toInt() - 580 - bar;
    QVERIFY2(statusBar >= 15 && statusBar <= 40, qPrintable(geometry));
    const QPoint below(0, bar);

    auto blueInStatusLine = [&] {
        const QImage shot = screenshot();
        const QRect area = kStatusLine.translated(clientOrigin(id) + below);
        int blue = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                blue += c.blue() > 160 && c.red() < 90 && c.green() < 90;
            }
        }
        return blue;
    };
    QCOMPARE(blueInStatusLine(), 0);

    // Only COM5 is listed, so it is the one chosen.
    QSignalSpy commands(&m_device, &sim::Simulator::commandReceived);
    QSignalSpy replies(&m_device, &sim::Simulator::replySent);
    // Connected from the menu: "Контроллер", the second title along the bar, then its
    // first entry, "Соединиться".
    const QPoint origin = clientOrigin(id);
    const QImage bareBar = screenshot();
    QList<QPair<int, int>> titles; // runs of text along the bar, gaps between letters closed
    for (int column = 0, start = -1, last = -1; column < 420; ++column) {
        bool ink = false;
        for (int row = 3; row < bar - 3 && !ink; ++row)
            ink = bareBar.pixelColor(origin + QPoint(column, row)).lightness() < 100;
        if (ink) {
            if (start >= 0 && column - last > 10) {
                titles << qMakePair(start, last);
                start = -1;
            }
            if (start < 0)
                start = column;
            last = column;
        }
        if (column == 419 && start >= 0)
            titles << qMakePair(start, last);
    }
    QVERIFY2(titles.size() >= 2, "no menu titles on the bar");
    click(id, QPoint((titles[1].first + titles[1].second) / 2, bar / 2));
    const QPoint firstEntry(titles[1].first + 30, bar + 13);
    // The menu opens over the dark banner.
    QTRY_VERIFY_WITH_TIMEOUT(screenshot().pixelColor(origin + firstEntry).lightness() > 180, 10000);
    click(id, firstEntry);
    QVERIFY(replies.wait(20000));
    const QString box = waitForWindow(QStringLiteral("Конфигуратор Tavrix"), 20000);
    QVERIFY2(!box.isEmpty(), "no box after reading");
    QTRY_VERIFY_WITH_TIMEOUT(blueInStatusLine() > 20, 10000);
    QCOMPARE(commands.count(), 1);
    QCOMPARE(commands.first().first().toByteArray(), QByteArray("READ_SET"));
    screenshot().save(m_home.filePath(QStringLiteral("connected.png")));
    if (!qEnvironmentVariableIsEmpty("TAVRIX_WINE_SCREENSHOT"))
        screenshot().save(qEnvironmentVariable("TAVRIX_WINE_SCREENSHOT"));
    x({QStringLiteral("xdotool"), QStringLiteral("key"), QStringLiteral("--window"), box, QStringLiteral("Return")});
    QTRY_VERIFY_WITH_TIMEOUT(waitForWindow(QStringLiteral("Конфигуратор Tavrix"), 0).isEmpty(), 10000);

    QSignalSpy stored(&m_device, &sim::Simulator::recordChanged);
    click(id, kWriteButton + below);
    QVERIFY(stored.wait(20000));
    QCOMPARE(m_device.record(), linuxWritten);
}

void TestWine::windowFitsAScaledScreen()
{
    // At 150 % the window (762 × 580 and its menu bar) needs about 1143 × 900 device pixels:
    // more than this 1024 × 768 screen. It must fit the screen, and the pages scroll inside.
    const auto setDpi = [&](int dpi) {
        return wine(QStringLiteral("reg"), {QStringLiteral("add"), QStringLiteral("HKCU\\Control Panel\\Desktop"),
                                            QStringLiteral("/v"), QStringLiteral("LogPixels"), QStringLiteral("/t"),
                                            QStringLiteral("REG_DWORD"), QStringLiteral("/d"), QString::number(dpi),
                                            QStringLiteral("/f")})
            .status;
    };
    QCOMPARE(setDpi(144), 0);
    QProcess window;
    auto stop = qScopeGuard([&] {
        window.kill();
        window.waitForFinished(10000);
        setDpi(96);
    });
    window.setProcessEnvironment(wineEnvironment());
    window.start(QStringLiteral("wine"), {stage(QStringLiteral("tavrix-configurator.exe"))});
    const QString id = waitForWindow(QString::fromUtf8(kWindowTitle), 60000);
    QVERIFY2(!id.isEmpty(), "the window did not appear");

    const QString shell = x({QStringLiteral("xdotool"), QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    const auto value = [&](const char *key) {
        return QRegularExpression(QStringLiteral("%1=(-?\\d+)").arg(QLatin1String(key))).match(shell).captured(1).toInt();
    };
    const QRect frame(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
    // Larger than at 100 %, so the scale took effect, and yet wholly on the screen.
    QVERIFY2(frame.width() > 762 && frame.height() > 600, qPrintable(shell));
    QVERIFY2(QRect(0, 0, 1024, 768).contains(frame), qPrintable(shell));

    // The banner sits under the menu bar; the wheel over the scroll bar moves the pages up
    // until the connection bar stands where the banner was.
    const QPoint probe = frame.topLeft() + QPoint(frame.width() / 2, 150);
    const auto bannerBlue = [](const QColor &c) { return c.blue() > 120 && c.red() < 90; };
    QTRY_VERIFY_WITH_TIMEOUT(bannerBlue(screenshot().pixelColor(probe)), 10000);
    x({QStringLiteral("xdotool"), QStringLiteral("mousemove"), QString::number(frame.right() - 8),
       QString::number(frame.center().y())});
    for (int i = 0; i < 20; ++i)
        x({QStringLiteral("xdotool"), QStringLiteral("click"), QStringLiteral("5")});
    QTRY_VERIFY_WITH_TIMEOUT(!bannerBlue(screenshot().pixelColor(probe)), 10000);
}

void TestWine::installerInstallsAndUninstalls()
{
    const QString setup = QStringLiteral(TAVRIX_WINDOWS_SETUP);
    if (setup.isEmpty())
        QSKIP("no installer was built");
    QVERIFY(QFileInfo::exists(setup));
    QCOMPARE(wine(setup, {QStringLiteral("/S")}, 300000).status, 0);
    const QString folder = m_prefix + QStringLiteral("/drive_c/Program Files/Tavrix Configurator");
    const QString entry = m_prefix
        + QStringLiteral("/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Конфигуратор Tavrix.lnk");
    QVERIFY(QFileInfo::exists(folder + QStringLiteral("/tavrix-configurator.exe")));
    QVERIFY(QFileInfo::exists(entry));
    const Result version = wine(QStringLiteral("C:\\Program Files\\Tavrix Configurator\\tavrix-cli.exe"),
                                {QStringLiteral("--version")});
    QCOMPARE(version.status, 0);
    QVERIFY2(version.out.startsWith("tavrix-cli 2.0"), version.out.constData());
    const QString key = QStringLiteral("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TavrixConfigurator");
    const Result listed = wine(QStringLiteral("reg"), {QStringLiteral("query"), key, QStringLiteral("/v"),
                                                       QStringLiteral("DisplayVersion")});
    QVERIFY2(listed.out.contains("2.0"), listed.out.constData());

    // The uninstaller runs from a copy of itself and returns at once.
    // Installed, the copy checks out; the uninstaller the installer wrote is signed as
    // the installer is.
    const Result selftest = wine(QStringLiteral("C:\\Program Files\\Tavrix Configurator\\tavrix-cli.exe"),
                                 {QStringLiteral("selftest")});
    QVERIFY2(selftest.status == 0, (selftest.out + selftest.err).constData());
    if (!QStringLiteral(TAVRIX_WINDOWS_SIGN_CA).isEmpty()) {
        for (const QString &file : {setup, folder + QStringLiteral("/uninstall.exe")}) {
            const ProcessRun verify = signatureCheck(file);
            QVERIFY2(verify.status == 0, qPrintable(file + QLatin1Char('\n') + QString::fromUtf8(verify.out)));
        }
    }
    QCOMPARE(wine(QStringLiteral("C:\\Program Files\\Tavrix Configurator\\uninstall.exe"), {QStringLiteral("/S")}).status,
             0);
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(folder), 120000);
    QVERIFY(!QFileInfo::exists(entry));
    QVERIFY(wine(QStringLiteral("reg"), {QStringLiteral("query"), key}).status != 0);
}

void TestWine::selftestNamesATamperedDll()
{
    // A copy of the staged folder with one DLL changed by a byte and a plugin nobody shipped.
    const QString copy = m_home.filePath(QStringLiteral("tampered"));
    QVERIFY(QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), QStringLiteral(TAVRIX_WINDOWS_STAGE), copy}) == 0);
    QFile dll(copy + QStringLiteral("/Qt6Widgets.dll"));
    QVERIFY(dll.open(QIODevice::ReadWrite));
    QVERIFY(dll.seek(dll.size() / 2));
    char byte = 0;
    QVERIFY(dll.getChar(&byte));
    QVERIFY(dll.seek(dll.size() / 2));
    QVERIFY(dll.putChar(char(byte ^ 1)));
    dll.close();
    QVERIFY(QFile::copy(copy + QStringLiteral("/platforms/qwindows.dll"), copy + QStringLiteral("/platforms/qextra.dll")));

    const Result r = wine(copy + QStringLiteral("/tavrix-cli.exe"), {QStringLiteral("selftest")}, 120000, QStringLiteral("C"));
    const QString said = QString::fromUtf8(r.out);
    QVERIFY2(r.status == 1, qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("changed: Qt6Widgets.dll")), qPrintable(said));
    QVERIFY2(said.contains(QStringLiteral("not shipped, yet Qt would load it: platforms/qextra.dll")), qPrintable(said));
    // Nothing else is named: the other files are as shipped.
    QCOMPARE(said.count(QRegularExpression(QStringLiteral("(?m)^(changed|missing|not shipped)"))), 2);
    QVERIFY2(said.contains(QStringLiteral("The program's files are NOT intact.")), qPrintable(said));
}

TestWine::ProcessRun TestWine::signatureCheck(const QString &file) const
{
    QProcess verify;
    verify.setProcessChannelMode(QProcess::MergedChannels);
    verify.start(QStringLiteral("osslsigncode"), {QStringLiteral("verify"), QStringLiteral("-CAfile"),
                                                  QStringLiteral(TAVRIX_WINDOWS_SIGN_CA), QStringLiteral("-in"), file});
    if (!verify.waitForFinished(120000))
        return {};
    return {verify.exitStatus() == QProcess::NormalExit ? verify.exitCode() : -1, verify.readAll()};
}

void TestWine::everyFileIsSigned()
{
    if (QStringLiteral(TAVRIX_WINDOWS_SIGN_CA).isEmpty())
        QSKIP("the Windows build was not signed (TAVRIX_WINDOWS_SIGN_CA names no CA)");
    QStringList files;
    QDirIterator it(QStringLiteral(TAVRIX_WINDOWS_STAGE), {QStringLiteral("*.exe"), QStringLiteral("*.dll")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    QVERIFY(files.size() >= 6);
    for (const QString &file : std::as_const(files)) {
        const ProcessRun verify = signatureCheck(file);
        QVERIFY2(verify.status == 0, qPrintable(file + QLatin1Char('\n') + QString::fromUtf8(verify.out)));
    }
    // A signed file changed afterwards no longer passes.
    const QString changed = m_home.filePath(QStringLiteral("changed-after-signing.dll"));
    QFile::remove(changed);
    QVERIFY(QFile::copy(stage(QStringLiteral("Qt6Core.dll")), changed));
    QFile dll(changed);
    QVERIFY(dll.open(QIODevice::ReadWrite));
    QVERIFY(dll.seek(4096));
    char byte = 0;
    QVERIFY(dll.getChar(&byte));
    QVERIFY(dll.seek(4096));
    QVERIFY(dll.putChar(char(byte ^ 1)));
    dll.close();
    const ProcessRun tampered = signatureCheck(changed);
    QVERIFY2(tampered.status > 0, tampered.out.constData());
}

QTEST_MAIN(TestWine)
#include "tst_wine.moc"
