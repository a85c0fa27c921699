// tavrix-sim: the Tavrix controller on a pseudo-terminal, linked as a COM number in the
// configurator's ports folder, with faults to provoke on purpose.
#include "commandline/commandline.h"
#include "link/portmap_unix.h"
#include "sim/bench.h"
#include "sim/simulator.h"
#include "translations/language.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Nothing else is safe in a handler; the event loop picks the byte up.
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

bool installSignalPipe()
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        if (::sigaction(sig, &action, nullptr) != 0)
            return false;
    return true;
}

const QString kProgram = QStringLiteral("tavrix-sim");

struct Sim
{
    Q_DECLARE_TR_FUNCTIONS(Sim)
};

// Longest time and largest byte count the fault options take.
constexpr int kMostMs = 3600000;
constexpr int kMostBytes = 1000000;

// An option that takes a whole number in a range.
struct RangedOption
{
    QString name;
    int min;
    int max;
    int *value;
};

QString rangeOf(const RangedOption &option)
{
    return Sim::tr("--%1 takes %2 to %3").arg(option.name).arg(option.min).arg(option.max);
}

bool readInt(const QCommandLineParser &parser, const RangedOption &option, QTextStream &err)
{
    if (!parser.isSet(option.name))
        return true;
    bool ok = false;
    const int v = parser.value(option.name).toInt(&ok);
    if (!ok || v < option.min || v > option.max) {
        commandline::usageError(kProgram, rangeOf(option) + Sim::tr(", not '%1'").arg(parser.value(option.name)),
                                err);
        return false;
    }
    *option.value = v;
    return true;
}

// A time in seconds (decimals allowed) for the bench options, to the millisecond.
struct SecondsOption
{
    QString name;
    double min;
    int *ms;
};

bool readSeconds(const QCommandLineParser &parser, const SecondsOption &option, QTextStream &err)
{
    if (!parser.isSet(option.name))
        return true;
    bool ok = false;
    const double v = parser.value(option.name).toDouble(&ok);
    if (!ok || !(v >= option.min) || v > kMostMs / 1000.0) {
        commandline::usageError(kProgram,
                                Sim::tr("--%1 takes %2 to %3 seconds, not '%4'")
                                    .arg(option.name).arg(option.min).arg(kMostMs / 1000)
                                    .arg(parser.value(option.name)),
                                err);
        return false;
    }
    *option.ms = int(v * 1000 + 0.5);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(kProgram);
    language::use(kProgram);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        Sim::tr("Simulates the Tavrix controller on a pseudo-terminal linked as a COM port.\n"
                "The messages are in Russian when the system's language is Russian, in English\n"
                "otherwise (LANGUAGE=en or LANGUAGE=ru chooses)."));
    parser.addOptions({
        {QStringLiteral("com"), Sim::tr("COM number to link, 1 to 50 (default 1)."), QStringLiteral("N")},
        {QStringLiteral("ports-dir"), Sim::tr("Ports folder (default %1).").arg(portmap::defaultPortsDir()),
         QStringLiteral("DIR")},
        {QStringLiteral("latency"), Sim::tr("Wait before each reply."), QStringLiteral("MS")},
        {QStringLiteral("chunk"), Sim::tr("Deliver replies in chunks of this many bytes."), QStringLiteral("BYTES")},
        {QStringLiteral("chunk-pause"), Sim::tr("Pause between chunks."), QStringLiteral("MS")},
        {QStringLiteral("garbage-before"), Sim::tr("Bytes sent before each reply."), QStringLiteral("TEXT")},
        {QStringLiteral("garbage-after"), Sim::tr("Bytes sent after each reply."), QStringLiteral("TEXT")},
        {QStringLiteral("drop"), Sim::tr("Send no replies (commands still take effect).")},
        {QStringLiteral("truncate"), Sim::tr("Send only the first N bytes of each reply."), QStringLiteral("N")},
        {QStringLiteral("silent"), Sim::tr("Read commands but never answer.")},
        {QStringLiteral("once"), Sim::tr("Apply the faults above to the first reply only.")},
        {QStringLiteral("hang-up-after"), Sim::tr("Make the port disappear after this time, then exit."),
         QStringLiteral("MS")},
        {QStringLiteral("corrupt-write"),
         Sim::tr("Store each settings record with the byte at this offset changed, and acknowledge it."),
         QStringLiteral("OFFSET")},
        {QStringLiteral("units"),
         Sim::tr("Controllers connected one after another, each with its own configuration."),
         QStringLiteral("N")},
        {QStringLiteral("present"), Sim::tr("Seconds each unit stays connected (default 8)."),
         QStringLiteral("S")},
        {QStringLiteral("absent"),
         Sim::tr("Seconds the cable stays empty between units (default 5; a production line takes a unit as gone after 4 s of silence)."),
         QStringLiteral("S")},
        {QStringLiteral("appear-after"), Sim::tr("Create the port's link only after this many seconds."),
         QStringLiteral("S")},
        {QStringLiteral("vanish-after"),
         Sim::tr("Remove the port this many seconds after the start, then exit."), QStringLiteral("S")},
        {QStringLiteral("no-pacing"), Sim::tr("Send replies at once instead of at 9600 baud.")},
        {QStringLiteral("quiet"), Sim::tr("No traffic trace on stderr.")},
    });
    int com = 1;
    int hangUpAfter = -1;
    sim::Simulator::Faults faults;
    sim::Bench::Schedule schedule;
    constexpr int kMostUnits = 10000;
    const RangedOption ranged[] = {
        {QStringLiteral("com"), PortMap::kFirstCom, PortMap::kLastCom, &com},
        {QStringLiteral("latency"), 0, kMostMs, &faults.latencyMs},
        {QStringLiteral("chunk"), 1, kMostBytes, &faults.chunkBytes},
        {QStringLiteral("chunk-pause"), 0, kMostMs, &faults.chunkPauseMs},
        {QStringLiteral("truncate"), 0, kMostBytes, &faults.truncateTo},
        {QStringLiteral("hang-up-after"), 0, kMostMs, &hangUpAfter},
        {QStringLiteral("corrupt-write"), 0, kMostBytes, &faults.corruptOffset},
        {QStringLiteral("units"), 1, kMostUnits, &schedule.units},
    };
    const SecondsOption seconds[] = {
        {QStringLiteral("present"), 0.001, &schedule.presentMs},
        {QStringLiteral("absent"), 0, &schedule.absentMs},
        {QStringLiteral("appear-after"), 0, &schedule.appearAfterMs},
        {QStringLiteral("vanish-after"), 0, &schedule.vanishAfterMs},
    };
    // A number option left without its value at the end says what it takes.
    const QStringList arguments = app.arguments();
    for (const RangedOption &option : ranged) {
        if (arguments.size() > 1 && arguments.constLast() == QStringLiteral("--") + option.name)
            return commandline::usageError(kProgram, rangeOf(option) + Sim::tr(", and no value follows it"), err);
    }
    if (const std::optional<int> status = commandline::parse(parser, kProgram, arguments, out, err))
        return *status;

    for (const RangedOption &option : ranged)
        if (!readInt(parser, option, err))
            return commandline::kUsageError;
    for (const SecondsOption &option : seconds)
        if (!readSeconds(parser, option, err))
            return commandline::kUsageError;
    for (const char *name : {"present", "absent"})
        if (parser.isSet(QLatin1String(name)) && !parser.isSet(QStringLiteral("units")))
            return commandline::usageError(kProgram, Sim::tr("--%1 needs --units").arg(QLatin1String(name)), err);
    if (schedule.vanishAfterMs >= 0 && schedule.vanishAfterMs < schedule.appearAfterMs)
        return commandline::usageError(kProgram, Sim::tr("--vanish-after comes before --appear-after"), err);
    // The wire is single-byte text; take the option's bytes as the terminal gave them.
    faults.garbageBefore = parser.value(QStringLiteral("garbage-before")).toLocal8Bit();
    faults.garbageAfter = parser.value(QStringLiteral("garbage-after")).toLocal8Bit();
    faults.dropReply = parser.isSet(QStringLiteral("drop"));
    faults.silent = parser.isSet(QStringLiteral("silent"));
    faults.once = parser.isSet(QStringLiteral("once"));
    const QString portsDir = parser.isSet(QStringLiteral("ports-dir"))
                                 ? parser.value(QStringLiteral("ports-dir"))
                                 : portmap::defaultPortsDir();

    if (!installSignalPipe()) {
        err << "tavrix-sim: " << Sim::tr("cannot install the signal handlers") << '\n';
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] {
        char drain[16];
        while (::read(g_signalPipe[0], drain, sizeof drain) > 0) {
        }
        QCoreApplication::quit();
    });

    sim::Simulator simulator;
    simulator.setTrace(!parser.isSet(QStringLiteral("quiet")));
    simulator.setPacing(!parser.isSet(QStringLiteral("no-pacing")));
    simulator.setFaults(faults);

    sim::Bench bench(simulator);
    const auto announce = [&out, &simulator, com] {
        out << "COM" << com << ": " << simulator.linkPath() << " -> " << simulator.slavePath() << Qt::endl;
    };
    QObject::connect(&bench, &sim::Bench::appeared, &app, announce);
    QObject::connect(&bench, &sim::Bench::unitConnected, &app,
                     [&out](int unit) { out << Sim::tr("unit %1 connected").arg(unit) << Qt::endl; });
    QObject::connect(&bench, &sim::Bench::unitDisconnected, &app,
                     [&out](int unit) { out << Sim::tr("unit %1 disconnected").arg(unit) << Qt::endl; });
    int failedStatus = 0;
    QObject::connect(&bench, &sim::Bench::failed, &app, [&err, &failedStatus](const QString &why) {
        err << "tavrix-sim: " << why << Qt::endl;
        failedStatus = 1;
        QCoreApplication::exit(1);
    });
    QObject::connect(&bench, &sim::Bench::vanished, &app, [] { QCoreApplication::quit(); });

    QString error;
    if (!bench.start(portsDir, com, schedule, &error)) {
        err << "tavrix-sim: " << error << "\n";
        return 1;
    }

    if (hangUpAfter >= 0) {
        QTimer::singleShot(hangUpAfter, &simulator, [&simulator] {
            simulator.hangUp();
            QCoreApplication::quit();
        });
    }

    const int rc = app.exec();
    simulator.stop();
    return failedStatus ? failedStatus : rc;
}
