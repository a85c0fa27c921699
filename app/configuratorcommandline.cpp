#include "app/configuratorcommandline.h"

#include "app/displaytoopen.h"
#include "app/russiantexts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTextStream>

#include <cstdlib>
#include <vector>

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
        "Читает, изменяет и записывает настройки GSM-сигнализации Tavrix через последовательный порт.\n"
        "Принимает и параметры самого Qt (-platform, -style, -display, -qwindowgeometry, ...)."));
    for (const auto &qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name), QString());
        if (qt.takesValue)
            option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        m_parser.addOption(option);
    }
    m_parser.addPositionalArgument(QStringLiteral("файл"),
                                   QStringLiteral("Файл конфигурации, который окно открывает, как пункт меню "
                                                  "«Открыть конфигурацию…»: файл задаёт значения элементов, "
                                                  "контроллеру ничего не отправляется."),
                                   QStringLiteral("[файл]"));
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
    // The window is Russian, and so is what it says on the command line; Qt's and the
    // shared texts need an application object, and the window's own is not made yet.
    std::optional<QCoreApplication> core;
    if (!QCoreApplication::instance())
        core.emplace(argc, argv);
    useRussianTexts();

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> status = commandline::parse(m_parser, programName(), arguments, out, err,
                                                             commandline::Positionals::Allowed))
        return status;
    const QStringList files = m_parser.positionalArguments();
    if (files.size() > 1)
        return commandline::unexpectedArgument(programName(), files.at(1), err);
    // Made absolute now: nothing later depends on the folder the program was started in.
    if (!files.isEmpty())
        m_configurationFile = QFileInfo(files.first()).absoluteFilePath();

    for (const auto &[option, run] : m_windowless) {
        if (!m_parser.isSet(option))
            continue;
        const int status = run(out, err);
        out.flush();
        err.flush();
        return status;
    }

    const bool displayNamed = displayToOpen(environment)
                              || environment.contains(QStringLiteral("QT_QPA_PLATFORM"))
                              || m_parser.isSet(QStringLiteral("platform")) || m_parser.isSet(QStringLiteral("display"));
    if (!displayNamed) {
        err << programName()
            << QStringLiteral(": нет дисплея, на котором открыть окно (не заданы ни DISPLAY, ни WAYLAND_DISPLAY);"
                              " с -platform offscreen окно работает без дисплея\n");
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
        QTextStream(stderr) << ConfiguratorCommandLine::programName() << QStringLiteral(": не удаётся открыть окно: ") << reason
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
