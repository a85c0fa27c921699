// Both programs' command lines, run as a user runs them: what they print, how they end,
// and that Qt's own options still reach Qt.
#include "tests/desktop/programrun.h"

#include <QRegularExpression>
#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
};

namespace {

const QString kConfigurator = QStringLiteral(CONFIGURATOR_PATH);
const QString kSim = QStringLiteral(SIM_PATH);
const QString kCli = QStringLiteral(CLI_PATH);
// The run is still going at the end of the wait: a window is open.
constexpr int kWindowOpen = -1;
// Qt may warn on stderr (the offscreen platform about size hints), but no usage error.
const QString kNoUsageError = QStringLiteral("^(?![\\s\\S]*--help)");

// "<program>: <what> (see <program> --help)" and nothing more.
QString usageLine(const QString &program, const QString &what)
{
    return QStringLiteral("^%1: %2 \\(see %1 --help\\)\\n$").arg(program, what);
}

} // namespace

void TestCommandLine::answers_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // patterns
    QTest::addColumn<QString>("err");

    const QString configurator = QStringLiteral("tavrix-configurator");
    const QString version = QStringLiteral("^tavrix-configurator 2\\.0\\n$");
    QTest::newRow("--version") << kConfigurator << QStringList{"--version"} << true << 0 << version << "^$";
    QTest::newRow("-v") << kConfigurator << QStringList{"-v"} << true << 0 << version << "^$";
    QTest::newRow("--version without a display") << kConfigurator << QStringList{"--version"} << false << 0
                                                 << version << "^$";
    QTest::newRow("--help without a display")
        << kConfigurator << QStringList{"--help"} << false << 0
        << "^Usage: tavrix-configurator \\[options\\] \\[file\\]\\n(.|\\n)*-platform(.|\\n)*-h, --help(.|\\n)*-v, "
           "--version(.|\\n)*Arguments:\\n +file +A configuration file"
        << "^$";
    QTest::newRow("unknown long option") << kConfigurator << QStringList{"--bogus"} << true << 2 << "^$"
                                         << usageLine(configurator, "unknown option '--bogus'");
    QTest::newRow("unknown short option") << kConfigurator << QStringList{"-x"} << true << 2 << "^$"
                                          << usageLine(configurator, "unknown option '-x'");
    QTest::newRow("unknown option before a display check")
        << kConfigurator << QStringList{"--bogus=1"} << false << 2 << "^$"
        << usageLine(configurator, "unknown option '--bogus'");
    QTest::newRow("a second file") << kConfigurator << QStringList{"site.cfg", "COM3"} << true << 2 << "^$"
                                   << usageLine(configurator, "unexpected argument 'COM3'");
    QTest::newRow("a file to open") << kConfigurator << QStringList{"-style", "fusion", "site.cfg"} << true
                                    << kWindowOpen << "^$" << kNoUsageError;
    QTest::newRow("a file without a display") << kConfigurator << QStringList{"site.cfg"} << false << 1 << "^$"
                                              << "^tavrix-configurator: no display [^\\n]*\\n$";
    QTest::newRow("Qt option without its value") << kConfigurator << QStringList{"-style"} << true << 2 << "^$"
                                                 << usageLine(configurator, "missing value after '-style'");
    QTest::newRow("no display") << kConfigurator << QStringList{} << false << 1 << "^$"
                                << "^tavrix-configurator: no display [^\\n]*DISPLAY[^\\n]*\\n$";
    QTest::newRow("Qt's -platform instead of a display")
        << kConfigurator << QStringList{"-platform", "offscreen"} << false << kWindowOpen << "^$" << kNoUsageError;
    QTest::newRow("Qt's window options")
        << kConfigurator << QStringList{"-style", "fusion", "-qwindowtitle", "T", "-reverse", "--stylesheet=QLabel{}"}
        << true << kWindowOpen << "^$" << kNoUsageError;

    const QString sim = QStringLiteral("tavrix-sim");
    QTest::newRow("sim --version") << kSim << QStringList{"--version"} << false << 0 << "^tavrix-sim 2\\.0\\n$"
                                   << "^$";
    QTest::newRow("sim --help") << kSim << QStringList{"-h"} << false << 0
                                << "^Usage: tavrix-sim \\[options\\]\\n(.|\\n)*--com <N>(.|\\n)*--version" << "^$";
    QTest::newRow("sim unknown option") << kSim << QStringList{"--baud", "115200"} << false << 2 << "^$"
                                        << usageLine(sim, "unknown option '--baud'");

    const QString cli = QStringLiteral("tavrix-cli");
    QTest::newRow("cli --version") << kCli << QStringList{"--version"} << false << 0 << "^tavrix-cli 2\\.0\\n$" << "^$";
    QTest::newRow("cli --help") << kCli << QStringList{"--help"} << false << 0
                                << "^Usage: tavrix-cli \\[options\\] command(.|\\n)*--timeout <seconds>(.|\\n)*--version"
                                << "^$";
    QTest::newRow("cli unknown option") << kCli << QStringList{"read", "COM3", "--bogus"} << false << 2 << "^$"
                                        << usageLine(cli, "unknown option '--bogus'");
    QTest::newRow("cli option without its value") << kCli << QStringList{"defaults", "-o"} << false << 2 << "^$"
                                                  << usageLine(cli, "missing value after '-o'");
    QTest::newRow("cli unknown command") << kCli << QStringList{"burn", "COM3"} << false << 2 << "^$"
                                         << usageLine(cli, "unknown command 'burn'");
    QTest::newRow("cli no command") << kCli << QStringList{} << false << 2 << "^$" << usageLine(cli, "no command given");
}

void TestCommandLine::answers()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QTemporaryDir config;
    QProcessEnvironment environment = withoutSerialPorts(QProcessEnvironment::systemEnvironment(), config);
    if (display) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
    }
    // A run that ends does so at once; a window is given time to fail before it counts as open.
    const ProgramRun run = runProgram(program, arguments, environment, exitCode == kWindowOpen ? 3000 : 30000);

    QCOMPARE(run.finished, exitCode != kWindowOpen);
    if (exitCode != kWindowOpen)
        QCOMPARE(run.exitCode, exitCode);
    const QString shownOut = QString::fromLocal8Bit(run.out);
    const QString shownErr = QString::fromLocal8Bit(run.err);
    QVERIFY2(QRegularExpression(out).match(shownOut).hasMatch(), qPrintable(shownOut));
    QVERIFY2(QRegularExpression(err).match(shownErr).hasMatch(), qPrintable(shownErr));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
