// First-try reads against the simulator: for each device latency and each chunked
// delivery, the window is connected to a controller that queues requests and answers
// each one, and the trial checks that the controller got exactly one "READ_SET", that
// the configuration was shown at the first poll after the reply's last byte, and that
// exactly one success box appeared. A silent controller is timed as well: it must be
// asked every 2000 ms.
//
//   bench_firstread [--jobs N] [--reps R]     runs the grid, N trials at a time
//   bench_firstread --trial KIND,A,B          one trial; prints one result line
//
// Each trial runs in a process of its own, so that concurrent trials do not share an
// event loop and their timing stays that of one window on one line.
#include "app/tform1.h"
#include "records/recordmap.h"
#include "protocol/replies.h"
#include "sim/simulator.h"
#include "ui/desktop.h"
#include "ui/widgetcontrols.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <limits>

namespace {

const char kShownPassword[] = "2468"; // in the device's record, so that "shown" is visible

struct Trial
{
    QString kind; // latency, chunks, silent
    int a = 0;    // latency ms; chunk bytes; seconds to listen
    int b = 0;    // -; pause ms; -

    QString key() const { return QStringLiteral("%1,%2,%3").arg(kind).arg(a).arg(b); }
    // A rough duration, to start the long trials first.
    int expectedMs() const
    {
        if (kind == QLatin1String("silent"))
            return a * 1000;
        if (kind == QLatin1String("chunks"))
            return (replyLength(Reply::Settings, records::kSettingsFixedWidth) / a) * b + 3000;
        return a + 3000;
    }
};

class CountingDesktop : public Desktop
{
public:
    std::function<void(const QString &)> onInformation;
    int boxes = 0;
    int errors = 0;
    void showError(const QString &, const QString &) override { ++boxes, ++errors; }
    void showInformation(const QString &text) override
    {
        ++boxes;
        if (onInformation)
            onInformation(text);
    }
    bool confirm(QWidget *, const QString &, const QString &, const QString &) override { return ++boxes, false; }
    void alert() override {}
    void openUrl(const QUrl &) override {}
};

// Runs one trial in this process and prints "RESULT trial ok requests boxes firstTick ms"
// (or, for a silent controller, "RESULT trial ok requests minIntervalMs maxIntervalMs").
int runTrial(const Trial &t)
{
    QTemporaryDir dir;
    CountingDesktop desktop;
    Desktop::install(&desktop);
    sim::Simulator device;
    QString error;
    if (!device.start(dir.path(), 1, &error)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        return 1;
    }
    QByteArray record = device.record();
    record.replace(26, 4, kShownPassword);
    device.setRecord(record);
    sim::Simulator::Faults faults;
    if (t.kind == QLatin1String("latency"))
        faults.latencyMs = t.a;
    else if (t.kind == QLatin1String("chunks"))
        faults.chunkBytes = t.a, faults.chunkPauseMs = t.b;
    else
        faults.silent = true;
    device.setFaults(faults);

    QElapsedTimer clock;
    clock.start();
    QList<qint64> requestTimes;
    QObject::connect(&device, &sim::Simulator::commandReceived, [&](const QByteArray &line) {
        if (line == "READ_SET")
            requestTimes << clock.nsecsElapsed();
    });
    qint64 lastByteNs = -1;
    int ticks = 0;
    int ticksAtLastByte = -1;
    QObject::connect(&device, &sim::Simulator::replySent, [&](const QByteArray &) {
        lastByteNs = clock.nsecsElapsed();
        ticksAtLastByte = ticks;
    });

    TForm1 form(PortMap(dir.path(), {}));
    // Connected after the window's own handler: counts ticks that have finished.
    QObject::connect(&form.timer1(), &QTimer::timeout, [&] { ++ticks; });
    qint64 shownNs = -1;
    bool firstTick = false;
    bool shown = false;
    desktop.onInformation = [&](const QString &) {
        if (shownNs >= 0)
            return;
        shownNs = clock.nsecsElapsed();
        firstTick = lastByteNs >= 0 && ticks == ticksAtLastByte;
        shown = form.controls().text("Edit31") == QLatin1String(kShownPassword);
    };
    form.control<QPushButton>("OpenClose")->click();
    if (!form.isConnected()) {
        std::fprintf(stderr, "cannot connect\n");
        return 1;
    }

    QTextStream out(stdout);
    if (t.kind == QLatin1String("silent")) {
        QEventLoop loop;
        QTimer::singleShot(t.a * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        qint64 lo = std::numeric_limits<qint64>::max(), hi = 0;
        for (int i = 1; i < requestTimes.size(); ++i) {
            const qint64 d = requestTimes[i] - requestTimes[i - 1];
            lo = std::min(lo, d);
            hi = std::max(hi, d);
        }
        const bool ok = form.isConnected() && desktop.boxes == 0 && requestTimes.size() >= t.a / 2
            && lo >= 1984'000'000 && hi <= 2016'000'000;
        out << "RESULT " << t.key() << ' ' << int(ok) << ' ' << requestTimes.size() << ' '
            << QString::number(lo / 1e6, 'f', 1) << ' ' << QString::number(hi / 1e6, 'f', 1) << Qt::endl;
        return 0;
    }

    // Until the box, then a poll and a repeat period more for a second answer to show up.
    QEventLoop loop;
    QTimer poll;
    poll.start(50);
    const qint64 giveUpMs = t.expectedMs() + 10000;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if ((shownNs >= 0 && now - shownNs / 1'000'000 > 2500 && device.pendingReplies() == 0) || now > giveUpMs)
            loop.quit();
    });
    loop.exec();
    const bool ok = requestTimes.size() == 1 && desktop.boxes == 1 && desktop.errors == 0 && shown && firstTick;
    const double ms = shownNs >= 0 && lastByteNs >= 0 ? (shownNs - lastByteNs) / 1e6 : -1;
    out << "RESULT " << t.key() << ' ' << int(ok) << ' ' << requestTimes.size() << ' ' << desktop.boxes << ' '
        << int(firstTick) << ' ' << QString::number(ms, 'f', 1) << Qt::endl;
    return 0;
}

QList<Trial> grid(int reps)
{
    QList<Trial> trials;
    for (int r = 0; r < reps; ++r) {
        for (int latency = 0; latency <= 1500; latency += 100)
            trials << Trial{QStringLiteral("latency"), latency, 0};
    }
    // Pauses spread over 0 to 1000 ms, shifted on every other pass.
    const int passes = std::max(1, reps / 4);
    for (int p = 0; p < passes; ++p) {
        for (int chunk : {16, 32, 64, 128}) {
            for (int pause = (p % 2) * 100; pause <= 1000; pause += 200)
                trials << Trial{QStringLiteral("chunks"), chunk, pause};
            if (p % 2)
                trials << Trial{QStringLiteral("chunks"), chunk, 1000};
        }
    }
    trials << Trial{QStringLiteral("silent"), 30, 0};
    std::stable_sort(trials.begin(), trials.end(),
                     [](const Trial &x, const Trial &y) { return x.expectedMs() > y.expectedMs(); });
    return trials;
}

struct Summary
{
    int trials = 0;
    int ok = 0;
    QList<double> latencies;
};

int runGrid(int jobs, int reps)
{
    const QList<Trial> trials = grid(reps);
    std::deque<Trial> queue(trials.begin(), trials.end());
    QList<QString> results;
    int running = 0;
    QEventLoop loop;
    QElapsedTimer wall;
    wall.start();
    std::function<void()> startNext = [&] {
        while (running < jobs && !queue.empty()) {
            const Trial t = queue.front();
            queue.pop_front();
            auto *child = new QProcess;
            child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            QObject::connect(child, &QProcess::finished, [&, child, t] {
                const QString line = QString::fromLocal8Bit(child->readAllStandardOutput()).trimmed();
                results << (line.startsWith(QLatin1String("RESULT")) ? line : QStringLiteral("RESULT %1 0 - - - -").arg(t.key()));
                std::fprintf(stderr, "%s\n", qPrintable(results.last()));
                child->deleteLater();
                --running;
                startNext();
                if (running == 0 && queue.empty())
                    loop.quit();
            });
            child->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--trial"), t.key()});
            ++running;
        }
    };
    startNext();
    loop.exec();

    Summary latency, chunks;
    QString silent;
    QStringList failures;
    for (const QString &line : results) {
        const QStringList f = line.split(QLatin1Char(' '));
        const QString kind = f.at(1).section(QLatin1Char(','), 0, 0);
        const bool ok = f.at(2) == QLatin1String("1");
        if (!ok)
            failures << line;
        if (kind == QLatin1String("silent")) {
            silent = QStringLiteral("%1 requests in %2 s, intervals %3 to %4 ms")
                         .arg(f.at(3), f.at(1).section(QLatin1Char(','), 1, 1), f.at(4), f.at(5));
            continue;
        }
        Summary &s = kind == QLatin1String("latency") ? latency : chunks;
        ++s.trials;
        s.ok += ok;
        if (f.at(6) != QLatin1String("-") && f.at(6).toDouble() >= 0)
            s.latencies << f.at(6).toDouble();
    }
    QTextStream out(stdout);
    auto row = [&](const char *what, Summary &s) {
        std::sort(s.latencies.begin(), s.latencies.end());
        const double median = s.latencies.isEmpty() ? 0 : s.latencies.at(s.latencies.size() / 2);
        const double worst = s.latencies.isEmpty() ? 0 : s.latencies.last();
        out << "| " << what << " | " << s.ok << " / " << s.trials << " | " << QString::number(median, 'f', 0)
            << " ms | " << QString::number(worst, 'f', 0) << " ms |\n";
    };
    out << "| delivery | first-try reads | last byte to shown, median | worst |\n|---|---|---|---|\n";
    row("latency 0 to 1500 ms", latency);
    row("chunks of 16 to 128 bytes, pauses 0 to 1000 ms", chunks);
    out << "\nsilent controller: " << silent << "\n";
    out << "wall time " << wall.elapsed() / 1000 << " s, " << jobs << " trials at a time\n";
    for (const QString &f : failures)
        out << "failed: " << f << "\n";
    out.flush();
    return failures.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int trialAt = args.indexOf(QStringLiteral("--trial"));
    if (trialAt > 0 && trialAt + 1 < args.size()) {
        const QStringList f = args.at(trialAt + 1).split(QLatin1Char(','));
        if (f.size() != 3)
            return 2;
        return runTrial(Trial{f.at(0), f.at(1).toInt(), f.at(2).toInt()});
    }
    auto option = [&](const char *name, int fallback) {
        const int at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? std::max(1, args.at(at + 1).toInt()) : fallback;
    };
    return runGrid(option("--jobs", 6), option("--reps", 10));
}
