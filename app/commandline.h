#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

class QProcessEnvironment;
class QTextStream;

// What both programs share on the command line: -h/--help, -v/--version ("<program>
// <version>", the version of this build) and usage errors that name the fault in one line,
// point at --help and end the program with kUsageError.
namespace commandline {

constexpr int kUsageError = 2;

// "tavrix-sim 2.0".
QString versionLine(const QString &program);

// "<program>: <message> (see <program> --help)" on err; returns kUsageError.
int usageError(const QString &program, const QString &message, QTextStream &err);

enum class Positionals { Refused, Allowed };

// Adds the help and version options, parses, and handles what ends the program at once.
// Returns the exit status then (0 after help or version, kUsageError after an unknown
// option, a missing value or a positional argument that is refused), or nothing to go on.
std::optional<int> parse(QCommandLineParser &parser, const QString &program, const QStringList &arguments,
                         QTextStream &out, QTextStream &err, Positionals positionals = Positionals::Refused);

} // namespace commandline

// The configurator's command line. It is read before the application object exists, so
// that help, version, usage errors and the options that need no window work without a
// display. Qt's own options (-platform, -style, -display, ...) pass through to Qt.
class ConfiguratorCommandLine
{
public:
    static constexpr int kNoDisplay = 1;

    // Does its work without a window or a display, writes to out and err and returns
    // the exit status. A QCoreApplication exists while it runs.
    using WindowlessRun = std::function<int(QTextStream &out, QTextStream &err)>;

    ConfiguratorCommandLine();

    // An option that ends the program with its run instead of opening the window.
    void addWindowlessOption(const QCommandLineOption &option, WindowlessRun run);

    // Returns the exit status if the program ends here, or nothing to open the window.
    // With no display to open it on, says so in one line and returns kNoDisplay.
    std::optional<int> process(int &argc, char **argv, const QProcessEnvironment &environment);
    std::optional<int> process(int &argc, char **argv, const QProcessEnvironment &environment,
                               QTextStream &out, QTextStream &err);

    static QString programName();

private:
    QCommandLineParser m_parser;
    QList<std::pair<QCommandLineOption, WindowlessRun>> m_windowless;
};

// While the window's application object is built: a platform plugin that cannot start
// (a display that does not answer) ends the program with one line and kNoDisplay instead
// of Qt's abort. Qt's other messages in that time are passed on afterwards.
class PlatformStartGuard
{
public:
    PlatformStartGuard();
    ~PlatformStartGuard();
    PlatformStartGuard(const PlatformStartGuard &) = delete;
    PlatformStartGuard &operator=(const PlatformStartGuard &) = delete;
};
