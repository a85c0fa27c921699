#include "app/commandline.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QTextStream>

#include <cstdlib>
#include <vector>

namespace commandline {

namespace {

// The argument as the user typed it, for an option the parser reports by name only.
QString asTyped(const QString &name, const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        if (!argument.startsWith(QLatin1Char('-')))
            continue;
        QString bare = argument;
        while (bare.startsWith(QLatin1Char('-')))
            bare.remove(0, 1);
        if (bare.section(QLatin1Char('='), 0, 0) == name)
            return argument.section(QLatin1Char('='), 0, 0);
    }
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "Missing value after '-platform'." -> "missing value after '-platform'".
QString asClause(QString sentence)
{
    if (sentence.endsWith(QLatin1Char('.')))
        sentence.chop(1);
    if (!sentence.isEmpty())
        sentence[0] = sentence.at(0).toLower();
    return sentence;
}

} // namespace

QString versionLine(const QString &program)
{
    return program + QLatin1Char(' ') + QStringLiteral(TAVRIX_VERSION);
}

int usageError(const QString &program, const QString &message, QTextStream &err)
{
    err << program << ": " << message << " (see " << program << " --help)\n";
    err.flush();
    return kUsageError;
}

std::optional<int> parse(QCommandLineParser &parser, const QString &program, const QStringList &arguments,
                         QTextStream &out, QTextStream &err, Positionals positionals)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the program's name and version and exits."));
    parser.addOption(help);
    parser.addOption(version);

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError(program, QStringLiteral("unknown option '%1'").arg(asTyped(unknown.first(), arguments)),
                              err);
        return usageError(program, asClause(parser.errorText()), err);
    }
    if (parser.isSet(help)) {
        // The parser names the program by its path, or by a placeholder before the
        // application object exists.
        QString text = parser.helpText();
        const QString shownAs = QCoreApplication::instance() ? QCoreApplication::arguments().value(0)
                                                              : QStringLiteral("<executable_name>");
        text.replace(QStringLiteral("Usage: ") + shownAs, QStringLiteral("Usage: ") + program);
        out << text;
        out.flush();
        return 0;
    }
    if (parser.isSet(version)) {
        out << versionLine(program) << '\n';
        out.flush();
        return 0;
    }
    if (positionals == Positionals::Refused && !parser.positionalArguments().isEmpty())
        return usageError(program,
                          QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().constFirst()),
                          err);
    return std::nullopt;
}

} // namespace commandline

namespace {

// The options QGuiApplication, QApplication and the X11 platform read themselves.
const struct
{
    const char *name;
    bool takesValue;
} kQtOptions[] = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true}, {"qwindowtitle", true}, {"session", true},
    {"style", true}, {"stylesheet", true}, {"display", true}, {"geometry", true},
    {"title", true}, {"icon", true}, {"name", true}, {"visual", true},
    {"qmljsdebugger", true}, {"reverse", false}, {"widgetcount", false}, {"sync", false},
    {"nograb", false}, {"dograb", false}, {"testability", false},
};

} // namespace

ConfiguratorCommandLine::ConfiguratorCommandLine()
{
    // Qt's options are single-dash words ("-platform offscreen").
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.setApplicationDescription(QStringLiteral(
        "Reads, edits and writes the configuration of a Tavrix GSM alarm controller on a serial port.\n"
        "Qt's own options (-platform, -style, -display, -qwindowgeometry, ...) are accepted too."));
    for (const auto &qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name), QString());
        if (qt.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
}

void ConfiguratorCommandLine::addWindowlessOption(const QCommandLineOption &option, WindowlessRun run)
{
    m_parser.addOption(option);
    m_windowless.append({option, std::move(run)});
}

QString ConfiguratorCommandLine::programName()
{
    return QStringLiteral("tavrix-configurator");
}

std::optional<int> ConfiguratorCommandLine::process(int &argc, char **argv, const QProcessEnvironment &environment)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    return process(argc, argv, environment, out, err);
}

std::optional<int> ConfiguratorCommandLine::process(int &argc, char **argv, const QProcessEnvironment &environment,
                                                    QTextStream &out, QTextStream &err)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> status = commandline::parse(m_parser, programName(), arguments, out, err))
        return status;

    for (const auto &[option, run] : m_windowless) {
        if (!m_parser.isSet(option))
            continue;
        std::optional<QCoreApplication> core;
        if (!QCoreApplication::instance())
            core.emplace(argc, argv);
        const int status = run(out, err);
        out.flush();
        err.flush();
        return status;
    }

    const bool displayNamed = environment.contains(QStringLiteral("DISPLAY"))
                              || environment.contains(QStringLiteral("WAYLAND_DISPLAY"))
                              || environment.contains(QStringLiteral("QT_QPA_PLATFORM"))
                              || m_parser.isSet(QStringLiteral("platform")) || m_parser.isSet(QStringLiteral("display"));
    if (!displayNamed) {
        err << programName()
            << ": no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set);"
               " -platform offscreen runs it without one\n";
        err.flush();
        return kNoDisplay;
    }
    return std::nullopt;
}

namespace {

QtMessageHandler g_passOn = nullptr;
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> g_held;

void passOn(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (g_passOn)
        g_passOn(type, context, message);
    else
        QTextStream(stderr) << qFormatLogMessage(type, context, message) << '\n';
}

void guardStart(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        // The platform's own complaint ("could not connect to display :99") says more
        // than the advice to reinstall that follows it.
        QString reason = message.section(QLatin1Char('\n'), 0, 0);
        for (const HeldMessage &held : g_held) {
            if (held.type != QtDebugMsg && held.type != QtInfoMsg) {
                reason = held.text;
                break;
            }
        }
        QTextStream(stderr) << ConfiguratorCommandLine::programName() << ": cannot open the window: " << reason
                            << '\n';
        std::_Exit(ConfiguratorCommandLine::kNoDisplay);
    }
    if (context.category && qstrncmp(context.category, "qt.qpa", 6) == 0) {
        g_held.push_back({type, context.category, message});
        return;
    }
    passOn(type, context, message);
}

} // namespace

PlatformStartGuard::PlatformStartGuard()
{
    g_passOn = qInstallMessageHandler(guardStart);
}

PlatformStartGuard::~PlatformStartGuard()
{
    qInstallMessageHandler(g_passOn);
    for (const HeldMessage &held : g_held) {
        const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
        passOn(held.type, context, held.text);
    }
    g_held.clear();
}
