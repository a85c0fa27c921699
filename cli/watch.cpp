#include "cli/watch.h"

#include "net/networkports.h"
#include "net/portnames.h"

#include "config/catalog.h"
#include "line/productionline.h"
#include "line/recipe.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTimer>

#include <csignal>

namespace {

struct Cli
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

volatile std::sig_atomic_t g_interrupts = 0;

void onInterrupt(int)
{
    // Only a flag here; the event loop looks at it.
    g_interrupts = g_interrupts + 1;
}

int printCheck(const line::Recipe &recipe, QTextStream &out)
{
    out << recipe.templatePath() << ": " << Cli::tr("%n control(s)", nullptr, int(recipe.templateConfiguration().size()))
        << '\n';
    for (const line::UnitRow &row : recipe.rows()) {
        QStringList sets;
        for (const auto &[name, value] : row.values)
            sets << QStringLiteral("%1 = %2").arg(name, config::quoted(value));
        out << Cli::tr("line %1").arg(row.line);
        if (!row.label.isEmpty())
            out << " (" << row.label << ")";
        out << ": " << (sets.isEmpty() ? Cli::tr("the template alone") : sets.join(QStringLiteral(", ")))
            << '\n';
    }
    out.flush();
    return 0;
}

} // namespace

int runWatch(const PortMap &map, const WatchOptions &options, QTextStream &out, QTextStream &err)
{
    line::Recipe recipe;
    // Every row is checked before any port is opened: one bad row ends the run here.
    if (const auto error = recipe.load(options.templatePath, options.unitsPath)) {
        err << "tavrix-cli: " << error->message() << '\n';
        err.flush();
        if (options.json)
            out << QString::fromUtf8(QJsonDocument(QJsonObject {{QStringLiteral("command"), QStringLiteral("watch")},
                                                                {QStringLiteral("error"), error->message()},
                                                                {QStringLiteral("file"), error->file},
                                                                {QStringLiteral("line"), error->line},
                                                                {QStringLiteral("column"), error->column},
                                                                {QStringLiteral("reason"), error->reason},
                                                                {QStringLiteral("status"), 2}})
                                         .toJson(QJsonDocument::Indented));
        return 2;
    }
    if (options.check)
        return printCheck(recipe, out);

    line::ProductionLine::Options lineOptions;
    lineOptions.coms = options.coms;
    lineOptions.backupsDir = options.backupsDir;
    lineOptions.logPath = options.logPath;
    lineOptions.book = options.book;
    lineOptions.operatorName = options.operatorName;
    lineOptions.count = options.count;
    lineOptions.timing.settleMs = options.settleMs;
    lineOptions.timing.timeoutMs = options.timeoutMs;
    net::registerNetworkPorts(options.connectTimeoutMs);
    line::ProductionLine productionLine(map, recipe, lineOptions);
    QString why;
    if (!productionLine.prepare(&why)) {
        err << "tavrix-cli: " << why << '\n';
        err.flush();
        return 2;
    }

    // Under --json stdout carries the summary alone; the events go to stderr.
    QTextStream &events = options.json ? err : out;
    QObject::connect(&productionLine, &line::ProductionLine::unitDone, &productionLine,
                     [&events](const line::UnitResult &result) {
                         events << line::ProductionLine::eventLine(result) << '\n';
                         for (const QString &note : result.notes)
                             events << "      " << note << '\n';
                         events.flush();
                     });
    QObject::connect(&productionLine, &line::ProductionLine::notice, &productionLine, [&err](const QString &text) {
        err << text << '\n';
        err.flush();
    });

    g_interrupts = 0;
    const auto previousInt = std::signal(SIGINT, onInterrupt);
    const auto previousTerm = std::signal(SIGTERM, onInterrupt);
    QTimer interrupts;
    int seen = 0;
    QObject::connect(&interrupts, &QTimer::timeout, &productionLine, [&] {
        const int now = g_interrupts;
        if (now == seen)
            return;
        seen = now;
        // The first ends the line after the units under way; a second ends it at once.
        if (now == 1) {
            err << Cli::tr("Stopping after the controllers under way (again to stop at once)") << '\n';
            err.flush();
            productionLine.stop();
        } else {
            productionLine.abort();
        }
    });
    interrupts.start(50);

    QEventLoop loop;
    QObject::connect(&productionLine, &line::ProductionLine::finished, &loop, &QEventLoop::quit);
    QStringList names;
    for (int com : options.coms)
        names << portnames::name(com);
    events << Cli::tr("Watching %1; backups in %2")
                  .arg(names.isEmpty() ? QStringLiteral("COM1-COM50") : names.join(QStringLiteral(", ")),
                       productionLine.backupsDir())
           << '\n';
    events.flush();
    productionLine.start();
    if (productionLine.running())
        loop.exec();
    interrupts.stop();
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);

    const line::ProductionLine::Summary summary = productionLine.summary();
    if (options.json)
        out << QString::fromUtf8(QJsonDocument(line::ProductionLine::summaryObject(summary)).toJson(QJsonDocument::Indented));
    else
        out << line::ProductionLine::summaryLine(summary) << '\n';
    out.flush();
    return summary.failed > 0 ? 1 : 0;
}
