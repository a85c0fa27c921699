// tavrix-cli against simulated controllers: the record it writes is the window's, and
// its exit statuses.
#include "generated.h"

#include "app/configurationmenu.h"
#include "app/tform1.h"
#include "cli/devicejob.h"
#include "config/configform.h"
#include "config/writeplan.h"
#include "records/blocks.h"
#include "records/records.h"
#include "records/settingsfields.h"
#include "protocol/settingsreply.h"
#include "sim/simulator.h"
#include "tests/support/recordingdesktop.h"
#include "tests/support/scriptedline.h"
#include "tests/support/startrecord.h"
#include "ui/widgetcontrols.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QCryptographicHash>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace config;

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writesTheRecordTheWindowSends_data();
    void writesTheRecordTheWindowSends();
    void jobOverTheScriptedLine_data();
    void jobOverTheScriptedLine();
    void exitStatuses_data();
    void exitStatuses();
    void readsSeveralPortsIntoAFolder();
    void siteBookFollowsTheToolsWork();
    void backupsAndTheFactoryFileRestore();
    void eachPortTakesItsOwnTime();
    void watchEndsAfterTheUnitInProgressOnInterrupt();
    void lineFaultsOfTheWindowsMatrix_data();
    void lineFaultsOfTheWindowsMatrix();
    void unusualControllersAreBackedUpAndRestored_data();
    void unusualControllersAreBackedUpAndRestored();

private:
    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };

    sim::Simulator *startSim(int com);
    // `locale`: the variables that choose the program's language (LANG=..., LANGUAGE=...);
    // none is English, as on a machine where nothing is set.
    // `terminal`: stdout and stderr are one pseudo-terminal, read as out.
    Result cli(const QStringList &args, const QStringList &locale = {}, bool terminal = false);
    QString writeFile(const QString &name, const QByteArray &text);

    std::unique_ptr<QTemporaryDir> m_home;
    std::vector<std::unique_ptr<sim::Simulator>> m_sims;
    QString m_defaultPorts;
    QString m_stateHome; // where the program keeps its snapshots; the test's own folder unless set
};

void TestCli::init()
{
    m_home = std::make_unique<QTemporaryDir>();
}

void TestCli::cleanup()
{
    m_sims.clear();
    m_home.reset();
    m_defaultPorts.clear();
    m_stateHome.clear();
}

sim::Simulator *TestCli::startSim(int com)
{
    auto device = std::make_unique<sim::Simulator>();
    if (!device->start(m_home->filePath(QStringLiteral("tavrix/ports")), com))
        return nullptr;
    device->setPacing(false);
    m_sims.push_back(std::move(device));
    return m_sims.back().get();
}

TestCli::Result TestCli::cli(const QStringList &args, const QStringList &locale, bool terminal)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        env.remove(QString::fromLatin1(name));
    for (const QString &setting : locale)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->path());
    // Only the simulators' links: no port of the machine is opened.
    env.insert(QStringLiteral("TAVRIX_DEFAULT_PORTS"), m_defaultPorts);
    // The site book of the run: the test's own folder.
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home->filePath(QStringLiteral("data")));
    env.remove(QStringLiteral("TAVRIX_BOOK"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), m_stateHome.isEmpty() ? m_home->filePath(QStringLiteral("state")) : m_stateHome);
    process.setProcessEnvironment(env);
    QSignalSpy finished(&process, &QProcess::finished);
    if (terminal) {
        // script(1) gives the program a pseudo-terminal and passes on its exit status.
        QStringList words{QStringLiteral(TAVRIX_CLI_PATH)};
        words << args;
        for (QString &word : words)
            word = QLatin1Char('\'') + word.replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
        process.start(QStringLiteral("script"), {QStringLiteral("-qec"), words.join(QLatin1Char(' ')), QStringLiteral("/dev/null")});
    } else {
        process.start(QStringLiteral(TAVRIX_CLI_PATH), args);
    }
    // The simulators answer from this event loop while the program runs.
    if (!finished.wait(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QString TestCli::writeFile(const QString &name, const QByteArray &text)
{
    const QString path = m_home->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

void TestCli::writesTheRecordTheWindowSends_data()
{
    QTest::addColumn<bool>("fullFile");
    for (int round = 0; round < 3; ++round)
        QTest::addRow("generated file %d", round) << true;
    QTest::newRow("template") << false;
}

void TestCli::writesTheRecordTheWindowSends()
{
    QFETCH(bool, fullFile);
    const Catalog &catalog = windowCatalog();
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator g(seed);

    // What the controllers hold before, all alike.
    ConfigForm held;
    catalog.apply(held.controls(), generatedConfiguration(catalog, g));
    const QByteArray before = records::buildSettings(held.controls());

    ConfigForm wanted;
    catalog.apply(wanted.controls(), generatedConfiguration(catalog, g));
    // As the window saves it: what a write of those controls stores.
    Configuration cfg = storedForm(wanted.controls());
    if (!fullFile) {
        Configuration part;
        for (const char *name : {"Edit1", "Edit34", "ComboBox22", "CheckBox3", "RadioButton27"})
            part.set(QString::fromLatin1(name), cfg.value(QString::fromLatin1(name)));
        part.set(QStringLiteral("RadioButton26"), QStringLiteral("0"));
        part.set(QStringLiteral("RadioButton27"), QStringLiteral("1"));
        cfg = part;
    }
    const QString file = writeFile(QStringLiteral("wanted.cfg"), catalog.render(cfg));

    QList<sim::Simulator *> devices;
    for (int com : {3, 4, 5, 6, 7}) {
        devices << startSim(com);
        QVERIFY(devices.last());
        devices.last()->setRecord(before);
    }

    // The window reads its controller, takes the file and writes.
    RecordingDesktop desktop;
    TForm1 form(PortMap(m_home->filePath(QStringLiteral("tavrix/ports")), {}));
    form.control<QComboBox>("ComboBox1")->setCurrentIndex(form.portTable().indexOf(7));
    form.control<QPushButton>("OpenClose")->click();
    QTRY_VERIFY_WITH_TIMEOUT(form.control<QPushButton>("ButtWrite")->isEnabled(), 10000);
    QVERIFY(form.findChild<ConfigurationMenu *>()->openFrom(file));
    QSignalSpy stored(devices.last(), &sim::Simulator::recordChanged);
    form.control<QPushButton>("ButtWrite")->click();
    QVERIFY(stored.wait(10000));
    const QByteArray windowRecord = devices.last()->record();
    if (!fullFile)
        QVERIFY(windowRecord != before);

    const Result r = cli({QStringLiteral("write"), QStringLiteral("COM3"), QStringLiteral("COM4"), QStringLiteral("COM5"),
                          QStringLiteral("COM6"), file});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    for (int i = 0; i < 4; ++i)
        QVERIFY2(devices[i]->record() == windowRecord, qPrintable(QStringLiteral("seed %1, COM%2").arg(seed).arg(3 + i)));
}

void TestCli::exitStatuses_data()
{
    QTest::addColumn<QStringList>("args"); // GOOD, OTHER, BAD, OUT and TRACE stand for files
    QTest::addColumn<QString>("fault");    // what the controller does wrong, see below
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("shown");    // a pattern on stdout
    QTest::addColumn<QString>("said");     // a pattern on stderr

    const QString none;
    QTest::newRow("diff of equal files") << QStringList{"diff", "GOOD", "GOOD"} << none << 0 << "" << "";
    QTest::newRow("diff of differing files") << QStringList{"diff", "GOOD", "OTHER"} << none << 3 << "ComboBox22" << "";
    QTest::newRow("diff shows each control's caption by its name")
        << QStringList{"diff", "GOOD", "OTHER"} << none << 3 << "Page +Caption +Name +\\S+ +\\S+\nНастройки +Время работы сирены +ComboBox22 +4 \\(40 сек\\.\\) +8 " << "";
    QTest::newRow("diff of a file naming controls as the window does") << QStringList{"diff", "NAMED", "GOOD"} << none << 3
                                                                        << "Время работы сирены +ComboBox22 " << "";
    QTest::newRow("diff of a port and a file") << QStringList{"diff", "COM3", "OTHER"} << none << 3 << "ComboBox22" << "";
    QTest::newRow("verified write") << QStringList{"write", "COM3", "GOOD", "--verify"} << none << 0 << ""
                                    << "COM3: written and verified";
    QTest::newRow("verify finds the changed byte")
        << QStringList{"write", "COM3", "GOOD", "--verify"} << "store ComboBox22 changed" << 3
        << "\\b20 .*ComboBox22 .*'4' +'5'" << "1 byte";
    // The reader stops at the first space, so only the bytes show this one.
    QTest::newRow("verify finds a changed padding byte")
        << QStringList{"write", "COM3", "GOOD", "--verify"} << "store 99 changed" << 3
        << "\\b99 .*Edit1 .*padding.*' ' +'0'" << "COM3: written, but 1 byte";
    QTest::newRow("verify as JSON") << QStringList{"write", "COM3", "GOOD", "--verify", "--json"}
                                    << "store ComboBox22 changed" << 3 << "\"name\": \"ComboBox22\"" << "";
    QTest::newRow("a reply shifted once is asked again") << QStringList{"write", "COM3", "GOOD"}
                                                         << "READ_SET_ before the first reply" << 0 << ""
                                                         << "malformed, asking again: the reply word READ_SET_ "
                                                            "stands inside the record at offset 0";
    QTest::newRow("every reply shifted: nothing written")
        << QStringList{"write", "COM3", "GOOD", "--timeout", "3"} << "READ_SET_ before every reply" << 1 << ""
        << "COM3: every answer to READ_SET within 3 s was malformed.*READ_SET_ stands inside.*nothing written";
    QTest::newRow("read: every reply cut short, nothing saved")
        << QStringList{"read", "COM3", "-o", "OUT", "--timeout", "3"} << "every reply cut to 300 bytes" << 1 << ""
        << "COM3: every answer to READ_SET within 3 s was malformed.*291 characters.*nothing saved";
    QTest::newRow("diff: every reply cut short") << QStringList{"diff", "COM3", "GOOD", "--timeout", "3"}
                                                 << "every reply cut to 300 bytes" << 1 << "" << "COM3: .*291 characters";
    QTest::newRow("audit: every reply cut short") << QStringList{"audit", "COM3", "HELD", "--timeout", "3"}
                                                  << "every reply cut to 300 bytes" << 1 << "" << "COM3: .*291 characters";
    QTest::newRow("a reply short of the fixed part") << QStringList{"write", "COM3", "GOOD", "--timeout", "3"}
                                                     << "every reply cut to 300 bytes" << 1 << ""
                                                     << "COM3: .*291 characters, fewer than the 567";
    QTest::newRow("a write is recorded in the site book")
        << QStringList{"write", "COM3", "GOOD", "--verify"} << none << 0 << ""
        << "COM3: recorded in the site book as [0-9a-f]{8} \\(unassigned\\)";
    QTest::newRow("write under a site the book lacks: nothing written")
        << QStringList{"write", "COM3", "GOOD", "--site", "Петров"} << none << 2 << ""
        << "--site: the book has no site named Петров \\(book add makes one\\)";
    QTest::newRow("read under a site the book lacks: nothing saved")
        << QStringList{"read", "COM3", "-o", "OUT", "--site", "Петров/Склад"} << none << 2 << "" << "no site named Петров";
    QTest::newRow("a shared book out of reach never stops a write")
        << QStringList{"write", "COM3", "GOOD", "--site", "Петров", "--book", "postgresql://nobody@%2Fnonexistent:1/none"}
        << none << 0 << "" << "(?s)cannot be reached.*outbox.*COM3: recorded in the site book as [0-9a-f]{8} \\(Петров/Основной\\)";
    QTest::newRow("--site names one controller")
        << QStringList{"write", "COM3", "COM4", "GOOD", "--site", "Петров"} << none << 2 << "" << "--site names one controller";
    QTest::newRow("--site does not belong to diff")
        << QStringList{"diff", "GOOD", "GOOD", "--site", "Петров"} << none << 2 << "" << "--site belongs to report, read, write and audit";
    QTest::newRow("--address belongs to the book")
        << QStringList{"read", "COM3", "-o", "OUT", "--address", "Лесная 5"} << none << 2 << "" << "--address belongs to book add";
    QTest::newRow("a configuration file is not a book")
        << QStringList{"book", "sites", "--book", "GOOD"} << none << 2 << "" << "good.cfg is not a site book";
    QTest::newRow("book: an unknown revision") << QStringList{"book", "show", "deadbeef"} << none << 1 << ""
                                               << "the book has no revision or site deadbeef";
    QTest::newRow("book: an unknown command") << QStringList{"book", "frob"} << none << 2 << "" << "unknown book command 'frob'";
    QTest::newRow("book: --all belongs to book sites") << QStringList{"book", "site", "Петров", "--all"} << none << 2 << ""
                                                       << "--all belongs to ports and book sites";
    QTest::newRow("book: archiving a site the book lacks") << QStringList{"book", "archive", "Петров"} << none << 1 << ""
                                                           << "the book has no site named Петров";
    QTest::newRow("book: export needs a file") << QStringList{"book", "export"} << none << 2 << "" << "book export needs -o FILE";
    QTest::newRow("book: a usage error as JSON") << QStringList{"book", "site", "--json"} << none << 2
                                                 << "\"status\": 2" << "book site takes one site name";
    QTest::newRow("book: a shared book without a server")
        << QStringList{"book", "sync", "--book", "postgresql://nobody@%2Fnonexistent:1/none"} << none << 2 << ""
        << "(cannot be reached|no PostgreSQL driver)";
    QTest::newRow("the record's forms change named values")
        << QStringList{"write", "COM3", "FORMS"} << none << 0 << ""
        << "(?s)COM3: the record stores Edit1 \"\" becomes \"\\+380\" \\(line 2;.*"
           "COM3: the record stores Edit19 \"\" becomes \"TVX4\" \\(line 3;";
    QTest::newRow("write with a trace") << QStringList{"write", "COM3", "GOOD", "--trace", "TRACE"} << none << 0
                                        << "" << "";
    QTest::newRow("factory configuration as JSON") << QStringList{"defaults", "--json"} << none << 0
                                                  << "\"name\": \"ComboBox22\"" << "";
    QTest::newRow("factory file says where it went") << QStringList{"defaults", "-o", "OUT"} << none << 0 << "^$"
                                                    << "^Factory configuration written to .*/out\\.cfg\n$";
    QTest::newRow("factory file says where it went, in Russian") << QStringList{"defaults", "-o", "OUT"} << "russian" << 0
                                                                << "^$" << "^Заводская конфигурация записана в .*/out\\.cfg\n$";
    // Every word of the Russian help is Russian, but the names typed as they stand.
    QTest::newRow("help in Russian") << QStringList{"--help"} << "russian" << 0
                                     << "^(?=[\\s\\S]*\nАргументы:\n)(?:[^A-Za-z]|--?[a-z]+(?:-[a-z]+)*|(?:tavrix-cli|ports|read|"
                                        "write|diff|show|defaults|watch|report|audit|serve|selftest|COMn|COM|Tavrix|JSON|CSV|SMS|N|Qt|LANGUAGE=ru|"
                                        "rfc2217|socket|RFC|Telnet|TCP|"
                                        "LANGUAGE=en|csv|jsonl|pdf|html|cfg|book|sites|site|add|edit|archive|unarchive|unassigned|assign|export|import|sync|"
                                        "auto|URL|TAVRIX_BOOK|postgresql)(?![A-Za-z]))+$" << "^$";
    QTest::newRow("factory file with a JSON result") << QStringList{"defaults", "-o", "OUT", "--json"} << none << 0
                                                     << "\"file\":" << "";
    QTest::newRow("diff as JSON") << QStringList{"diff", "GOOD", "OTHER", "--json"} << none << 3
                                  << "\"b\": \"8\"" << "";
    // COM49 has no link, and the default table is empty.
    QTest::newRow("no such port") << QStringList{"write", "COM49", "GOOD"} << none << 1 << "" << "COM49: no such port";
    QTest::newRow("link to a device that has gone") << QStringList{"read", "COM3", "-o", "OUT"} << "link gone" << 1
                                                   << "" << "COM3: .*/unplugged, which does not exist";
    // The person's words first, the protocol's after; no waiting line where no one watches.
    QTest::newRow("silent controller") << QStringList{"read", "COM3", "-o", "OUT", "--timeout", "3"} << "silent" << 1 << ""
                                       << "^(?![\\s\\S]*waiting)COM3: the controller does not answer — check the cable, power and "
                                          "port number \\(no answer to READ_SET within 3 s\\); nothing saved \\(";
    QTest::newRow("silent controller, in Russian") << QStringList{"read", "COM3", "-o", "OUT", "--timeout", "3"}
                                                   << "russian silent" << 1 << ""
                                                   << "^COM3: контроллер не отвечает — проверьте кабель, питание и номер порта "
                                                      "\\(нет ответа на READ_SET за 3 с\\); ничего не сохранено \\(";
    // On a terminal a line counts the seconds in place, and is wiped before the outcome.
    QTest::newRow("silent controller, on a terminal") << QStringList{"read", "COM3", "-o", "OUT", "--timeout", "3"}
                                                      << "terminal silent" << 1
                                                      << "^\rCOM3: waiting for the controller's answer… 1 s\r"
                                                         "COM3: waiting for the controller's answer… 2 s\r +\r"
                                                         "COM3: the controller does not answer" << "^$";
    QTest::newRow("one port of two fails") << QStringList{"write", "COM3", "COM49", "GOOD"} << none << 1 << "" << "";
    QTest::newRow("malformed file") << QStringList{"write", "COM3", "BAD"} << none << 2 << "" << "";
    QTest::newRow("read into a folder yet to be made") << QStringList{"read", "COM3", "-o", "NEWDIR/"} << none << 0
                                                       << "" << "";
    QTest::newRow("read without -o") << QStringList{"read", "COM3"} << none << 2 << "" << "";
    QTest::newRow("COM number out of range") << QStringList{"read", "COM51", "-o", "OUT"} << none << 2 << "" << "";
    QTest::newRow("unknown command") << QStringList{"burn", "COM3"} << none << 2 << "" << "";
    QTest::newRow("trace file that cannot be made") << QStringList{"read", "COM3", "-o", "OUT", "--trace", "NEWDIR/"}
                                                    << none << 2 << "" << "--trace";
    QTest::newRow("show a file") << QStringList{"show", "GOOD"} << none << 0 << "Время работы сирены" << "";
    QTest::newRow("show a file in Russian: the captions alone") << QStringList{"show", "GOOD"} << "russian" << 0
                                                                << "(?!.*siren)Время работы сирены +ComboBox22 " << "";
    QTest::newRow("read to stdout") << QStringList{"read", "COM3", "-o", "-"} << none << 0 << "ComboBox22 = 6" << "";
    QTest::newRow("read to stdout as JSON") << QStringList{"read", "COM3", "-o", "-", "--json"} << none << 0
                                            << "\"controls\"" << "";
    QTest::newRow("rules change a named value") << QStringList{"write", "COM3", "RULES", "--json"} << none << 0
                                                << "\"name\": \"CheckBox1\"" << "";
    QTest::newRow("usage error as JSON") << QStringList{"burn", "COM3", "--json"} << none << 2 << "\"error\"" << "";
    QTest::newRow("unknown option as JSON") << QStringList{"read", "COM3", "--jsn", "--json"} << none << 2
                                            << "unknown option" << "";
    QTest::newRow("folder error as JSON") << QStringList{"read", "COM3", "-o", "NOFOLDER/", "--json"} << none << 2
                                          << "cannot make the folder" << "";
    QTest::newRow("file error as JSON") << QStringList{"write", "COM3", "BAD", "--json"} << none << 2 << "\"line\": 2" << "";
    QTest::newRow("timeout below 0.1 s") << QStringList{"read", "COM3", "-o", "-", "--timeout", "0.05"} << none << 2 << "" << "";
    QTest::newRow("timeout not finite") << QStringList{"read", "COM3", "-o", "-", "--timeout", "inf"} << none << 2 << "" << "";
    QTest::newRow("timeout not a number") << QStringList{"read", "COM3", "-o", "-", "--timeout", "nan"} << none << 2 << "" << "";
    QTest::newRow("file larger than 1 MiB") << QStringList{"write", "COM3", "HUGE"} << none << 2 << "" << "";
    QTest::newRow("watch checks every row") << QStringList{"watch", "GOOD", "--units", "UNITS", "--check"} << none << 0
                                            << "line 3 \\(B\\): Edit1 = \\+380501000002" << "";
    QTest::newRow("watch takes columns named as the window does")
        << QStringList{"watch", "GOOD", "--units", "NAMEDUNITS", "--check"} << none << 0
        << "line 2 \\(A\\): Edit1 = \\+380501000001, Edit31 = 1234\n" << "";
    QTest::newRow("watch refuses a bad row before any port")
        << QStringList{"watch", "GOOD", "COM3", "--units", "BADUNITS"} << none << 2 << ""
        << "badunits.csv: line 3, column Edit1: ";
    QTest::newRow("watch without the log's folder") << QStringList{"watch", "GOOD", "COM3", "--log", "NOLOGDIR"}
                                                    << none << 2 << "" << "the log's folder .* does not exist";
    QTest::newRow("watch one unit") << QStringList{"watch", "GOOD", "COM3", "--count", "1", "--settle", "0",
                                                   "--backups", "NEWDIR/", "--log", "LOG"}
                                    << none << 0 << "COM3  controller 1  written and verified  \\d+\\.\\d s\n(.|\n)*Total: 1 written, 0 failed, median" << "";
    QTest::newRow("watch summary as JSON")
        << QStringList{"watch", "GOOD", "COM3", "--count", "1", "--settle", "0", "--backups", "NEWDIR/", "--json"}
        << none << 0 << "\"passed\": 1" << "COM3  controller 1  written and verified";
    QTest::newRow("--units outside watch") << QStringList{"read", "COM3", "-o", "OUT", "--units", "UNITS"} << none << 2
                                           << "" << "--units belongs to watch";
    QTest::newRow("watch count not a number") << QStringList{"watch", "GOOD", "--count", "many"} << none << 2 << ""
                                              << "--count takes";
    QTest::newRow("write saves a snapshot first") << QStringList{"write", "COM3", "GOOD"} << none << 0 << ""
                                                  << "COM3: snapshot of what the controller held: .*/\\d{8}-\\d{6}-COM3\\.cfg\n";
    QTest::newRow("snapshot in JSON") << QStringList{"write", "COM3", "GOOD", "--json"} << none << 0
                                      << "\"snapshot\": \".*COM3\\.cfg\"" << "";
    QTest::newRow("snapshot folder cannot be made: nothing written") << QStringList{"write", "COM3", "GOOD"} << "state blocked"
                                                                     << 2 << "" << "cannot be saved in .*blocker.*; nothing written";
    QTest::newRow("audit of the file it holds") << QStringList{"audit", "COM3", "HELD"} << none << 0 << "^COM3 matches " << "";
    QTest::newRow("audit of a file one value apart") << QStringList{"audit", "COM3", "GOOD"} << none << 3 << "ComboBox22" << "";
    QTest::newRow("audit, one byte changed in the controller") << QStringList{"audit", "COM3", "HELD"} << "held byte changed"
                                                               << 3 << "ComboBox22" << "";
    QTest::newRow("audit of its own sheet") << QStringList{"audit", "COM3", "SHEET"} << none << 0 << "^COM3 matches " << "";
    QTest::newRow("audit of a sheet, one byte changed") << QStringList{"audit", "COM3", "SHEET"} << "held byte changed" << 3
                                                        << "fingerprint is [0-9a-f]{12}, the sheet's [0-9a-f]{12}" << "";
    QTest::newRow("audit of another configuration's sheet") << QStringList{"audit", "COM3", "OTHERSHEET"} << none << 3
                                                            << "fingerprint is [0-9a-f]{12}, the sheet's [0-9a-f]{12}" << "";
    QTest::newRow("audit as JSON") << QStringList{"audit", "COM3", "GOOD", "--json"} << none << 3 << "\"matches\": false" << "";
    QTest::newRow("audit of a page that is no sheet") << QStringList{"audit", "COM3", "PLAINPAGE"} << none << 2 << ""
                                                      << "without a configuration sheet's fingerprint";
    QTest::newRow("report to a name that is no sheet") << QStringList{"report", "GOOD", "-o", "OUT"} << none << 2 << "" << "";
    QTest::newRow("--mask outside report") << QStringList{"read", "COM3", "-o", "OUT", "--mask"} << none << 2 << "" << "";
    QTest::newRow("--installer outside report") << QStringList{"read", "COM3", "-o", "OUT", "--installer", "Петренко"} << none
                                                << 2 << "" << "--installer belongs to report";
    // The ports there are, every number with --all; the tool's words follow the user's
    // language (fault "russian": LANG=ru_RU.UTF-8, "LANGUAGE=en": English over it).
    QTest::newRow("ports: the ports there are")
        << QStringList{"ports"} << none << 0
        << "^Ports folder: .*\n\nCOM +Device +Free +Details\nCOM3 +/dev/pts/\\d+ +yes +pseudo-terminal · through the link "
           "[^\n]*/com3\n$" << "^$";
    QTest::newRow("ports --all: every number") << QStringList{"ports", "--all"} << none << 0
                                               << "\nCOM1 +— +no +no device\n(.|\n)*\nCOM3 +/dev/pts/(.|\n)*"
                                                  "\nCOM50 +— +no +no device\n$" << "";
    QTest::newRow("ports as JSON: the ports there are") << QStringList{"ports", "--json"} << none << 0
                                                        << "^(?!(.|\n)*COM49)(.|\n)*\"port\": \"COM3\"" << "";
    QTest::newRow("ports --all as JSON") << QStringList{"ports", "--all", "--json"} << none << 0
                                         << "\"port\": \"COM50\",\n *\"state\": \"no device\"" << "";
    QTest::newRow("--all outside ports") << QStringList{"read", "COM3", "-o", "OUT", "--all"} << none << 2 << ""
                                         << "--all belongs to ports";
    QTest::newRow("ports in Russian")
        << QStringList{"ports", "--all"} << "russian" << 0
        << "^Папка ссылок: .*\n\nCOM +Устройство +Свободен +Подробности\nCOM1 +— +нет +нет устройства\n(.|\n)*"
           "\nCOM3 +/dev/pts/\\d+ +да +псевдотерминал · по ссылке " << "^$";
    QTest::newRow("ports: LANGUAGE=en over a Russian locale") << QStringList{"ports"} << "LANGUAGE=en" << 0
                                                               << "\nCOM +Device +Free +Details\n" << "";
    QTest::newRow("no such port, in Russian") << QStringList{"write", "COM49", "GOOD"} << "russian" << 1 << ""
                                              << "^COM49: нет такого порта \\(\\d\\.\\d\\d с\\)\n$";
    QTest::newRow("usage error in Russian") << QStringList{"burn", "COM3"} << "russian" << 2 << ""
                                            << "^tavrix-cli: неизвестная команда «burn» \\(см. tavrix-cli --help\\)\n$";
    QTest::newRow("a verify's table in Russian")
        << QStringList{"write", "COM3", "GOOD", "--verify"} << "russian store ComboBox22 changed" << 3
        << "Смещение +Имя +Страница +Подпись +Записано +Прочитано\n" << "COM3: записан, но при чтении отличаются";
    QTest::newRow("watch one unit in Russian")
        << QStringList{"watch", "GOOD", "COM3", "--count", "1", "--settle", "0", "--backups", "NEWDIR/"} << "russian"
        << 0 << "^Слежу за COM3; резервные копии в .*\nCOM3  контроллер 1  записан и проверен  \\d+\\.\\d с\n"
                "Итого: записано 1, ошибок 0, " << "";
    QTest::newRow("endless device as a file") << QStringList{"diff", "/dev/zero", "GOOD"} << none << 2 << "" << "";
}

void TestCli::exitStatuses()
{
    QFETCH(QStringList, args);
    QFETCH(QString, fault);
    QFETCH(int, status);
    QFETCH(QString, shown);
    QFETCH(QString, said);
    // A terminal and a language for the run, then the fault itself.
    const bool terminal = fault.startsWith(QLatin1String("terminal "));
    if (terminal)
        fault = fault.mid(9);
    QStringList locale;
    if (fault.startsWith(QLatin1String("russian"))) {
        locale << QStringLiteral("LANG=ru_RU.UTF-8");
        fault = fault.mid(8);
    } else if (fault.startsWith(QLatin1String("LANGUAGE="))) {
        locale << QStringLiteral("LC_ALL=ru_RU.UTF-8") << fault;
        fault.clear();
    }

    const Catalog &catalog = windowCatalog();
    ConfigForm form;
    Configuration cfg = storedForm(form.controls());
    cfg.set(QStringLiteral("ComboBox22"), QStringLiteral("4"));
    catalog.apply(form.controls(), cfg);
    const QByteArray goodRecord = records::buildSettings(form.controls());
    const QString good = writeFile(QStringLiteral("good.cfg"), catalog.render(cfg));
    cfg.set(QStringLiteral("ComboBox22"), QStringLiteral("8"));
    const QString other = writeFile(QStringLiteral("other.cfg"), catalog.render(cfg));
    const QString bad = writeFile(QStringLiteral("bad.cfg"), "# tavrix-configuration 1\nComboBox22 = 12\n");
    const QString rules = writeFile(QStringLiteral("rules.cfg"), "# tavrix-configuration 1\nCheckBox1 = 0\nCheckBox3 = 1\n");
    // Lines of a configuration, fifty times the 1 MiB a file may have.
    const QString huge = writeFile(QStringLiteral("huge.cfg"), "# tavrix-configuration 1\n" + QByteArray(50 << 20, '#'));
    // A file that makes a folder impossible: NOFOLDER/ would have to be made inside it.
    const QString blocker = writeFile(QStringLiteral("blocker"), "x");
    const QString trace = m_home->filePath(QStringLiteral("trace.txt"));
    const QString forms = writeFile(QStringLiteral("forms.cfg"), "# tavrix-configuration 1\nEdit1 = \"\"\nEdit19 = \"\"\n");
    const QString units = writeFile(QStringLiteral("units.csv"), "unit,Edit1\nA,+380501000001\nB,+380501000002\n");
    const QString badUnits = writeFile(QStringLiteral("badunits.csv"), "unit,Edit1\nA,+380501000001\nB,+3805010000021234\n");
    const QString log = m_home->filePath(QStringLiteral("line.jsonl"));
    const QString named = writeFile(QStringLiteral("named.cfg"), "# tavrix-configuration 1\nвремя работы СИРЕНЫ = 8\n");
    const QString namedUnits = writeFile(QStringLiteral("namedunits.csv"),
                                         "unit,Номер 1-го абонента,ПАРОЛЬ для SMS команд\nA,+380501000001,1234\n");

    sim::Simulator *device = startSim(3);
    QVERIFY(device);
    if (fault == QLatin1String("held byte changed")) {
        QByteArray changed = device->record();
        for (const records::Field &f : records::settingsFields()) {
            if (f.controls.value(0) == QLatin1String("ComboBox22"))
                changed[f.offset] = changed[f.offset] == '2' ? '3' : '2';
        }
        device->setRecord(changed);
    }
    if (fault == QLatin1String("state blocked"))
        m_stateHome = blocker;
    const QByteArray before = device->record();
    // What the controller held when the test began, as a file and as the sheet of it.
    QString held;
    {
        ConfigForm start;
        const QByteArray startRecord = fault == QLatin1String("held byte changed") ? sim::Simulator().record() : before;
        records::applySettings(start.controls(), "READ_SET_" + startRecord + '\r', 9);
        held = writeFile(QStringLiteral("held.cfg"), catalog.render(catalog.capture(start.controls())));
    }
    const auto sheetOf = [&](const QString &file, const QString &name) {
        const QString path = m_home->filePath(name);
        const Result made = cli({QStringLiteral("report"), file, QStringLiteral("-o"), path});
        return made.status == 0 ? path : QString();
    };
    QVERIFY(before != goodRecord);
    sim::Simulator::Faults faults;
    faults.silent = fault == QLatin1String("silent");
    if (fault == QLatin1String("store ComboBox22 changed")) {
        for (const records::Field &f : records::settingsFields()) {
            if (f.controls.value(0) == QLatin1String("ComboBox22"))
                faults.corruptOffset = f.offset;
        }
    } else if (fault == QLatin1String("store 99 changed")) {
        faults.corruptOffset = 99; // a space behind the first subscriber's "+380"
    } else if (fault.startsWith(QLatin1String("READ_SET_ before"))) {
        faults.garbageBefore = "READ_SET_";
        faults.once = fault.endsWith(QLatin1String("first reply"));
    } else if (fault == QLatin1String("every reply cut to 300 bytes")) {
        faults.truncateTo = 300;
        faults.garbageAfter = "\r";
    }
    device->setFaults(faults);
    if (fault == QLatin1String("link gone")) {
        // COM3 is pinned to an adapter that is unplugged; the table's COM3 is the controller.
        QVERIFY(QFile::remove(device->linkPath()));
        QVERIFY(QFile::link(m_home->filePath(QStringLiteral("unplugged")), device->linkPath()));
        m_defaultPorts = QStringLiteral("::") + device->slavePath();
    }

    for (QString &arg : args) {
        if (arg == QLatin1String("GOOD"))
            arg = good;
        else if (arg == QLatin1String("OTHER"))
            arg = other;
        else if (arg == QLatin1String("BAD"))
            arg = bad;
        else if (arg == QLatin1String("OUT"))
            arg = m_home->filePath(QStringLiteral("out.cfg"));
        else if (arg == QLatin1String("NEWDIR/"))
            arg = m_home->filePath(QStringLiteral("new/"));
        else if (arg == QLatin1String("RULES"))
            arg = rules;
        else if (arg == QLatin1String("HUGE"))
            arg = huge;
        else if (arg == QLatin1String("NOFOLDER/"))
            arg = blocker + QStringLiteral("/sub/");
        else if (arg == QLatin1String("TRACE"))
            arg = trace;
        else if (arg == QLatin1String("FORMS"))
            arg = forms;
        else if (arg == QLatin1String("UNITS"))
            arg = units;
        else if (arg == QLatin1String("NAMED"))
            arg = named;
        else if (arg == QLatin1String("NAMEDUNITS"))
            arg = namedUnits;
        else if (arg == QLatin1String("BADUNITS"))
            arg = badUnits;
        else if (arg == QLatin1String("LOG"))
            arg = log;
        else if (arg == QLatin1String("NOLOGDIR"))
            arg = m_home->filePath(QStringLiteral("nodir/line.jsonl"));
        else if (arg == QLatin1String("HELD"))
            arg = held;
        else if (arg == QLatin1String("SHEET"))
            arg = sheetOf(held, QStringLiteral("held.pdf"));
        else if (arg == QLatin1String("OTHERSHEET"))
            arg = sheetOf(good, QStringLiteral("good.html"));
        else if (arg == QLatin1String("PLAINPAGE"))
            arg = writeFile(QStringLiteral("page.html"), "<!DOCTYPE html><html><body>Tavrix</body></html>");
    }
    QSignalSpy commands(device, &sim::Simulator::commandReceived);
    QElapsedTimer clock;
    clock.start();
    const Result r = cli(args, locale, terminal);
    if (faults.silent) {
        // Asked at once and again after 2 s, given up after the 3 s of --timeout (a coarse
        // timer may end up to 5 % early).
        QCOMPARE(commands.count(), 2);
        QVERIFY2(clock.elapsed() >= 2800 && clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
    }
    if (fault == QLatin1String("link gone"))
        QCOMPARE(commands.count(), 0);
    const QString all = QStringLiteral("status %1\n%2%3").arg(r.status).arg(r.out, r.err);
    QVERIFY2(r.status == status, qPrintable(all));
    QVERIFY2(QRegularExpression(shown).match(r.out).hasMatch(), qPrintable(all));
    QVERIFY2(QRegularExpression(said).match(r.err).hasMatch(), qPrintable(all));
    if (args.contains(QStringLiteral("--json"))) {
        QJsonParseError error;
        QJsonDocument::fromJson(r.out.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + QLatin1Char('\n') + r.out));
    }
    if (status == 2)
        QVERIFY(!r.err.isEmpty());
    // A read that fails leaves no backup behind.
    if (args.first() == QLatin1String("read") && status != 0)
        QVERIFY(!QFile::exists(m_home->filePath(QStringLiteral("out.cfg"))));
    if (args.first() == QLatin1String("watch")) {
        // A refused template or row touches no port; a unit that passed holds the file.
        if (status == 2 || args.contains(QStringLiteral("--check")))
            QCOMPARE(commands.count(), 0);
        else if (status == 0)
            QCOMPARE(device->record(), goodRecord);
        if (args.contains(log)) {
            QFile file(log);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QJsonObject entry = QJsonDocument::fromJson(file.readLine()).object();
            QCOMPARE(entry.value(QStringLiteral("result")).toString(), QStringLiteral("pass"));
            QCOMPARE(entry.value(QStringLiteral("sha256")).toString(),
                     QString::fromLatin1(QCryptographicHash::hash(goodRecord, QCryptographicHash::Sha256).toHex()));
            QVERIFY(QFile::exists(entry.value(QStringLiteral("backup")).toString()));
        }
    }
    // A file refused for its size is refused before it is read whole, at once.
    if (args.contains(huge) || args.contains(QStringLiteral("/dev/zero")))
        QVERIFY2(clock.elapsed() < 5000 && r.err.contains(QStringLiteral("larger than 1048576 bytes")), qPrintable(r.err));
    if (args.contains(rules) && !args.contains(QStringLiteral("--json")))
        QVERIFY2(r.err.contains(QStringLiteral("COM3: the page rules change CheckBox1 0 becomes 1 (line 2")), qPrintable(r.err));
    // A write to COM3 alone stores the file's record or, when it fails, nothing at all; a
    // verify that finds a difference leaves what the controller made of it.
    if (args.first() == QLatin1String("write") && faults.corruptOffset < 0 && !args.contains(QStringLiteral("COM49"))
        && (status != 0 || args.contains(good)))
        QCOMPARE(device->record(), status == 0 ? goodRecord : before);

    // The trace holds each command and each chunk of reply, under the port's name.
    if (args.contains(trace) && status == 0) {
        QFile file(trace);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QRegularExpression line(QStringLiteral("^COM3  \\d\\d:\\d\\d:\\d\\d\\.\\d{3}  ([→←]) +(\\d+)  (.*)$"));
        QStringList sent;
        int receivedBytes = 0;
        for (const QString &text : lines) {
            if (text.startsWith(QLatin1Char('#')))
                continue;
            const auto m = line.match(text);
            QVERIFY2(m.hasMatch(), qPrintable(text));
            if (m.captured(1) == QStringLiteral("→")) {
                sent << m.captured(3);
                QCOMPARE(m.captured(2).toInt(), int(m.captured(3).size()));
            } else {
                receivedBytes += m.captured(2).toInt();
            }
        }
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent.first(), QStringLiteral("READ_SET␍"));
        QCOMPARE(sent.last(), QStringLiteral("WRITE_SET_") + QString::fromLatin1(goodRecord) + QStringLiteral("␍"));
        // The settings reply and the acknowledgement, every byte of them.
        QCOMPARE(receivedBytes, int(qstrlen("READ_SET_") + before.size() + 1 + qstrlen("WRITE_SET_OK") + 1));
    }
}

void TestCli::siteBookFollowsTheToolsWork()
{
    const Catalog &catalog = windowCatalog();
    ConfigForm form;
    Configuration cfg = storedForm(form.controls());
    cfg.set(QStringLiteral("ComboBox22"), QStringLiteral("4"));
    const QString good = writeFile(QStringLiteral("good.cfg"), catalog.render(cfg));
    cfg.set(QStringLiteral("ComboBox22"), QStringLiteral("8"));
    const QString other = writeFile(QStringLiteral("other.cfg"), catalog.render(cfg));
    QVERIFY(startSim(3));
    const QString site = QStringLiteral("Иванов, дача");
    const auto siteJson = [&]() {
        const Result r = cli({QStringLiteral("book"), QStringLiteral("site"), site, QStringLiteral("--json")});
        return QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("site")).toObject();
    };
    const auto timeline = [&]() {
        return siteJson().value(QStringLiteral("controllers")).toArray().at(0).toObject().value(QStringLiteral("revisions")).toArray();
    };

    Result r = cli({QStringLiteral("book"), QStringLiteral("add"), site, QStringLiteral("--address"), QStringLiteral("Лесная 5")});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    r = cli({QStringLiteral("write"), QStringLiteral("COM3"), good, QStringLiteral("--site"), site, QStringLiteral("--verify"),
             QStringLiteral("--operator"), QStringLiteral("Петро")});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("(Иванов, дача/Основной)")), qPrintable(r.err));
    // What it held, then what was written over it.
    QJsonArray revisions = timeline();
    QCOMPARE(revisions.size(), 2);
    const QJsonObject written = revisions[0].toObject();
    const QJsonObject held = revisions[1].toObject();
    QStringList keys = written.keys();
    keys.sort();
    QCOMPARE(keys, (QStringList{"controller", "fingerprint", "id", "kind", "machine", "operator", "parent", "port", "proved", "site", "time"}));
    QCOMPARE(written.value(QStringLiteral("kind")).toString(), QStringLiteral("write"));
    QCOMPARE(written.value(QStringLiteral("proved")).toBool(), true);
    QCOMPARE(written.value(QStringLiteral("operator")).toString(), QStringLiteral("Петро"));
    QCOMPARE(written.value(QStringLiteral("port")).toString(), QStringLiteral("COM3"));
    QCOMPARE(written.value(QStringLiteral("parent")).toString(), held.value(QStringLiteral("id")).toString());
    QCOMPARE(held.value(QStringLiteral("kind")).toString(), QStringLiteral("read"));
    QVERIFY(QDateTime::fromString(written.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs).isValid());

    // A read of what the book has last adds nothing, under a name or recognised.
    r = cli({QStringLiteral("read"), QStringLiteral("COM3"), QStringLiteral("-o"), m_home->filePath(QStringLiteral("a.cfg")),
             QStringLiteral("--site"), site});
    QCOMPARE(r.status, 0);
    r = cli({QStringLiteral("read"), QStringLiteral("COM3"), QStringLiteral("-o"), m_home->filePath(QStringLiteral("a.cfg")),
             QStringLiteral("--site"), QStringLiteral("auto")});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.contains(QStringLiteral("recognised as Иванов, дача/Основной by its fingerprint")), qPrintable(r.err));
    QCOMPARE(timeline().size(), 2);

    // Recognised by what it holds, written on with --site auto.
    r = cli({QStringLiteral("write"), QStringLiteral("COM3"), other, QStringLiteral("--site"), QStringLiteral("auto")});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    revisions = timeline();
    QCOMPARE(revisions.size(), 3);
    QCOMPARE(revisions[0].toObject().value(QStringLiteral("parent")).toString(), written.value(QStringLiteral("id")).toString());
    QCOMPARE(revisions[0].toObject().value(QStringLiteral("proved")).toBool(), false);
    const QString last = revisions[0].toObject().value(QStringLiteral("id")).toString().left(8);
    const QString first = written.value(QStringLiteral("id")).toString().left(8);

    // Nobody named it: recorded all the same, among the unassigned.
    r = cli({QStringLiteral("write"), QStringLiteral("COM3"), good});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.contains(QStringLiteral("(--site auto records it there)")), qPrintable(r.err));
    r = cli({QStringLiteral("book"), QStringLiteral("unassigned"), QStringLiteral("--json")});
    const QJsonArray loose = QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("revisions")).toArray();
    QCOMPARE(loose.size(), 2);
    r = cli({QStringLiteral("book"), QStringLiteral("assign"), loose[0].toObject().value(QStringLiteral("id")).toString().left(8),
             site + QStringLiteral("/Склад")});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(siteJson().value(QStringLiteral("controllers")).toArray().size(), 2);

    // Compared as diff compares files; shown as the file it was.
    r = cli({QStringLiteral("book"), QStringLiteral("diff"), first, last});
    QCOMPARE(r.status, 3);
    QVERIFY2(QRegularExpression(QStringLiteral("ComboBox22 +4 \\(40 сек\\.\\) +8 ")).match(r.out).hasMatch(), qPrintable(r.out));
    QCOMPARE(cli({QStringLiteral("book"), QStringLiteral("diff"), first, first}).status, 0);
    const QString shown = m_home->filePath(QStringLiteral("shown.cfg"));
    QCOMPARE(cli({QStringLiteral("book"), QStringLiteral("show"), site + QStringLiteral("/Основной"), QStringLiteral("-o"), shown}).status, 0);
    QCOMPARE(cli({QStringLiteral("diff"), shown, other}).status, 0);
    r = cli({QStringLiteral("book"), QStringLiteral("sites"), QStringLiteral("лесная")});
    QVERIFY2(r.status == 0 && r.out.contains(site), qPrintable(r.out));
    QCOMPARE(cli({QStringLiteral("book"), QStringLiteral("sites"), QStringLiteral("Сидоров")}).status, 1);
    // Archived: out of the listing, its history kept; back on unarchive.
    QCOMPARE(cli({QStringLiteral("book"), QStringLiteral("archive"), site}).status, 0);
    QCOMPARE(cli({QStringLiteral("book"), QStringLiteral("sites"), QStringLiteral("лесная")}).status, 1);
    r = cli({QStringLiteral("book"), QStringLiteral("sites"), QStringLiteral("лесная"), QStringLiteral("--all")});
    QVERIFY2(r.status == 0 && r.out.contains(site + QStringLiteral(" (archived)")), qPrintable(r.out));
    QCOMPARE(siteJson().value(QStringLiteral("archived")).toBool(), true);
    QCOMPARE(timeline().size(), 3);
    QCOMPARE(cli({QStringLiteral("book"), QStringLiteral("unarchive"), site}).status, 0);
    QCOMPARE(cli({QStringLiteral("book"), QStringLiteral("sites"), QStringLiteral("лесная")}).status, 0);

    // A bundle carries it all to another book, once however often it is imported.
    const QString bundle = m_home->filePath(QStringLiteral("bundle.json"));
    QCOMPARE(cli({QStringLiteral("book"), QStringLiteral("export"), QStringLiteral("-o"), bundle}).status, 0);
    const QString second = m_home->filePath(QStringLiteral("second.sqlite"));
    r = cli({QStringLiteral("book"), QStringLiteral("import"), bundle, QStringLiteral("--book"), second});
    QVERIFY2(r.status == 0 && r.err.contains(QStringLiteral("5 revision(s) added")), qPrintable(r.err));
    r = cli({QStringLiteral("book"), QStringLiteral("import"), bundle, QStringLiteral("--book"), second});
    QVERIFY2(r.status == 0 && r.err.contains(QStringLiteral("0 revision(s) added, 5 already")), qPrintable(r.err));
    const QJsonObject here = siteJson();
    r = cli({QStringLiteral("book"), QStringLiteral("site"), site, QStringLiteral("--json"), QStringLiteral("--book"), second});
    QCOMPARE(QJsonDocument::fromJson(r.out.toUtf8()).object().value(QStringLiteral("site")).toObject(), here);
}

void TestCli::readsSeveralPortsIntoAFolder()
{
    const Catalog &catalog = windowCatalog();
    QRandomGenerator g(QRandomGenerator::global()->generate());
    QList<Configuration> held;
    for (int com : {11, 12}) {
        sim::Simulator *device = startSim(com);
        QVERIFY(device);
        ConfigForm form;
        catalog.apply(form.controls(), generatedConfiguration(catalog, g));
        device->setRecord(records::buildSettings(form.controls()));
        ConfigForm read;
        records::applySettings(read.controls(), "READ_SET_" + device->record() + '\r', 9);
        held << catalog.capture(read.controls());
    }
    const QString dir = m_home->filePath(QStringLiteral("backup"));
    const Result r = cli({QStringLiteral("read"), QStringLiteral("COM11"), QStringLiteral("COM12"), QStringLiteral("-o"), dir});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    for (int i = 0; i < 2; ++i) {
        Configuration saved;
        QCOMPARE(load(dir + QStringLiteral("/COM%1.cfg").arg(11 + i), catalog, &saved), std::nullopt);
        QCOMPARE(catalog.compare(saved, held[i]).size(), 0);
        QCOMPARE(saved.size(), catalog.controls().size());
    }
}

// What the issue found: a controller with a 15-character number and a 12-character SMS
// word is backed up, and the backup restores to a controller holding something else with
// nothing to tell; the factory file does the same.
void TestCli::backupsAndTheFactoryFileRestore()
{
    sim::Simulator *device = startSim(3);
    QVERIFY(device);
    QByteArray held = device->record();
    held.replace(records::kPhoneOffset, records::kPhoneWidth, "+38050123456789");
    held.replace(records::kSmsOffset + records::kSmsWidth, records::kSmsWidth, "Pod_ohranoj!");
    held.replace(records::kKeyOffset, records::kKeyWidth, "0123456789abcdef");
    device->setRecord(held);

    const QString backup = m_home->filePath(QStringLiteral("backup.cfg"));
    Result r = cli({QStringLiteral("read"), QStringLiteral("COM3"), QStringLiteral("-o"), backup});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    ConfigForm factory;
    factory.applyFactoryConfiguration();
    device->setRecord(records::buildSettings(factory.controls()));
    r = cli({QStringLiteral("write"), QStringLiteral("COM3"), backup});
    QVERIFY2(r.status == 0 && !r.err.contains(QStringLiteral("page rules")), qPrintable(r.err));
    ConfigForm window;
    records::applySettings(window.controls(), "READ_SET_" + held + '\r', 9);
    QCOMPARE(device->record(), records::buildSettings(window.controls()));
    r = cli({QStringLiteral("diff"), QStringLiteral("COM3"), backup});
    QVERIFY2(r.status == 0, qPrintable(r.out + r.err));

    const QString defaults = m_home->filePath(QStringLiteral("factory.cfg"));
    r = cli({QStringLiteral("defaults"), QStringLiteral("-o"), defaults});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    r = cli({QStringLiteral("write"), QStringLiteral("COM3"), defaults});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    r = cli({QStringLiteral("diff"), defaults, QStringLiteral("COM3")});
    QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
}

// A port that fails at once says so in its own time, not in the time of the slowest.
void TestCli::watchEndsAfterTheUnitInProgressOnInterrupt()
{
    sim::Simulator *device = startSim(3);
    QVERIFY(device);
    // Slow enough to interrupt while the unit is being written.
    sim::Simulator::Faults slow;
    slow.latencyMs = 600;
    device->setFaults(slow);
    const QString tpl = writeFile(QStringLiteral("site.cfg"), "# tavrix-configuration 1\nEdit34 = internet\n");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->path());
    env.insert(QStringLiteral("TAVRIX_DEFAULT_PORTS"), QString());
    // Its lines in Russian, whatever the machine's language.
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
    process.setProcessEnvironment(env);
    QSignalSpy commands(device, &sim::Simulator::commandReceived);
    process.start(QStringLiteral(TAVRIX_CLI_PATH), {"watch", tpl, "COM3", "--settle", "0", "--backups",
                                                    m_home->filePath(QStringLiteral("backups"))});
    QTRY_VERIFY_WITH_TIMEOUT(!commands.isEmpty() && commands.last().first().toByteArray().startsWith("WRITE_SET_"),
                             20000);
    QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
    QSignalSpy finished(&process, &QProcess::finished);
    QVERIFY(finished.wait(20000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, qPrintable(out));
    // The unit under way was finished and verified, and no other was begun.
    QVERIFY2(out.contains(QStringLiteral("COM3  контроллер 1  записан и проверен")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("Итого: записано 1, ошибок 0")), qPrintable(out));
    QCOMPARE(device->record().mid(513, 10), QByteArray("\"internet\""));
}

void TestCli::eachPortTakesItsOwnTime()
{
    sim::Simulator *device = startSim(3);
    QVERIFY(device);
    sim::Simulator::Faults faults;
    faults.latencyMs = 1500;
    device->setFaults(faults);
    const Result r = cli({QStringLiteral("read"), QStringLiteral("COM3"), QStringLiteral("COM49"), QStringLiteral("-o"),
                          m_home->filePath(QStringLiteral("both/")), QStringLiteral("--json")});
    QCOMPARE(r.status, 1);
    const QJsonArray ports = QJsonDocument::fromJson(r.out.toUtf8())[QStringLiteral("ports")].toArray();
    QCOMPARE(ports.size(), 2);
    const double slow = ports[0][QStringLiteral("seconds")].toDouble();
    const double failed = ports[1][QStringLiteral("seconds")].toDouble();
    QVERIFY2(slow >= 1.4 && failed < 1.0, qPrintable(r.out));
}

// The line faults the window's fault matrix plays, at the line's real rate: a reply that
// is late or arrives in pieces is waited for, not asked for again.
void TestCli::lineFaultsOfTheWindowsMatrix_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<int>("chunkBytes");
    QTest::addColumn<int>("chunkPauseMs");
    QTest::addColumn<int>("requests"); // "READ_SET" received

    const QStringList read {"read", "COM3", "-o", "OUT"};
    QTest::newRow("latency 1500 ms") << read << 1500 << 0 << 0 << 1;
    QTest::newRow("chunks of 64, pauses of 300 ms") << read << 0 << 64 << 300 << 1;
    // A controller that queues: the read and the read back are each asked twice (the
    // repeat at 2 s goes out before the answer starts); the copy owed for the first read
    // comes after the write and spoils neither the write nor the read back.
    QTest::newRow("queueing controller") << QStringList{"write", "COM3", "FILE", "--verify"} << 2500 << 0 << 0 << 4;
}

void TestCli::lineFaultsOfTheWindowsMatrix()
{
    QFETCH(QStringList, args);
    QFETCH(int, latencyMs);
    QFETCH(int, chunkBytes);
    QFETCH(int, chunkPauseMs);
    QFETCH(int, requests);

    // --verify reads back what was written: status 0 says the controller holds the file.
    ConfigForm form;
    const QString file = writeFile(QStringLiteral("wanted.cfg"), windowCatalog().render(storedForm(form.controls())));
    const QString out = m_home->filePath(QStringLiteral("out.cfg"));
    args.replaceInStrings(QRegularExpression(QStringLiteral("^FILE$")), file);
    args.replaceInStrings(QRegularExpression(QStringLiteral("^OUT$")), out);

    sim::Simulator *device = startSim(3);
    QVERIFY(device);
    device->setPacing(true);
    sim::Simulator::Faults faults;
    faults.latencyMs = latencyMs;
    faults.chunkBytes = chunkBytes;
    faults.chunkPauseMs = chunkPauseMs;
    device->setFaults(faults);
    QSignalSpy commands(device, &sim::Simulator::commandReceived);

    const Result r = cli(args);
    QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
    int reads = 0;
    for (const QList<QVariant> &command : commands)
        reads += command.at(0).toByteArray() == "READ_SET";
    QCOMPARE(reads, requests);
    if (args.contains(out))
        QVERIFY(QFileInfo(out).size() > 0);
}

using RecordBytes = QList<QPair<int, QByteArray>>;

// Controllers holding what their history put there: what a read shows is saved, the
// backup restores with each value the record stores otherwise named, and a reply that is
// cut short or shifted is asked for again, never saved and never written over.
void TestCli::unusualControllersAreBackedUpAndRestored_data()
{
    QTest::addColumn<RecordBytes>("held"); // bytes of the start record replaced
    QTest::addColumn<QString>("firstReply");                 // "short", "shifted" or good
    QTest::addColumn<QStringList>("told");                   // what the write names as stored otherwise

    using Edits = RecordBytes;
    int listen = -1;
    int password = -1;
    for (const records::Field &f : records::settingsFields()) {
        if (f.controls.value(0) == QLatin1String("ComboBox30"))
            listen = f.offset;
        if (f.controls.value(0) == QLatin1String("Edit31"))
            password = f.offset;
    }
    const Edits beyondList{{listen, ":"}};
    const Edits lettersInNumbers{{password, "12ab"}, {3, "A"}};
    const QStringList listTold{"the record stores ComboBox30 -1 (nothing selected) becomes 0"};
    QTest::newRow("list digit beyond its list") << beyondList << "" << listTold;
    QTest::newRow("letters in a number field") << lettersInNumbers << "" << QStringList{};
    QTest::newRow("a short reply, then a good one") << beyondList + lettersInNumbers << "short" << listTold;
    QTest::newRow("a shifted reply, then a good one") << beyondList + lettersInNumbers << "shifted" << listTold;
}

void TestCli::unusualControllersAreBackedUpAndRestored()
{
    QFETCH(RecordBytes, held);
    QFETCH(QString, firstReply);
    QFETCH(QStringList, told);
    const Catalog &catalog = windowCatalog();

    sim::Simulator *device = startSim(3);
    QVERIFY(device);
    QByteArray record = device->record();
    for (const auto &[offset, bytes] : held)
        record.replace(offset, bytes.size(), bytes);
    // A byte lost in the phone slots moves every later one: the internet block is off.
    QByteArray shifted = record;
    shifted.remove(records::kPhoneOffset + 10, 1);
    // Each command's first reply is spoilt as the row says, the rest are good.
    const auto spoil = [&] {
        sim::Simulator::Faults faults;
        faults.once = true;
        if (firstReply == QLatin1String("short")) {
            faults.truncateTo = 300;
            faults.garbageAfter = "\r";
        }
        device->setFaults(faults);
        device->setRecord(firstReply == QLatin1String("shifted") ? shifted : record);
    };
    // The reply is made before the command is announced, so the good record goes in for
    // the next one.
    QByteArray storeAfterRead = record;
    QStringList writes;
    connect(device, &sim::Simulator::commandReceived, this, [&](const QByteArray &line) {
        if (line == "READ_SET" && device->record() == shifted)
            device->setRecord(storeAfterRead);
        if (line.startsWith("WRITE_SET_"))
            writes << settingsreply::fault(line.mid(10));
    });
    int reads = 0;
    connect(device, &sim::Simulator::commandReceived, this, [&](const QByteArray &line) { reads += line == "READ_SET"; });
    const int asked = firstReply.isEmpty() ? 1 : 2;

    spoil();
    const QString backup = m_home->filePath(QStringLiteral("backup.cfg"));
    Result r = cli({QStringLiteral("read"), QStringLiteral("COM3"), QStringLiteral("-o"), backup});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(reads, asked);
    ConfigForm window;
    records::applySettings(window.controls(), "READ_SET_" + record + '\r', 9);
    Configuration saved;
    QCOMPARE(load(backup, catalog, &saved), std::nullopt);
    QCOMPARE(catalog.compare(saved, catalog.capture(window.controls())).size(), 0);

    // Restored onto a controller holding the factory values.
    ConfigForm factory;
    factory.applyFactoryConfiguration();
    record = records::buildSettings(factory.controls());
    storeAfterRead = record;
    shifted = record;
    shifted.remove(records::kPhoneOffset + 10, 1);
    spoil();
    reads = 0;
    r = cli({QStringLiteral("write"), QStringLiteral("COM3"), backup, QStringLiteral("--verify")});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(reads, asked + 1); // and the read back
    for (const QString &line : told)
        QVERIFY2(r.err.contains(QStringLiteral("COM3: ") + line), qPrintable(r.err));
    if (told.isEmpty())
        QVERIFY2(!r.err.contains(QStringLiteral("the record stores")), qPrintable(r.err));
    QCOMPARE(writes, QStringList{QString()});
    QCOMPARE(device->record(), records::buildSettings(window.controls()));
}

void TestCli::jobOverTheScriptedLine_data()
{
    using Script = ScriptedLine::Script;
    QTest::addColumn<Script>("script");
    QTest::addColumn<bool>("write");     // the record read is written back
    QTest::addColumn<bool>("refuse");    // every record fails the job's check
    QTest::addColumn<QString>("outcome"); // "read", "written", or why it failed ("%1": the device)
    QTest::newRow("a prompt controller") << Script {} << false << false << "read";
    QTest::newRow("read and written back") << Script {} << true << false << "written";
    QTest::newRow("silent") << Script {.silent = true} << false << false
                            << "the controller does not answer — check the cable, power and port number (no answer "
                               "to READ_SET within 5 s)";
    // Silent from the write on.
    QTest::newRow("no answer to the write") << Script {.silent = true} << true << false
                                            << "the controller does not answer — check the cable, power and port "
                                               "number (no answer to WRITE_SET_ within 5 s)";
    QTest::newRow("every answer malformed") << Script {} << false << true
                                            << "every answer to READ_SET within 5 s was malformed, the last: bad";
    QTest::newRow("the write goes short") << Script {.shortWriteAt = 1} << true << false
                                          << "the command could not be sent";
    QTest::newRow("the line goes away") << Script {.latencyMs = 500, .loseAtMs = 100} << false << false
                                        << "the port went away";
    QTest::newRow("the port is held") << Script {.refuseOpen = true} << false << false << "%1 cannot be opened: ";
}

void TestCli::jobOverTheScriptedLine()
{
    QFETCH(ScriptedLine::Script, script);
    QFETCH(bool, write);
    QFETCH(bool, refuse);
    QFETCH(QString, outcome);
    QTemporaryDir dir;
    QFile device(dir.filePath("ttyUSB0"));
    QVERIFY(device.open(QIODevice::WriteOnly));
    device.close();
    const QString path = QFileInfo(device.fileName()).canonicalFilePath();

    const bool silentWrite = write && script.silent;
    script.silent = script.silent && !write;
    StepClock clock;
    ScriptedLine *line = nullptr;
    OpenRefusal held;
    held.state = PortStatus::State::Busy;
    held.cause = OpenRefusal::Cause::Busy;
    const Connection::LineKind scripted {[&] {
                                             auto made = std::make_unique<ScriptedLine>(clock, expected::startRecord(),
                                                                                        script);
                                             line = made.get();
                                             return made;
                                         },
                                         [&](const QString &, const PortLine &) { return held; }};
    DeviceJob job(QStringLiteral("COM1"), PortMap(dir.filePath("ports"), {path}), 5000, nullptr,
                  std::make_unique<Connection>(scripted, Session::Timing::tool(5000), &clock));
    QString got;
    QByteArray record;
    job.checkSettings = [refuse](const QByteArray &, int) { return refuse ? QStringLiteral("bad") : QString(); };
    job.onSettings = [&](const QByteArray &text, int payloadPos) {
        record = settingsreply::recordOf(text, payloadPos);
        if (silentWrite)
            line->setScript({.silent = true});
        if (write)
            job.writeSettings(record);
        else
            got = QStringLiteral("read");
    };
    job.onWritten = [&] { got = QStringLiteral("written"); };
    job.onFailed = [&](const QString &why) { got = why; };
    if (job.open())
        job.readSettings();
    clock.advance(12000);

    QVERIFY(line);
    if (outcome.contains("%1")) {
        QCOMPARE(got, outcome.arg(path) + held.in(language::current()));
        QVERIFY(line->commands().isEmpty());
        return;
    }
    QCOMPARE(got, outcome);
    if (got == QLatin1String("read") || got == QLatin1String("written"))
        QCOMPARE(record, expected::startRecord());
    // A written record is what the controller holds; a failed job lets the line go.
    if (got == QLatin1String("written"))
        QCOMPARE(line->record(), record);
    QCOMPARE(line->isOpen(), got == QLatin1String("read") || got == QLatin1String("written"));
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
