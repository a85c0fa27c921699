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
    void speaksTheUsersLanguage_data();
    void speaksTheUsersLanguage();
};

namespace {

const QString kConfigurator = QStringLiteral(CONFIGURATOR_PATH);
const QString kSim = QStringLiteral(SIM_PATH);
const QString kCli = QStringLiteral(CLI_PATH);
// The run is still going at the end of the wait: a window is open.
constexpr int kWindowOpen = -1;
// The window's help, Russian as the window is.
const QString kConfiguratorHelp = QStringLiteral(
    "^Использование: tavrix-configurator \\[параметры\\] \\[файл\\]\\n(.|\\n)*-platform(.|\\n)*--ports +Вывести "
    "COM1–COM50(.|\\n)*-h, --help +Показать эту справку(.|\\n)*-v, --version(.|\\n)*Аргументы:\\n +файл +Файл "
    "конфигурации");
// Qt may warn on stderr (the offscreen platform about size hints), but no usage error.
const QString kNoUsageError = QStringLiteral("^(?![\\s\\S]*--help)");

// "<program>: <what> (see <program> --help)" and nothing more.
QString usageLine(const QString &program, const QString &what)
{
    return QStringLiteral("^%1: %2 \\(see %1 --help\\)\\n$").arg(program, what);
}

// The same in Russian, the window's language.
QString usageLineRu(const QString &program, const QString &what)
{
    return QStringLiteral("^%1: %2 \\(см\\. %1 --help\\)\\n$").arg(program, what);
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
        << kConfiguratorHelp
        << "^$";
    QTest::newRow("unknown long option") << kConfigurator << QStringList{"--bogus"} << true << 2 << "^$"
                                         << usageLineRu(configurator, "неизвестный параметр «--bogus»");
    QTest::newRow("unknown short option") << kConfigurator << QStringList{"-x"} << true << 2 << "^$"
                                          << usageLineRu(configurator, "неизвестный параметр «-x»");
    QTest::newRow("unknown option before a display check")
        << kConfigurator << QStringList{"--bogus=1"} << false << 2 << "^$"
        << usageLineRu(configurator, "неизвестный параметр «--bogus»");
    QTest::newRow("a second file") << kConfigurator << QStringList{"site.cfg", "COM3"} << true << 2 << "^$"
                                   << usageLineRu(configurator, "лишний аргумент «COM3»");
    QTest::newRow("a file to open") << kConfigurator << QStringList{"-style", "fusion", "site.cfg"} << true
                                    << kWindowOpen << "^$" << kNoUsageError;
    QTest::newRow("a file without a display") << kConfigurator << QStringList{"site.cfg"} << false << 1 << "^$"
                                              << "^tavrix-configurator: нет дисплея[^\\n]*\\n$";
    QTest::newRow("Qt option without its value") << kConfigurator << QStringList{"-style"} << true << 2 << "^$"
                                                 << usageLineRu(configurator, "отсутствует значение после «-style»");
    QTest::newRow("no display") << kConfigurator << QStringList{} << false << 1 << "^$"
                                << "^tavrix-configurator: нет дисплея[^\\n]*DISPLAY[^\\n]*\\n$";
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
    // The console programs' words are English where no language is set.
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        environment.remove(QString::fromLatin1(name));
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

// The console programs in Russian when the user's messages are Russian, in English
// otherwise, whichever variable says so; the window is Russian either way.
void TestCommandLine::speaksTheUsersLanguage_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("locale");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // patterns
    QTest::addColumn<QString>("err");

    const QStringList russian{QStringLiteral("LANG=ru_RU.UTF-8")};
    const QStringList english{QStringLiteral("LANG=en_GB.UTF-8")};
    const QString cliHelpRu = QStringLiteral("^Использование: tavrix-cli \\[параметры\\] команда(.|\\n)*Команды:\\n"
                                             "  ports \\[--all\\] +COM-порты, которые есть(.|\\n)*"
                                             "--timeout <секунды> +Сколько секунд ждать ответа");
    const QString cliHelpEn = QStringLiteral("^Usage: tavrix-cli \\[options\\] command(.|\\n)*Commands:\\n"
                                             "  ports \\[--all\\] +the COM ports there are(.|\\n)*"
                                             "--timeout <seconds> +Seconds to wait");
    QTest::newRow("cli help, LANG Russian") << kCli << russian << QStringList{"--help"} << 0 << cliHelpRu << "^$";
    QTest::newRow("cli help, LC_ALL Russian over LANG English")
        << kCli << QStringList{"LANG=en_US.UTF-8", "LC_ALL=ru_RU.UTF-8"} << QStringList{"-h"} << 0 << cliHelpRu << "^$";
    QTest::newRow("cli help, LANGUAGE Russian") << kCli << QStringList{"LANG=C", "LANGUAGE=ru"} << QStringList{"-h"} << 0
                                                << cliHelpRu << "^$";
    QTest::newRow("cli help, LANG English") << kCli << english << QStringList{"--help"} << 0 << cliHelpEn << "^$";
    QTest::newRow("cli help, LANGUAGE English over LC_ALL Russian")
        << kCli << QStringList{"LC_ALL=ru_RU.UTF-8", "LANGUAGE=en"} << QStringList{"--help"} << 0 << cliHelpEn << "^$";
    QTest::newRow("cli help, nothing set") << kCli << QStringList{} << QStringList{"--help"} << 0 << cliHelpEn << "^$";
    QTest::newRow("cli help, LANGUAGE German then Russian")
        << kCli << QStringList{"LANG=de_DE.UTF-8", "LANGUAGE=de:ru"} << QStringList{"-h"} << 0 << cliHelpRu << "^$";
    QTest::newRow("cli help, LANGUAGE English then Russian")
        << kCli << QStringList{"LANG=ru_RU.UTF-8", "LANGUAGE=en:ru"} << QStringList{"-h"} << 0 << cliHelpEn << "^$";
    QTest::newRow("cli help, LANGUAGE German alone over LANG Russian")
        << kCli << QStringList{"LANG=ru_RU.UTF-8", "LANGUAGE=de"} << QStringList{"-h"} << 0 << cliHelpEn << "^$";
    QTest::newRow("cli help, another language") << kCli << QStringList{"LANG=de_DE.UTF-8"} << QStringList{"--help"} << 0
                                                << cliHelpEn << "^$";
    QTest::newRow("cli usage error, Russian")
        << kCli << russian << QStringList{"read", "COM3", "--bogus"} << 2 << "^$"
        << "^tavrix-cli: неизвестный параметр «--bogus» \\(см\\. tavrix-cli --help\\)\\n$";
    QTest::newRow("cli missing value, Russian") << kCli << russian << QStringList{"defaults", "-o"} << 2 << "^$"
                                                << "^tavrix-cli: отсутствует значение после «-o» \\(см\\. tavrix-cli --help\\)\\n$";
    QTest::newRow("cli usage error, English") << kCli << english << QStringList{"show"} << 2 << "^$"
                                              << "^tavrix-cli: show takes one file or port \\(see tavrix-cli --help\\)\\n$";
    QTest::newRow("cli version, Russian") << kCli << russian << QStringList{"--version"} << 0 << "^tavrix-cli 2\\.0\\n$"
                                          << "^$";
    QTest::newRow("cli port table header, Russian") << kCli << russian << QStringList{"ports", "--all"} << 0
                                                    << "\\nCOM +Устройство +Свободен +Подробности\\nCOM1 " << "^$";
    QTest::newRow("cli port table header, English") << kCli << english << QStringList{"ports", "--all"} << 0
                                                    << "\\nCOM +Device +Free +Details\\nCOM1 " << "^$";

    QTest::newRow("sim help, Russian") << kSim << russian << QStringList{"--help"} << 0
                                       << "^Использование: tavrix-sim \\[параметры\\]\\nИмитирует контроллер Tavrix(.|\\n)*"
                                          "Параметры:(.|\\n)*--com <N> +Номер COM-порта" << "^$";
    QTest::newRow("sim help, English") << kSim << english << QStringList{"--help"} << 0
                                       << "^Usage: tavrix-sim \\[options\\]\\nSimulates the Tavrix controller(.|\\n)*"
                                          "Options:(.|\\n)*--com <N> +COM number to link" << "^$";
    QTest::newRow("sim range, Russian") << kSim << russian << QStringList{"--com", "51"} << 2 << "^$"
                                        << "^tavrix-sim: --com принимает от 1 до 50, а не «51» \\(см\\. tavrix-sim --help\\)\\n$";
    QTest::newRow("sim range, English") << kSim << QStringList{"LANGUAGE=en", "LC_ALL=ru_RU.UTF-8"} << QStringList{"--com", "51"}
                                        << 2 << "^$" << "^tavrix-sim: --com takes 1 to 50, not '51' \\(see tavrix-sim --help\\)\\n$";
    // The window's own words do not follow: it is Russian for everyone.
    QTest::newRow("configurator version, English") << kConfigurator << english << QStringList{"--version"} << 0
                                                   << "^tavrix-configurator 2\\.0\\n$" << "^$";
    QTest::newRow("configurator help, English") << kConfigurator << english << QStringList{"--help"} << 0
                                                << kConfiguratorHelp << "^$";
    QTest::newRow("configurator usage error, English")
        << kConfigurator << english << QStringList{"--bogus"} << 2 << "^$"
        << usageLineRu(QStringLiteral("tavrix-configurator"), "неизвестный параметр «--bogus»");
    // How start-up is timed: the window opens, paints its first frame and the program ends.
    QTest::newRow("configurator window ended at its first frame")
        << kConfigurator << QStringList{"QT_QPA_PLATFORM=offscreen", "TAVRIX_EXIT_AFTER_FIRST_PAINT=1"} << QStringList{}
        << 0 << "^$" << kNoUsageError;
    QTest::newRow("configurator port table, English") << kConfigurator << english << QStringList{"--ports"} << 0
                                                      << "\\nCOM +Устройство +Свободен +Подробности\\nCOM1 " << "^$";
}

void TestCommandLine::speaksTheUsersLanguage()
{
    QFETCH(QString, program);
    QFETCH(QStringList, locale);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QTemporaryDir config;
    QProcessEnvironment environment = withoutSerialPorts(QProcessEnvironment::systemEnvironment(), config);
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    for (const QString &setting : locale)
        environment.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    const ProgramRun run = runProgram(program, arguments, environment);

    QVERIFY(run.finished);
    const QString shownOut = QString::fromUtf8(run.out);
    const QString shownErr = QString::fromUtf8(run.err);
    QVERIFY2(run.exitCode == exitCode, qPrintable(shownOut + shownErr));
    QVERIFY2(QRegularExpression(out).match(shownOut).hasMatch(), qPrintable(shownOut));
    QVERIFY2(QRegularExpression(err).match(shownErr).hasMatch(), qPrintable(shownErr));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
