#include "cli/booktool.h"
#include "cli/selftest.h"
#include "net/portnames.h"
#include "cli/serve.h"
#include "cli/tool.h"
#include "cli/watch.h"
#include "commandline/commandline.h"
#include "translations/language.h"

#include <QCoreApplication>
#include <QCommandLineParser>
#include <QRegularExpression>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

const QString kProgram = QStringLiteral("tavrix-cli");

struct Cli
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

const char *const kSynopsis = QT_TRANSLATE_NOOP(
    "Cli",
    "Reads, writes and compares the configuration of Tavrix controllers.\n"
    "\n"
    "Commands:\n"
    "  ports [--all]                 the COM ports there are, with their devices and states\n"
    "                                (--all: every COM number, COM1 to COM50)\n"
    "  read COMn... -o FILE|DIR|-    read controllers into files (several: DIR/COMn.cfg)\n"
    "  write COMn... FILE [--verify] apply FILE onto what each controller holds and write it\n"
    "  diff A B                      compare two files or controllers (COMn)\n"
    "  show FILE|COMn                every control with its page and caption\n"
    "  defaults [-o FILE]            the factory configuration as a file\n"
    "  watch TEMPLATE [COMn...]      the production line: every controller that answers gets\n"
    "        [--units UNITS.csv] [--log LOG.jsonl] [--backups DIR] [--count N] [--settle S]\n"
    "                                TEMPLATE and its own row, verified and logged; --check\n"
    "                                only checks TEMPLATE and the rows\n"
    "  report FILE|COMn -o SHEET.pdf|SHEET.html [--mask]\n"
    "        [--site TEXT] [--customer TEXT] [--installer TEXT]\n"
    "                                the configuration sheet (--mask: numbers, keys and\n"
    "                                passwords hidden); the site, customer and installer\n"
    "                                head it, blank lines to fill in where not given\n"
    "  audit COMn FILE|SHEET         whether the controller holds that configuration\n"
    "  book sites [TEXT] [--all]     the site book: sites found by name, address, contact,\n"
    "                                notes, subscriber numbers or fingerprints (--all:\n"
    "                                archived sites too)\n"
    "  book site NAME                a site's card, controllers and revisions\n"
    "  book add|edit NAME [--address A] [--contact C] [--note N]\n"
    "  book archive|unarchive NAME   a site out of the listings (its history kept), or back\n"
    "  book unassigned               revisions of controllers no site owns yet\n"
    "  book show REV [-o FILE]       a revision's configuration\n"
    "  book diff REV REV             compare two revisions\n"
    "  book assign REV NAME[/CONTROLLER]\n"
    "  book export [NAME...] -o FILE, book import FILE\n"
    "                                a bundle of sites and revisions for another book\n"
    "  book sync                     send what waits for the shared book\n"
    "  selftest                      whether this copy's files are the ones shipped (and\n"
    "                                the Qt plugins it loads)\n"
    "  serve COMn [--listen ADDRESS:PORT]\n"
    "                                lend the port as an RFC 2217 server, one client at a\n"
    "                                time (127.0.0.1:2217 unless --listen names another)\n"
    "\n"
    "read, write and audit record into the site book (--book URL, TAVRIX_BOOK, or\n"
    "the default file); --site NAME[/CONTROLLER] says whose controller it is, --site auto\n"
    "takes the one the book recognises. REV is a revision's short id, or NAME[/CONTROLLER]\n"
    "for its latest.\n"
    "\n"
    "Wherever a COM port goes, a network port may: rfc2217://HOST:PORT (Telnet with the\n"
    "COM port option, set to 9600 8N1) or socket://HOST:PORT (raw TCP, the server's own\n"
    "settings). Connecting waits 5 s, or --timeout when given.\n"
    "\n"
    "--trace FILE writes the exchange with every port (time, direction, bytes, text),\n"
    "each line headed by its COM number.\n"
    "\n"
    "Exit status: 0 done and identical, 1 controller or port failure (book: not found;\n"
    "selftest: files missing or changed), 2 usage, file or book error,\n"
    "3 differences found (diff, write --verify, audit).\n"
    "\n"
    "write saves what each controller held first, as a snapshot in the backups folder.\n"
    "\n"
    "The messages are in Russian when the system's language is Russian, in English\n"
    "otherwise (LANGUAGE=en or LANGUAGE=ru chooses).");

// stdout and stderr carry the results; the toolkit's notes on a headless session
// (no runtime folder, no screen) are not among them.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    commandline::useStartingConsole();
    qInstallMessageHandler(quietMessages);
    // A console program for every command: a PDF sheet is drawn by tavrix-sheet-pdf.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kProgram);
    language::use(kProgram);

    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(Cli::tr(kSynopsis));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    Cli::tr("The file (or folder, for several ports) to write."),
                                    Cli::tr("path"));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    Cli::tr("After writing, read back and list every control that differs."));
    const QCommandLineOption json(QStringLiteral("json"), Cli::tr("Machine-readable results on stdout."));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     Cli::tr("Seconds to wait for each command's answer (default 10)."),
                                     Cli::tr("seconds"), QStringLiteral("10"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   Cli::tr("Write every command sent and every reply received, for each port, to FILE."),
                                   Cli::tr("file"));
    const QCommandLineOption units(QStringLiteral("units"), Cli::tr("watch: one row of values per controller (CSV)."),
                                   Cli::tr("file"));
    const QCommandLineOption log(QStringLiteral("log"), Cli::tr("watch: append one JSON line per controller to FILE."),
                                 Cli::tr("file"));
    const QCommandLineOption backups(QStringLiteral("backups"),
                                     Cli::tr("watch: the folder for what each controller held before."),
                                     Cli::tr("dir"));
    const QCommandLineOption count(QStringLiteral("count"), Cli::tr("watch: end after N controllers written and verified."),
                                   QStringLiteral("N"));
    const QCommandLineOption settle(QStringLiteral("settle"),
                                    Cli::tr("watch: seconds to wait after a port appears (default 1)."),
                                    Cli::tr("seconds"), QStringLiteral("1"));
    const QCommandLineOption check(QStringLiteral("check"),
                                   Cli::tr("watch: only check the template and every row; no port is opened."));
    const QCommandLineOption mask(QStringLiteral("mask"),
                                  Cli::tr("report: phone numbers and keys shown by their last three characters only, "
                                          "the SMS command password not at all."));
    const QCommandLineOption site(QStringLiteral("site"),
                                  Cli::tr("report: the site the sheet's system stands at; read, write, audit: the site "
                                          "book's NAME[/CONTROLLER] to record under, or auto."),
                                  Cli::tr("text"));
    const QCommandLineOption bookOption(QStringLiteral("book"),
                                        Cli::tr("The site book: a file, or postgresql://USER@HOST[:PORT]/DB (default: "
                                                "TAVRIX_BOOK, else the book in the user's data folder)."),
                                        Cli::tr("url"));
    const QCommandLineOption operatorOption(QStringLiteral("operator"),
                                            Cli::tr("Who the site book records as having done it (default: the user name)."),
                                            Cli::tr("name"));
    const QCommandLineOption address(QStringLiteral("address"), Cli::tr("book add, edit: the site's address."), Cli::tr("text"));
    const QCommandLineOption contact(QStringLiteral("contact"), Cli::tr("book add, edit: the site's contact."), Cli::tr("text"));
    const QCommandLineOption note(QStringLiteral("note"), Cli::tr("book add, edit: notes on the site."), Cli::tr("text"));
    const QCommandLineOption customer(QStringLiteral("customer"), Cli::tr("report: the customer the sheet is handed to."),
                                      Cli::tr("text"));
    const QCommandLineOption installer(QStringLiteral("installer"), Cli::tr("report: who installed the system."),
                                       Cli::tr("text"));
    const QCommandLineOption all(QStringLiteral("all"),
                                 Cli::tr("ports: every COM number, also those with nothing behind them; book sites: "
                                         "archived sites too."));
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    Cli::tr("serve: the address and port to listen on (default 127.0.0.1:2217)."),
                                    Cli::tr("address:port"));
    parser.addOptions({output, verify, json, timeout, trace, units, log, backups, count, settle, check, mask, site, customer, installer, all,
                       bookOption, operatorOption, address, contact, note, listen});
    // The names are only shown: in the user's language, as the placeholders above.
    parser.addPositionalArgument(Cli::tr("command"),
                                 Cli::tr("ports, read, write, diff, show, defaults, watch, report, audit, book, selftest or serve"));
    parser.addPositionalArgument(Cli::tr("arguments"), Cli::tr("Ports (COMn) and files."), Cli::tr("[arguments...]"));

    // With --json every outcome is one JSON document on stdout, a usage error too; the
    // option is looked for before parsing, since parsing may be what fails.
    const QStringList arguments = QCoreApplication::arguments();
    const bool jsonWanted = arguments.mid(1).contains(QStringLiteral("--json"));
    QString command;
    const auto failAsJson = [&](const QString &line) {
        if (!jsonWanted)
            return;
        QString message = line.trimmed();
        if (message.startsWith(kProgram + QStringLiteral(": ")))
            message = message.mid(kProgram.size() + 2);
        Tool::emitUsageError(out, command, message);
    };

    // One line for a fault, as the configurator and the simulator do.
    QString parseErrors;
    QTextStream parseErr(&parseErrors);
    const std::optional<int> parsed = commandline::parse(parser, kProgram, arguments, out, parseErr,
                                                         commandline::Positionals::Allowed);
    parseErr.flush();
    err << parseErrors;
    err.flush();
    if (parsed) {
        if (*parsed != 0)
            failAsJson(parseErrors);
        return *parsed;
    }
    const auto fail = [&](const QString &message) {
        QString line;
        QTextStream lineStream(&line);
        const int status = commandline::usageError(kProgram, message, lineStream);
        lineStream.flush();
        err << line;
        err.flush();
        failAsJson(message);
        return status;
    };

    QStringList args = parser.positionalArguments();
    if (!args.isEmpty())
        command = args.first();

    Tool::Options options;
    options.output = parser.value(output);
    options.verify = parser.isSet(verify);
    options.json = parser.isSet(json);
    options.trace = parser.value(trace);
    options.mask = parser.isSet(mask);
    if (command == QLatin1String("report"))
        options.site = parser.value(site);
    else
        options.bookSite = parser.value(site);
    options.book = parser.value(bookOption);
    options.operatorName = parser.value(operatorOption);
    options.customer = parser.value(customer);
    options.installer = parser.value(installer);
    options.waitLine = commandline::errorsOnTerminal();
    bool ok = false;
    const double seconds = parser.value(timeout).toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0.1)
        return fail(Cli::tr("--timeout takes a number of seconds from 0.1 up, not '%1'").arg(parser.value(timeout)));
    // A timer counts milliseconds in an int: a longer wait is a wait without end.
    options.timeoutMs = int(std::min(seconds * 1000.0, double(std::numeric_limits<int>::max())));
    if (parser.isSet(timeout))
        options.connectTimeoutMs = options.timeoutMs;

    if (args.isEmpty())
        return fail(Cli::tr("no command given"));
    args.takeFirst();
    const auto needs = [&](bool allowed, const char *option) {
        return allowed || !parser.isSet(QString::fromLatin1(option));
    };
    if (!needs(command == QLatin1String("write"), "verify"))
        return fail(Cli::tr("--verify belongs to write"));
    if (!needs(command == QLatin1String("read") || command == QLatin1String("defaults") || command == QLatin1String("report")
                   || command == QLatin1String("book"), "o"))
        return fail(Cli::tr("-o belongs to read, defaults, report and book"));
    if (!needs(command == QLatin1String("report") || command == QLatin1String("read") || command == QLatin1String("write")
                   || command == QLatin1String("audit"), "site"))
        return fail(Cli::tr("--site belongs to report, read, write and audit"));
    for (const char *option : {"address", "contact", "note"}) {
        if (!needs(command == QLatin1String("book"), option))
            return fail(Cli::tr("--%1 belongs to book add and book edit").arg(QLatin1String(option)));
    }
    if (command == QLatin1String("book")) {
        BookOptions bookOptions;
        bookOptions.book = options.book;
        bookOptions.operatorName = options.operatorName;
        bookOptions.json = options.json;
        bookOptions.output = options.output;
        bookOptions.all = parser.isSet(all);
        if (parser.isSet(address))
            bookOptions.address = parser.value(address);
        if (parser.isSet(contact))
            bookOptions.contact = parser.value(contact);
        if (parser.isSet(note))
            bookOptions.note = parser.value(note);
        return runBook(args, bookOptions, out, err);
    }
    for (const char *option : {"mask", "customer", "installer"}) {
        if (!needs(command == QLatin1String("report"), option))
            return fail(Cli::tr("--%1 belongs to report").arg(QLatin1String(option)));
    }
    if (!needs(command == QLatin1String("serve"), "listen"))
        return fail(Cli::tr("--listen belongs to serve"));
    if (!needs(command == QLatin1String("ports"), "all"))
        return fail(Cli::tr("--all belongs to ports and book sites"));
    for (const char *option : {"units", "log", "backups", "count", "settle", "check"}) {
        if (!needs(command == QLatin1String("watch"), option))
            return fail(Cli::tr("--%1 belongs to watch").arg(QLatin1String(option)));
    }

    // Ports are named COMn or by a network address; the remaining arguments are files.
    QList<int> coms;
    QStringList files;
    static const QRegularExpression comForm(QStringLiteral("^com\\d+$"), QRegularExpression::CaseInsensitiveOption);
    for (const QString &arg : std::as_const(args)) {
        if (comForm.match(arg).hasMatch() && !Tool::comNumber(arg))
            return fail(Cli::tr("%1: COM numbers go from %2 to %3").arg(arg).arg(PortMap::kFirstCom).arg(PortMap::kLastCom));
        QString notAnAddress;
        const int com = portnames::number(arg, &notAnAddress);
        if (!notAnAddress.isEmpty())
            return fail(notAnAddress);
        if (com) {
            if (coms.contains(com))
                return fail(Cli::tr("%1 is named twice").arg(arg));
            coms << com;
        } else {
            files << arg;
        }
    }

    if (command == QLatin1String("selftest")) {
        if (!args.isEmpty())
            return fail(Cli::tr("selftest takes no arguments"));
        return runSelftest(out);
    }

    if (command == QLatin1String("watch")) {
        if (files.size() != 1)
            return fail(Cli::tr("watch takes one template file and the ports to watch: watch TEMPLATE [COM3...]"));
        WatchOptions watch;
        watch.templatePath = files.first();
        watch.coms = coms;
        watch.unitsPath = parser.value(units);
        watch.logPath = parser.value(log);
        watch.book = options.book;
        watch.operatorName = options.operatorName;
        watch.backupsDir = parser.value(backups);
        watch.check = parser.isSet(check);
        watch.json = options.json;
        watch.timeoutMs = options.timeoutMs;
        watch.connectTimeoutMs = options.connectTimeoutMs;
        if (parser.isSet(count)) {
            watch.count = parser.value(count).toInt(&ok);
            if (!ok || watch.count < 1)
                return fail(Cli::tr("--count takes a whole number from 1 up, not '%1'").arg(parser.value(count)));
        }
        const double settleSeconds = parser.value(settle).toDouble(&ok);
        if (!ok || !std::isfinite(settleSeconds) || settleSeconds < 0 || settleSeconds > 3600)
            return fail(Cli::tr("--settle takes 0 to 3600 seconds, not '%1'").arg(parser.value(settle)));
        watch.settleMs = int(settleSeconds * 1000 + 0.5);
        return runWatch(PortMap::system(), watch, out, err);
    }

    Tool tool(PortMap::system(), options, out, err);
    if (QString why; !tool.startTrace(&why))
        return fail(Cli::tr("--trace: %1 cannot be written: %2").arg(options.trace, why));
    if (command == QLatin1String("ports")) {
        if (!args.isEmpty())
            return fail(Cli::tr("ports takes no arguments"));
        return tool.ports(parser.isSet(all));
    }
    if (command == QLatin1String("read")) {
        if (coms.isEmpty() || !files.isEmpty())
            return fail(Cli::tr("read takes one or more ports: read COM3 [COM4...] -o FILE|DIR"));
        if (!parser.isSet(output))
            return fail(Cli::tr("read needs -o FILE (or -o DIR for several ports, -o - for stdout)"));
        return tool.read(coms);
    }
    if (command == QLatin1String("write")) {
        if (coms.isEmpty() || files.size() != 1)
            return fail(Cli::tr("write takes one or more ports and one file: write COM3 [COM4...] FILE"));
        return tool.write(coms, files.first());
    }
    if (command == QLatin1String("diff")) {
        if (args.size() != 2)
            return fail(Cli::tr("diff takes two files or ports: diff A B"));
        return tool.diff(args[0], args[1]);
    }
    if (command == QLatin1String("show")) {
        if (args.size() != 1)
            return fail(Cli::tr("show takes one file or port"));
        return tool.showControls(args[0]);
    }
    if (command == QLatin1String("defaults")) {
        if (!args.isEmpty())
            return fail(Cli::tr("defaults takes no arguments, only -o FILE"));
        return tool.defaults();
    }
    if (command == QLatin1String("report")) {
        if (args.size() != 1)
            return fail(Cli::tr("report takes one file or port: report FILE|COMn -o SHEET.pdf|SHEET.html"));
        if (!parser.isSet(output))
            return fail(Cli::tr("report needs -o SHEET.pdf or -o SHEET.html"));
        return tool.report(args[0]);
    }
    if (command == QLatin1String("audit")) {
        if (coms.size() != 1 || files.size() != 1 || !portnames::number(args[0]))
            return fail(Cli::tr("audit takes a port and a file or sheet: audit COMn FILE|SHEET"));
        return tool.audit(coms.first(), files.first());
    }
    if (command == QLatin1String("serve")) {
        if (coms.size() != 1 || !files.isEmpty() || portnames::isAddress(coms.first()))
            return fail(Cli::tr("serve takes one COM port: serve COMn [--listen ADDRESS:PORT]"));
        return runServe(PortMap::system(), coms.first(), parser.value(listen), out, err);
    }
    return fail(Cli::tr("unknown command '%1'").arg(command));
}
