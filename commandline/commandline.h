#pragma once

#include <QCommandLineParser>
#include <QStringList>

#include <optional>

class QTextStream;

// What the three programs share on the command line: -h/--help, -v/--version ("<program>
// <version>", the version of this build) and usage errors that name the fault in one line,
// point at --help and end the program with kUsageError.
namespace commandline {

constexpr int kUsageError = 2;

// "tavrix-sim 2.0".
QString versionLine(const QString &program);

// "<program>: <message> (see <program> --help)" on err; returns kUsageError.
int usageError(const QString &program, const QString &message, QTextStream &err);

// The usage error for a positional argument the program does not take.
int unexpectedArgument(const QString &program, const QString &argument, QTextStream &err);

enum class Positionals { Refused, Allowed };

// Adds the help and version options, parses, and handles what ends the program at once.
// Returns the exit status then (0 after help or version, kUsageError after an unknown
// option, a missing value or a positional argument that is refused), or nothing to go on.
std::optional<int> parse(QCommandLineParser &parser, const QString &program, const QStringList &arguments,
                         QTextStream &out, QTextStream &err, Positionals positionals = Positionals::Refused);

} // namespace commandline

namespace commandline {

// Lets the program's text reach the terminal it was started from as the terminal shows
// it. A Windows program without a console of its own (the window) attaches to the one
// of the command prompt that started it, and UTF-8 is what the console decodes; on
// Linux there is nothing to do.
void useStartingConsole();

// Whether the program's error output goes to a terminal a person watches (not a file
// or a pipe): a line may then be redrawn in place.
bool errorsOnTerminal();

} // namespace commandline
