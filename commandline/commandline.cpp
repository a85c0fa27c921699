#include "commandline/commandline.h"

#include <QCoreApplication>
#include <QTextStream>

namespace commandline {

namespace {

// The words every program shares; a program's own .qm carries them in its language.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(commandline)
};

// The parser's own words in the help and its faults: carried in the programs' own
// translations too, so that the help is Russian throughout also where Qt's translations
// are not installed.
[[maybe_unused]] const char *const kParserWords[] = {
    QT_TRANSLATE_NOOP("QCommandLineParser", "[options]"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Options:"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Arguments:"),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'."),
    QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'."),
};

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
    err << program << ": " << message << ' ' << Words::tr("(see %1 --help)").arg(program) << '\n';
    err.flush();
    return kUsageError;
}

int unexpectedArgument(const QString &program, const QString &argument, QTextStream &err)
{
    return usageError(program, Words::tr("unexpected argument '%1'").arg(argument), err);
}

std::optional<int> parse(QCommandLineParser &parser, const QString &program, const QStringList &arguments,
                         QTextStream &out, QTextStream &err, Positionals positionals)
{
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  Words::tr("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     Words::tr("Shows the program's name and version and exits."));
    parser.addOption(help);
    parser.addOption(version);

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError(program, Words::tr("unknown option '%1'").arg(asTyped(unknown.first(), arguments)),
                              err);
        return usageError(program, asClause(parser.errorText()), err);
    }
    if (parser.isSet(help)) {
        // The parser names the program by its path, or by a placeholder before the
        // application object exists.
        QString text = parser.helpText();
        const QString shownAs = QCoreApplication::instance() ? QCoreApplication::arguments().value(0)
                                                              : QStringLiteral("<executable_name>");
        // In the parser's own words, which follow the program's language.
        const auto usage = [](const QString &name) {
            return QCoreApplication::translate("QCommandLineParser", "Usage: %1").arg(name);
        };
        text.replace(usage(shownAs), usage(program));
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
        return unexpectedArgument(program, parser.positionalArguments().constFirst(), err);
    return std::nullopt;
}

} // namespace commandline
