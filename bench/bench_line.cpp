// The production line against paced simulated benches (9600 8N1, as the real line):
//
//   bench_line [--units R] [--latency MS] [--book URL]
//
// 1. Cycle per unit, from the first byte of its reply to the logged pass, against the
//    time the replies need on the line (READ_SET reply, acknowledgement, read-back)
//    plus the controller's latency before each of its two later replies. The commands
//    the line writes leave at once on a pseudo-terminal, so their 618 + 9 bytes are
//    not in the measured cycle; on a real line they add 0.65 s, and the figure printed
//    for that case adds them to both sides.
// 2. Four stations busy at once against one: the median cycles.
// 3. How long after a port's link appears its station notices it.
// 4. With --book: four stations recording every unit into that site book against the
//    same four without a book.
//
// Prints ratios; the aims are ≤ 1.25, ≤ 1.1 and < 1 s.
#include "line/productionline.h"
#include "line/recipe.h"
#include "link/serialline.h"
#include "protocol/commands.h"
#include "records/memorycontrols.h"
#include "records/records.h"
#include "records/startvalues.h"
#include "protocol/replies.h"
#include "sim/bench.h"
#include "sim/simulator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr double kByteSeconds = 10.0 / SerialLine::kBaudRate;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    if (v.isEmpty())
        return 0;
    const qsizetype n = v.size();
    return n % 2 ? v.at(n / 2) : (v.at(n / 2 - 1) + v.at(n / 2)) / 2;
}

struct Run
{
    QList<double> cycles;
    int failed = 0;
};

Run runStations(const line::Recipe &recipe, int stations, int units, int latencyMs, const QString &book = {})
{
    QTemporaryDir dir;
    const QString portsDir = dir.filePath("ports");
    std::vector<std::unique_ptr<sim::Simulator>> sims;
    std::vector<std::unique_ptr<sim::Bench>> rigs;
    QList<int> coms;
    for (int i = 0; i < stations; ++i) {
        auto device = std::make_unique<sim::Simulator>();
        sim::Simulator::Faults faults;
        faults.latencyMs = latencyMs;
        device->setFaults(faults);
        auto rig = std::make_unique<sim::Bench>(*device);
        sim::Bench::Schedule schedule;
        schedule.units = units;
        schedule.presentMs = 5000;
        schedule.absentMs = 4500; // longer than the two silent periods that mean "gone"
        rig->start(portsDir, 11 + i, schedule);
        coms << 11 + i;
        sims.push_back(std::move(device));
        rigs.push_back(std::move(rig));
    }
    line::ProductionLine::Options options;
    options.coms = coms;
    options.backupsDir = dir.filePath("backups");
    options.count = stations * units;
    options.timing.settleMs = 0;
    options.recordInBook = !book.isEmpty();
    options.book = book;
    line::ProductionLine productionLine(PortMap(portsDir, {}), recipe, options);
    QString why;
    productionLine.prepare(&why);
    Run run;
    QObject::connect(&productionLine, &line::ProductionLine::unitDone, [&run](const line::UnitResult &r) {
        if (r.pass)
            run.cycles << r.seconds;
        else
            ++run.failed;
    });
    QEventLoop loop;
    QObject::connect(&productionLine, &line::ProductionLine::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(stations * units * 15000 + 20000, &loop, &QEventLoop::quit);
    productionLine.start();
    loop.exec();
    return run;
}

QList<double> noticeTimes(const line::Recipe &recipe, int trials, bool watched)
{
    QList<double> out;
    for (int t = 0; t < trials; ++t) {
        QTemporaryDir dir;
        const QString portsDir = dir.filePath("ports");
        // The ports folder is there before the port, as on a machine in use; without it
        // the 500 ms rescan notices the port.
        if (watched)
            QDir().mkpath(portsDir);
        line::ProductionLine::Options options;
        options.recordInBook = false;
        options.coms = {21};
        options.backupsDir = dir.filePath("backups");
        options.timing.settleMs = 1000;
        line::ProductionLine productionLine(PortMap(portsDir, {}), recipe, options);
        QString why;
        productionLine.prepare(&why);
        sim::Simulator device;
        sim::Bench rig(device);
        QElapsedTimer appeared;
        QObject::connect(&rig, &sim::Bench::appeared, [&appeared] { appeared.start(); });
        QEventLoop loop;
        double noticed = -1;
        QObject::connect(&productionLine, &line::ProductionLine::stationUpdated, [&](int com) {
            if (noticed < 0 && appeared.isValid()
                && productionLine.station(com)->state() == line::Station::State::Settling) {
                noticed = appeared.nsecsElapsed() / 1e9;
                loop.quit();
            }
        });
        productionLine.start();
        sim::Bench::Schedule schedule;
        // At different points of the rescan period.
        schedule.appearAfterMs = 300 + 137 * t;
        rig.start(portsDir, 21, schedule);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        out << noticed;
        productionLine.abort();
    }
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const int units = args.contains("--units") ? args.value(args.indexOf("--units") + 1).toInt() : 3;
    const int latency = args.contains("--latency") ? args.value(args.indexOf("--latency") + 1).toInt() : 0;

    QTemporaryDir dir;
    const QString tpl = dir.filePath("t.cfg");
    QFile file(tpl);
    file.open(QIODevice::WriteOnly);
    file.write("# tavrix-configuration 1\nEdit34 = internet\nEdit1 = +380501234567\n");
    file.close();
    line::Recipe recipe;
    if (const auto error = recipe.load(tpl, {})) {
        out << error->message() << '\n';
        return 2;
    }

    // A unit's exchange: its record, the acknowledgement, the record read back; the
    // write and the read request go the other way.
    MemoryControls start = records::startControls();
    const qsizetype record = records::buildSettings(start).size();
    const int settingsReplyBytes = replyLength(Reply::Settings, record);
    const int ackBytes = replyLength(Reply::SettingsWritten);
    const qsizetype writeCommandBytes = qstrlen(command::kWriteSettings) + record + 1;
    const qsizetype readCommandBytes = qstrlen(command::kReadSettings) + 1;
    const double paced = (2 * settingsReplyBytes + ackBytes) * kByteSeconds + 2 * latency / 1000.0;
    const double commands = double(writeCommandBytes + readCommandBytes) * kByteSeconds;
    const Run one = runStations(recipe, 1, units, latency);
    const Run four = runStations(recipe, 4, units, latency);
    const double m1 = median(one.cycles);
    const double m4 = median(four.cycles);
    out << QStringLiteral("one station:   %1 units passed, %2 failed, median cycle %3 s; line time %4 s; ratio %5 "
                          "(with the commands on a real line %6)\n")
               .arg(one.cycles.size()).arg(one.failed).arg(m1, 0, 'f', 3).arg(paced, 0, 'f', 3)
               .arg(m1 / paced, 0, 'f', 3).arg((m1 + commands) / (paced + commands), 0, 'f', 3);
    out << QStringLiteral("four stations: %1 units passed, %2 failed, median cycle %3 s, slowest %4 s; ratio to one "
                          "station %5\n")
               .arg(four.cycles.size()).arg(four.failed).arg(m4, 0, 'f', 3)
               .arg(four.cycles.isEmpty() ? 0 : *std::max_element(four.cycles.begin(), four.cycles.end()), 0, 'f', 3)
               .arg(m1 > 0 ? m4 / m1 : 0, 0, 'f', 3);
    if (args.contains("--book")) {
        const QString book = args.value(args.indexOf("--book") + 1);
        const Run recorded = runStations(recipe, 4, units, latency, book);
        const double mb = median(recorded.cycles);
        // The book's address goes in last: a socket folder's "%2F" is no place marker.
        out << QStringLiteral("four stations recording: %1 units passed, %2 failed, median cycle %3 s; "
                              "ratio to four without a book %4; into ")
                   .arg(recorded.cycles.size()).arg(recorded.failed).arg(mb, 0, 'f', 3)
                   .arg(m4 > 0 ? mb / m4 : 0, 0, 'f', 3)
            << book << '\n';
    }
    for (bool watched : {true, false}) {
        const QList<double> notice = noticeTimes(recipe, 5, watched);
        QStringList shown;
        for (double s : notice)
            shown << QString::number(s, 'f', 3);
        out << QStringLiteral("new port noticed after (%1): %2 s (worst %3 s)\n")
                   .arg(watched ? QStringLiteral("folder watched") : QStringLiteral("rescan only"))
                   .arg(shown.join(QStringLiteral(", ")))
                   .arg(*std::max_element(notice.begin(), notice.end()), 0, 'f', 3);
    }
    out.flush();
    return 0;
}
