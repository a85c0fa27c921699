#include "commandline/commandline.h"

#include <QCoreApplication>
#include <QTextStream>

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
