// The production line: stations side by side driven by simulated benches, and the
// units file it hands out.
#include "book/book.h"
#include "line/productionline.h"
#include "line/recipe.h"
#include "line/station.h"
#include "line/unitqueue.h"
#include "sim/bench.h"
#include "sim/simulator.h"
#include "tests/support/scriptedline.h"
#include "tests/support/startrecord.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using line::ProductionLine;

namespace {

constexpr int kPhoneAt = 90; // the first subscriber's number in the record

// One simulated bench: a COM number, its schedule, and what its units do wrong.
struct BenchScript
{
    int com = 0;
    int appearMs = 0;
    int vanishMs = -1;
    int units = 1;
    int presentMs = 4000;
    int absentMs = 500;
    QString fault; // "hung up at write", "corrupt", "cut short as it leaves"
    int repeatMs = 200; // the line's repeat period, taken from the first bench
};

// What happens at a station's port, at a moment or as the station enters a state.
struct Cue
{
    enum Action {
        Plug,   // the port appears
        Unplug, // the port goes
        Leave,  // the unit goes off the cable: nothing answers
        Arrive, // a fresh unit comes on and answers
        Pull,   // the adapter goes in the middle of what is under way
        Free,   // the program that held the port lets it go
        Stop,   // the line is stopped
    };
    qint64 atMs = -1;    // >= 0: at this moment
    QString entering;    // or as the station's trace reaches this
    Action action = Plug;
};

QString stateName(line::Station::State state)
{
    using S = line::Station::State;
    switch (state) {
    case S::Absent: return QStringLiteral("absent");
    case S::Settling: return QStringLiteral("settling");
    case S::Probing: return QStringLiteral("probing");
    case S::Working: return QStringLiteral("working");
    case S::Leaving: return QStringLiteral("leaving");
    }
    return {};
}

QString failureName(line::Failure failure)
{
    static const char *const names[] = {"None", "BackupNotSaved", "RecordMalformed", "NotSent", "NoAnswerToWrite",
                                        "MalformedAnswers", "NoAnswerToRead", "PortGone", "Stopped", "ReadBackDiffers"};
    return QString::fromLatin1(names[int(failure)]);
}

// The line's side of one station: rows for every unit, backups into a folder (or
// refused), and what the station went through.
class OneStation : public line::StationHost
{
public:
    line::Recipe recipeHeld;
    QString backupsDir;
    bool refuseBackups = false;
    int ordinals = 0;
    QStringList trace;       // states as the station entered them; "working:<phase>"
    QStringList refusals;    // the station's reasons while it could not open the port
    QList<line::UnitResult> results;
    QList<QByteArray> heldAtRow;    // what the unit held when it was given its row
    QList<QByteArray> heldAtResult; // ... and when its result came
    std::function<void(const QString &)> onTrace;
    std::function<QByteArray()> held;

    std::optional<line::UnitRow> takeRow(int *ordinal) override
    {
        *ordinal = ++ordinals;
        heldAtRow << held();
        return line::UnitRow{};
    }
    QString saveBackup(const line::Station &, const QByteArray &text, QString *why) override
    {
        if (refuseBackups) {
            *why = QStringLiteral("no room");
            return {};
        }
        const QString path = QStringLiteral("%1/unit%2.cfg").arg(backupsDir).arg(ordinals);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return *why = file.errorString(), QString();
        return path;
    }
    const line::Recipe &recipe() const override { return recipeHeld; }
    void unitFinished(line::Station &, const line::UnitResult &result) override
    {
        results << result;
        heldAtResult << held();
    }
    void stationChanged(line::Station &station) override
    {
        QString now = stateName(station.state());
        if (station.state() == line::Station::State::Working)
            now += ':' + line::phaseWord(station.phase());
        if (!station.refusal().isEmpty() && !refusals.contains(station.refusal()))
            refusals << station.refusal();
        if (!trace.isEmpty() && trace.last() == now)
            return;
        trace << now;
        if (onTrace)
            onTrace(now);
    }
};

// A bench in stepped time, played as sim::Bench plays it on a pseudo-terminal: the port's
// link appears, units come on and off its cable one after another, each holding a record
// of its own. The line to it is the scripted controller's, made at the first open.
class SteppedBench
{
public:
    // The port's device lies in `folder`, its link in the ports folder beside it.
    SteppedBench(StepClock &clock, const QString &folder, const BenchScript &script)
        : m_clock(clock), m_script(script), m_device(QStringLiteral("%1/dev%2").arg(folder).arg(script.com)),
          m_link(QStringLiteral("%1/ports/com%2").arg(folder).arg(script.com)), m_phase(0, &clock)
    {
        for (int unit = 1; unit <= script.units; ++unit)
            m_units << sim::Bench::initialRecord(unit);
        m_now.paced = false;
        m_now.silent = true; // nothing on the cable yet
        if (script.fault == QLatin1String("corrupt"))
            m_now.corruptOffset = 20;
        m_phase.setSingleShot(true);
        QObject::connect(&m_phase, &Period::timeout, [this] { nextPhase(); });
        QFile(m_device).open(QIODevice::WriteOnly);
    }

    int com() const { return m_script.com; }
    // What the station is handed for the port: the line, made at its first open.
    std::unique_ptr<Connection> connection(const line::Station::Timing &timing)
    {
        const Connection::LineKind kind {
            [this] {
                auto made = std::make_unique<ScriptedLine>(m_clock, m_record, m_now);
                m_line = made.get();
                m_line->onCommand = [this](const QByteArray &command) {
                    if (onCommand)
                        onCommand(*this, command);
                };
                return made;
            },
            [](const QString &, const PortLine &) { return OpenRefusal {}; }};
        return std::make_unique<Connection>(kind, Session::Timing::station(timing.repeatMs, timing.timeoutMs), &m_clock);
    }
    // The port's link appears: the station hears of it as the watcher tells it.
    void appear(ProductionLine *productionLine)
    {
        QFile::link(m_device, m_link);
        if (productionLine)
            productionLine->station(com())->setDevice(QFileInfo(m_link).canonicalFilePath());
        if (m_script.units > 0)
            connectUnit(m_next++);
    }
    // The adapter is pulled: the port goes with its device.
    void pull()
    {
        QFile::remove(m_link);
        QFile::remove(m_device);
        m_line->loseIn(1);
    }
    void setScript(const ScriptedLine::Script &script)
    {
        m_now = script;
        if (m_line)
            m_line->setScript(script);
    }
    const ScriptedLine::Script &script() const { return m_now; }
    void setRecord(const QByteArray &record)
    {
        m_record = record;
        if (m_line)
            m_line->setRecord(record);
    }
    QByteArray record() const { return m_line ? m_line->record() : m_record; }
    QByteArray unitRecord(int unit) const { return unit == m_current ? record() : m_units.value(unit - 1); }

    std::function<void(SteppedBench &, const QByteArray &command)> onCommand;

private:
    void connectUnit(int unit)
    {
        m_current = unit;
        setRecord(m_units.at(unit - 1));
        ScriptedLine::Script now = m_now;
        now.silent = false;
        setScript(now);
        m_phase.start(m_script.presentMs);
    }
    void nextPhase()
    {
        if (m_current != 0) {
            m_units[m_current - 1] = record();
            m_current = 0;
            ScriptedLine::Script now = m_now;
            now.silent = true;
            setScript(now);
            // After the last unit the cable stays empty.
            if (m_next <= m_script.units)
                m_phase.start(m_script.absentMs);
            return;
        }
        if (m_next <= m_script.units)
            connectUnit(m_next++);
    }

    StepClock &m_clock;
    BenchScript m_script;
    QString m_device;
    QString m_link;
    ScriptedLine *m_line = nullptr;
    ScriptedLine::Script m_now;
    QByteArray m_record = expected::startRecord();
    QList<QByteArray> m_units;
    int m_current = 0;
    int m_next = 1;
    Period m_phase;
};

} // namespace

Q_DECLARE_METATYPE(QList<BenchScript>)
Q_DECLARE_METATYPE(QList<Cue>)
Q_DECLARE_METATYPE(ScriptedLine::Script)

class TestLine : public QObject
{
    Q_OBJECT

private slots:
    void unitsFile_data();
    void unitsFile();
    void rowsAreCheckedBeforeAnyPort_data();
    void rowsAreCheckedBeforeAnyPort();
    void queueHandsRowsOutInOrder();
    void benches_data();
    void benches();
    void stationCycle_data();
    void stationCycle();
    void logFolderMissingStopsBeforeStarting();
    void summarySaysARateOnlyFromEnoughControllers_data();
    void summarySaysARateOnlyFromEnoughControllers();
    void failureIsWordedInEitherLanguage_data();
    void failureIsWordedInEitherLanguage();

private:
    QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(text);
        return path;
    }
};

void TestLine::unitsFile_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("parsed"); // rows as "line:label:Name=value;..." joined by "|", or the error
    QTest::newRow("plain with label") << QByteArray("unit,Edit1\nA,+380501\nB,+380502\n")
                                      << "2:A:Edit1=+380501|3:B:Edit1=+380502";
    QTest::newRow("byte-order mark, CR LF, blank line")
        << QByteArray("\xEF\xBB\xBF" "Edit1,Edit2\r\n+3801,+3802\r\n\r\n+3803,+3804\r\n")
        << "2::Edit1=+3801;Edit2=+3802|4::Edit1=+3803;Edit2=+3804";
    QTest::newRow("quotes keep commas, spaces and quotes")
        << QByteArray("unit,Edit19\n\"Объект, Липова 4\",\" a \"\"b\"\" \"\n")
        << "2:Объект, Липова 4:Edit19= a \"b\" ";
    QTest::newRow("quoted line break counts its lines")
        << QByteArray("unit,Edit1\n\"two\nlines\",+3801\nC,+3802\n") << "2:two\nlines:Edit1=+3801|4:C:Edit1=+3802";
    QTest::newRow("a site column names the unit's site")
        << QByteArray("unit,site,Edit1\nA,\"Иванов, дача/Склад\",+380501\nB,,+380502\n")
        << "2:A:Edit1=+380501@Иванов, дача/Склад|3:B:Edit1=+380502";
    QTest::newRow("too few fields") << QByteArray("Edit1,Edit2\n+3801\n") << "line 2: has 1 field(s), the header 2";
    QTest::newRow("quote not closed") << QByteArray("Edit1\n\"+3801\n") << "line 2: a quote is not closed";
    QTest::newRow("column twice") << QByteArray("Edit1,Edit1\n1,2\n") << "line 1, column Edit1: named twice";
    QTest::newRow("empty file") << QByteArray("") << "line 1: has no header of control names";
    QTest::newRow("not UTF-8") << QByteArray("unit\n\xff\n") << "is not UTF-8 text";
}

void TestLine::unitsFile()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, parsed);
    QStringList header;
    QList<line::UnitRow> rows;
    const auto error = line::parseUnits(csv, QStringLiteral("u.csv"), &header, &rows);
    if (error) {
        QCOMPARE(error->message(), QStringLiteral("u.csv") + (parsed.startsWith("line") ? ": " : ": ") + parsed);
        return;
    }
    QStringList got;
    for (const line::UnitRow &row : rows) {
        QStringList cells;
        for (const auto &[name, value] : row.values)
            cells << name + '=' + value;
        got << QStringLiteral("%1:%2:%3").arg(row.line).arg(row.label, cells.join(';'))
                   + (row.site.isEmpty() ? QString() : QLatin1Char('@') + row.site);
    }
    QCOMPARE(got.join('|'), parsed);
}

void TestLine::rowsAreCheckedBeforeAnyPort_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("refusal"); // what follows the file's name; empty: accepted
    QTest::newRow("good rows") << QByteArray("unit,Edit1,Edit31\nA,+380501234567,1234\nB,+380507654321,4321\n")
                               << QString();
    QTest::newRow("number too long on line 3")
        << QByteArray("unit,Edit1\nA,+380501234567\nB,+3805012345678901\n") << "line 3, column Edit1: ";
    QTest::newRow("list item outside the list") << QByteArray("ComboBox22\n4\n99\n") << "line 3, column ComboBox22: ";
    QTest::newRow("no such control") << QByteArray("Edit1,Bogus\n+380501,1\n") << "line 1, column Bogus: is not a configuration control";
    // Columns named as the window reads the controls out, in any case, are the controls.
    QTest::newRow("names a person types")
        << QByteArray("unit,НОМЕР 1-го абонента,пароль для SMS команд\nA,+380501234567,1234\nB,+380507654321,4321\n")
        << QString();
    QTest::newRow("one control in two columns")
        << QByteArray("Edit1,номер 1-го абонента\n+380501,+380502\n") << "line 1, column номер 1-го абонента: names Edit1, as the column Edit1 does";
}

void TestLine::rowsAreCheckedBeforeAnyPort()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString tpl = writeFile(dir, "t.cfg", "# tavrix-configuration 1\nEdit34 = internet\n");
    const QString units = writeFile(dir, "u.csv", csv);
    line::Recipe recipe;
    const auto error = recipe.load(tpl, units);
    if (refusal.isEmpty()) {
        QVERIFY2(!error, qPrintable(error ? error->message() : QString()));
        QCOMPARE(recipe.rows().size(), 2);
        // The row's own value wins over the template's, the template's stays otherwise.
        const config::Configuration merged = recipe.merged(recipe.rows().at(1));
        QCOMPARE(merged.value("Edit1"), QStringLiteral("+380507654321"));
        QCOMPARE(merged.value("Edit34"), QStringLiteral("internet"));
        return;
    }
    QVERIFY(error);
    QVERIFY2(error->message().startsWith(units + ": " + refusal), qPrintable(error->message()));
    QVERIFY(recipe.rows().isEmpty());
}

void TestLine::queueHandsRowsOutInOrder()
{
    line::UnitRow a, b, c;
    a.line = 2;
    b.line = 3;
    c.line = 4;
    line::UnitQueue queue({a, b, c});
    const auto first = queue.take();
    const auto second = queue.take();
    QCOMPARE(first->line, 2);
    QCOMPARE(second->line, 3);
    // A failed unit's row goes to the front, before the rows nobody had yet.
    queue.giveBack(*first);
    QCOMPARE(queue.take()->line, 2);
    queue.usedUp();
    queue.usedUp();
    QVERIFY(!queue.exhausted());
    QCOMPARE(queue.take()->line, 4);
    QVERIFY(!queue.take());
    QVERIFY(!queue.exhausted()); // one row is still out
    queue.usedUp();
    QVERIFY(queue.exhausted());

    line::UnitQueue endless;
    QVERIFY(endless.take() && endless.take() && !endless.exhausted());
}

void TestLine::benches_data()
{
    QTest::addColumn<QList<BenchScript>>("benches");
    QTest::addColumn<QByteArray>("csv"); // empty: no units file
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("log"); // "COMn pass|fail[/phase] row" in order of the log
    QTest::addColumn<QStringList>("stored"); // "COMn unit k phone" held at the end
    QTest::addColumn<bool>("stepped"); // on scripted lines in stepped time; else on pseudo-terminals

    // One row on pseudo-terminals, the rest on scripted lines in stepped time; a single
    // station's faults are rows of stationCycle.
    const QByteArray twoRows = "unit,Edit1\nA,+380501000001\nB,+380501000002\n";
    QTest::newRow("two units in turn take the rows in order")
        << QList<BenchScript> {{7, 0, -1, 2, 1500, 700, {}}} << twoRows << 0
        << QStringList {"COM7 pass 2", "COM7 pass 3"}
        << QStringList {"COM7 1 +380501000001", "COM7 2 +380501000002"} << false;
    QTest::newRow("rows with a site: each unit recorded under its row's site")
        << QList<BenchScript> {{7, 0, -1, 2, 1500, 700, {}}}
        << QByteArray("unit,site,Edit1\nA,Иванов,+380501000001\nB,Петров/Склад,+380501000002\n") << 0
        << QStringList {"COM7 pass 2", "COM7 pass 3"}
        << QStringList {"COM7 1 +380501000001", "COM7 2 +380501000002"} << true;
    QTest::newRow("adapter pulled mid-write: its row goes to the next station's unit")
        << QList<BenchScript> {{7, 0, -1, 1, 60000, 0, "hung up at write"}, {8, 1500, -1, 1, 60000, 0, {}}}
        << twoRows.left(twoRows.lastIndexOf("B,")) << 0 << QStringList {"COM7 fail/write 2", "COM8 pass 2"}
        << QStringList {"COM8 1 +380501000001"} << true;
    QTest::newRow("two stations ending at the same moment")
        << QList<BenchScript> {{7, 0, -1, 1, 60000, 0, {}}, {8, 0, -1, 1, 60000, 0, {}}} << twoRows << 0
        << QStringList {"pass 2", "pass 3"} << QStringList {} << true;
    // Pulled off mid-reply: half a reply is no answer, and it holds the next request back
    // (its bytes are still arriving). The next unit, plugged in two and a half periods
    // later, is a new unit, not the last one still there.
    QTest::newRow("a unit pulled mid-reply, the next soon after")
        << QList<BenchScript> {{7, 0, -1, 1, 60000, 0, "cut short as it leaves", 400}} << QByteArray() << 2
        << QStringList {"COM7 pass 0", "COM7 pass 0"} << QStringList {} << true;
    QTest::newRow("a unit that stores another byte fails at verify")
        << QList<BenchScript> {{7, 0, -1, 1, 60000, 0, "corrupt"}} << QByteArray() << 0
        << QStringList {} << QStringList {} << true;
}

void TestLine::benches()
{
    QFETCH(QList<BenchScript>, benches);
    QFETCH(QByteArray, csv);
    QFETCH(int, count);
    QFETCH(QStringList, log);
    QFETCH(QStringList, stored);
    QFETCH(bool, stepped);

    QTemporaryDir dir;
    const QString portsDir = dir.filePath("ports");
    std::vector<std::unique_ptr<sim::Simulator>> sims;
    std::vector<std::unique_ptr<sim::Bench>> rigs;
    StepClock clock;
    std::vector<std::unique_ptr<SteppedBench>> stepBenches;
    std::vector<std::unique_ptr<Period>> later; // what a stepped bench does a while after a command
    const auto after = [&](int ms, std::function<void()> then) {
        auto *p = later.emplace_back(std::make_unique<Period>(ms, &clock)).get();
        p->setSingleShot(true);
        connect(p, &Period::timeout, this, then);
        p->start();
    };
    QList<QByteArray> leftWith; // what units that went away in the row's own script held
    QList<int> coms;
    if (stepped)
        QVERIFY(QDir().mkpath(portsDir));
    for (const BenchScript &script : std::as_const(benches)) {
        if (stepped) {
            // A port that goes on its own is a row of stationCycle.
            QCOMPARE(script.vanishMs, -1);
            coms << script.com;
            auto *b = stepBenches.emplace_back(std::make_unique<SteppedBench>(clock, dir.path(), script)).get();
            if (script.fault == QLatin1String("hung up at write")) {
                b->onCommand = [](SteppedBench &bench, const QByteArray &line) {
                    if (line.startsWith("WRITE_SET_"))
                        bench.pull();
                };
            }
            if (script.fault == QLatin1String("cut short as it leaves")) {
                // The first request after the unit passed gets 300 bytes, then the cable
                // is quiet until another unit answers 2.5 periods later.
                auto reads = std::make_shared<int>(-1);
                const int gap = script.repeatMs * 5 / 2;
                const QByteArray unwritten = expected::startRecord();
                b->onCommand = [reads, gap, unwritten, &after, &leftWith](SteppedBench &bench, const QByteArray &line) {
                    if (line.startsWith("WRITE_SET_") && *reads < 0) {
                        *reads = 0;
                    } else if (line.startsWith("READ_SET") && *reads >= 0 && ++*reads == 2) {
                        ScriptedLine::Script cut = bench.script();
                        cut.truncateTo = 300;
                        cut.faultyReplies = 1;
                        bench.setScript(cut);
                        after(50, [&bench, &leftWith] {
                            leftWith << bench.record();
                            ScriptedLine::Script gone = bench.script();
                            gone.silent = true;
                            bench.setScript(gone);
                        });
                        after(gap, [&bench, unwritten] {
                            bench.setRecord(unwritten);
                            ScriptedLine::Script back = bench.script();
                            back.silent = false;
                            bench.setScript(back);
                        });
                    }
                };
            }
            continue;
        }
        auto device = std::make_unique<sim::Simulator>();
        device->setPacing(false);
        sim::Simulator *d = device.get();
        // The faults are played in stepped time.
        QVERIFY(script.fault.isEmpty());
        auto rig = std::make_unique<sim::Bench>(*d);
        sim::Bench::Schedule schedule;
        schedule.appearAfterMs = script.appearMs;
        schedule.vanishAfterMs = script.vanishMs;
        schedule.units = script.units;
        schedule.presentMs = script.presentMs;
        schedule.absentMs = script.absentMs;
        QString why;
        QVERIFY2(rig->start(portsDir, script.com, schedule, &why), qPrintable(why));
        coms << script.com;
        sims.push_back(std::move(device));
        rigs.push_back(std::move(rig));
    }

    const QString tpl = writeFile(dir, "t.cfg", "# tavrix-configuration 1\nEdit34 = internet\n");
    line::Recipe recipe;
    const auto error = recipe.load(tpl, csv.isEmpty() ? QString() : writeFile(dir, "u.csv", csv));
    QVERIFY2(!error, qPrintable(error ? error->message() : QString()));

    ProductionLine::Options options;
    options.coms = coms;
    options.backupsDir = dir.filePath("backups");
    options.logPath = dir.filePath("line.jsonl");
    options.book = dir.filePath("book.sqlite");
    options.count = count;
    options.timing = {100, benches.first().repeatMs, 1000};
    if (stepped) {
        options.connection = [&](int com, const line::Station::Timing &timing) {
            for (const auto &b : stepBenches) {
                if (b->com() == com)
                    return b->connection(timing);
            }
            return std::unique_ptr<Connection>();
        };
    }
    ProductionLine productionLine(PortMap(portsDir, {}), recipe, options);
    QString why;
    QVERIFY2(productionLine.prepare(&why), qPrintable(why));
    QSignalSpy finished(&productionLine, &ProductionLine::finished);
    QList<line::UnitResult> results;
    connect(&productionLine, &ProductionLine::unitDone, this,
            [&results](const line::UnitResult &r) { results << r; });
    // Ports there from the start are the watcher's to find; the others appear on the clock.
    for (const auto &b : stepBenches) {
        const int appearMs = benches.at(coms.indexOf(b->com())).appearMs;
        if (appearMs == 0)
            b->appear(nullptr);
        else
            after(appearMs, [&productionLine, bench = b.get()] { bench->appear(&productionLine); });
    }
    // On pseudo-terminals time passes as it does; stepped, it is moved on a little at a
    // time with the event loop run between.
    const auto runUntil = [&](const std::function<bool()> &done, int limitMs) {
        if (!stepped)
            return QTest::qWaitFor(done, limitMs);
        constexpr int kStepMs = 5;
        for (int t = 0; t < limitMs && !done(); t += kStepMs) {
            clock.advance(kStepMs);
            QCoreApplication::processEvents();
        }
        return done();
    };
    productionLine.start();
    if (log.isEmpty() && stored.isEmpty()) {
        // The corrupting unit: one failure, then the line is stopped by hand.
        QVERIFY(runUntil([&] { return !results.isEmpty(); }, 10000));
        productionLine.stop();
    }
    QVERIFY(runUntil([&] { return finished.size() == 1; }, 20000));

    // Every unit written is in the site book, under its row's site or unassigned, proved
    // when its read-back was.
    {
        QString bookError;
        auto siteBook = book::Book::open(options.book, &bookError);
        QVERIFY2(siteBook, qPrintable(bookError));
        QSet<QString> loose;
        for (const book::Revision &r : siteBook->unassigned()) {
            if (r.kind == book::Kind::Line)
                loose.insert(r.fingerprint + (r.proved ? "+" : "-"));
        }
        int written = 0;
        for (const line::UnitResult &r : std::as_const(results)) {
            if (r.writtenText.isEmpty())
                continue;
            ++written;
            const QString print = book::fingerprintOfText(r.writtenText);
            QVERIFY(!print.isEmpty());
            if (r.row.site.isEmpty()) {
                QVERIFY2(loose.contains(print + (r.pass ? "+" : "-")), qPrintable(print));
                continue;
            }
            const auto latest = siteBook->revision(r.row.site, &bookError);
            QVERIFY2(latest, qPrintable(bookError));
            QCOMPARE(latest->fingerprint, print);
            QCOMPARE(latest->kind, book::Kind::Line);
            QCOMPARE(latest->proved, r.pass);
            QCOMPARE(latest->port, QStringLiteral("COM%1").arg(r.com));
            QVERIFY(!latest->parent.isEmpty());
        }
        QCOMPARE(written, int(std::count_if(results.begin(), results.end(), [](const line::UnitResult &r) {
                     return r.pass || r.failure == line::Failure::ReadBackDiffers;
                 })));
    }

    QFile file(options.logPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QByteArray &text : file.readAll().split('\n')) {
        if (text.isEmpty())
            continue;
        QJsonParseError parseError;
        const QJsonObject o = QJsonDocument::fromJson(text, &parseError).object();
        QVERIFY2(parseError.error == QJsonParseError::NoError, text.constData());
        for (const char *key : {"time", "port", "device", "unit", "row", "result", "seconds", "backup", "changes", "sha256"})
            QVERIFY2(o.contains(QLatin1String(key)), key);
        QString line = o.value("result").toString();
        if (line == QLatin1String("fail")) {
            line += '/' + o.value("phase").toString();
            QVERIFY(!o.value("reason").toString().isEmpty());
        } else {
            QVERIFY(QFile::exists(o.value("backup").toString()));
            QCOMPARE(o.value("sha256").toString().size(), 64);
            QVERIFY(o.value("changes").toArray().contains(QJsonValue("Edit34")));
        }
        line += ' ' + QString::number(o.value("row").toInt());
        if (coms.size() == 1 || !stored.isEmpty())
            line.prepend(o.value("port").toString() + ' ');
        lines << line;
    }
    if (log.isEmpty() && stored.isEmpty()) {
        QCOMPARE(lines.value(0), QStringLiteral("COM7 fail/verify 0"));
        QVERIFY2(results.value(0).reason.contains("offset 20"), qPrintable(results.value(0).reason));
        return;
    }
    if (!stored.isEmpty() || coms.size() == 1) {
        QCOMPARE(lines, log);
    } else {
        // Side by side, either may log first; each row is used exactly once.
        lines.sort();
        QCOMPARE(lines, log);
    }
    for (const QString &s : std::as_const(stored)) {
        const QStringList parts = s.split(' ');
        const int index = int(coms.indexOf(parts[0].mid(3).toInt()));
        const QByteArray held = stepped ? stepBenches.at(index)->unitRecord(parts[1].toInt())
                                        : rigs.at(index)->unitRecord(parts[1].toInt());
        QCOMPARE(held.mid(kPhoneAt, parts[2].size()), parts[2].toLatin1());
    }
    // A pass logs the hash of the record some unit of its bench now holds, and its cycle
    // is its own (unpaced, far below the time a unit stays), not timed from an earlier unit.
    for (const line::UnitResult &r : std::as_const(results)) {
        if (!r.pass)
            continue;
        QVERIFY2(r.seconds < 1.2, qPrintable(QString::number(r.seconds)));
        const qsizetype index = coms.indexOf(r.com);
        // Units put on and off the cable by the row's own script.
        bool found = false;
        const QByteArray now = stepped ? stepBenches.at(index)->record() : sims.at(index)->record();
        for (const QByteArray &record : std::as_const(leftWith) + QList {now})
            found = found || QCryptographicHash::hash(record, QCryptographicHash::Sha256).toHex() == r.sha256;
        for (int unit = 1; unit <= benches.at(index).units; ++unit) {
            const QByteArray held = stepped ? stepBenches.at(index)->unitRecord(unit) : rigs.at(index)->unitRecord(unit);
            found = found || QCryptographicHash::hash(held, QCryptographicHash::Sha256).toHex() == r.sha256;
        }
        QVERIFY2(found, qPrintable(r.sha256));
    }
}

void TestLine::stationCycle_data()
{
    using Script = ScriptedLine::Script;
    QTest::addColumn<Script>("script");
    QTest::addColumn<QList<Cue>>("cues");
    QTest::addColumn<bool>("refuseBackups");
    QTest::addColumn<qint64>("runMs");
    QTest::addColumn<QStringList>("trace");
    QTest::addColumn<QStringList>("results"); // "pass", or "fail/<phase> <failure>"
    QTest::addColumn<int>("writes");          // WRITE_SET_ the port carried

    const Cue plug {0, {}, Cue::Plug};
    const QStringList oneUnit {"settling", "probing", "working:backup", "working:write", "working:verify", "leaving"};
    QTest::newRow("a unit answers: backup, write, read back; it stays until it leaves")
        << Script {} << QList<Cue> {plug} << false << qint64(30000) << oneUnit << QStringList {"pass"} << 1;
    QTest::newRow("a unit leaves after two silent periods; the next is written")
        << Script {} << QList<Cue> {plug, {15000, {}, Cue::Leave}, {25000, {}, Cue::Arrive}} << false << qint64(45000)
        << oneUnit + QStringList {"probing"} + oneUnit.mid(2) << QStringList {"pass", "pass"} << 2;
    QTest::newRow("a silent port is probed every period and never worked")
        << Script {.silent = true} << QList<Cue> {plug} << false << qint64(11000)
        << QStringList {"settling", "probing"} << QStringList {} << 0;
    QTest::newRow("a port another program holds: tried each period, taken once let go")
        << Script {.refuseOpen = true} << QList<Cue> {plug, {7000, {}, Cue::Free}} << false << qint64(30000)
        << QStringList {"settling", "absent"} + oneUnit.mid(1) << QStringList {"pass"} << 1;
    QTest::newRow("a unit off its cable at the write fails within the limit; the next is written")
        << Script {} << QList<Cue> {plug, {-1, "working:write", Cue::Leave}, {40000, {}, Cue::Arrive}} << false
        << qint64(60000) << oneUnit.mid(0, 4) + QStringList {"leaving", "probing"} + oneUnit.mid(2)
        << QStringList {"fail/write NoAnswerToWrite", "pass"} << 2;
    QTest::newRow("the adapter pulled at the write: port gone, then the unit is written")
        << Script {} << QList<Cue> {plug, {-1, "working:write", Cue::Pull}} << false << qint64(30000)
        << oneUnit.mid(0, 4) + QStringList {"absent"} + oneUnit.mid(1)
        << QStringList {"fail/write PortGone", "pass"} << 2;
    // Still settling when it goes: the port is never opened, nothing is logged.
    QTest::newRow("a port that appears and goes at once")
        << Script {} << QList<Cue> {plug, {60, {}, Cue::Unplug}} << false << qint64(10000)
        << QStringList {"settling", "absent"} << QStringList {} << 0;
    QTest::newRow("a unit that stores another byte fails at verify")
        << Script {.corruptOffset = 20} << QList<Cue> {plug} << false << qint64(30000) << oneUnit
        << QStringList {"fail/verify ReadBackDiffers"} << 1;
    QTest::newRow("a first answer cut short is no unit: asked again, then written")
        << Script {.truncateTo = 300, .faultyReplies = 1} << QList<Cue> {plug} << false << qint64(30000)
        << oneUnit << QStringList {"pass"} << 1;
    QTest::newRow("a backup that cannot be saved: nothing is written")
        << Script {} << QList<Cue> {plug} << true << qint64(30000) << oneUnit.mid(0, 3) + QStringList {"leaving"}
        << QStringList {"fail/backup BackupNotSaved"} << 0;
    QTest::newRow("the port goes while probing and comes back")
        << Script {.silent = true} << QList<Cue> {plug, {5000, {}, Cue::Unplug}, {8000, {}, Cue::Plug}} << false
        << qint64(12000) << QStringList {"settling", "probing", "absent", "settling", "probing"} << QStringList {}
        << 0;
    QTest::newRow("stopped while reading back")
        << Script {} << QList<Cue> {plug, {-1, "working:verify", Cue::Stop}} << false << qint64(30000)
        << oneUnit.mid(0, 5) + QStringList {"absent"} << QStringList {"fail/verify Stopped"} << 1;
}

void TestLine::stationCycle()
{
    QFETCH(ScriptedLine::Script, script);
    QFETCH(QList<Cue>, cues);
    QFETCH(bool, refuseBackups);
    QFETCH(qint64, runMs);
    QFETCH(QStringList, trace);
    QFETCH(QStringList, results);
    QFETCH(int, writes);

    const bool heldAtFirst = script.refuseOpen;
    QTemporaryDir dir;
    OneStation host;
    host.backupsDir = dir.path();
    host.refuseBackups = refuseBackups;
    QVERIFY(!host.recipeHeld.load(writeFile(dir, "t.cfg", "# tavrix-configuration 1\nEdit34 = internet\n"), {}));
    // The device's name stands for a port that is still there after a loss.
    const QString device = writeFile(dir, "ttyUSB0", {});

    StepClock clock;
    ScriptedLine *line = nullptr;
    OpenRefusal held;
    held.state = PortStatus::State::Busy;
    held.cause = OpenRefusal::Cause::Busy;
    held.pid = 4242;
    const Connection::LineKind scripted {
        [&] {
            auto made = std::make_unique<ScriptedLine>(clock, expected::startRecord(), script);
            line = made.get();
            return made;
        },
        [&](const QString &, const PortLine &) { return held; }};
    const line::Station::Timing timing {1000, 2000, 10000};
    line::Station station(7, host, timing, nullptr,
                          std::make_unique<Connection>(
                              scripted, Session::Timing::station(timing.repeatMs, timing.timeoutMs), &clock));
    host.held = [&] { return line->record(); };

    Period cueing(0, &clock);
    cueing.setSingleShot(true);
    QList<Cue::Action> due;
    auto act = [&](Cue::Action action) {
        ScriptedLine::Script now = line ? line->script() : script;
        switch (action) {
        case Cue::Plug: station.setDevice(device); return;
        case Cue::Unplug: station.setDevice({}); return;
        case Cue::Leave: now.silent = true; break;
        case Cue::Arrive:
            now.silent = false;
            line->setRecord(expected::startRecord());
            break;
        case Cue::Free: now.refuseOpen = false; break;
        case Cue::Pull: line->loseIn(1); return;
        case Cue::Stop: station.shutDown(); return;
        }
        if (line)
            line->setScript(now);
        script = now;
    };
    // A unit that leaves does so at once; anything else follows what the station is doing.
    connect(&cueing, &Period::timeout, this, [&] {
        for (Cue::Action a : std::exchange(due, {}))
            act(a);
    });
    // Each cue plays once: the next unit goes through the same states undisturbed.
    QList<bool> played(cues.size(), false);
    host.onTrace = [&](const QString &entered) {
        for (qsizetype i = 0; i < cues.size(); ++i) {
            const Cue &c = cues.at(i);
            if (c.entering != entered || std::exchange(played[i], true))
                continue;
            if (c.action == Cue::Leave) {
                act(c.action);
            } else {
                due << c.action;
                cueing.start(1);
            }
        }
    };
    std::vector<std::unique_ptr<Period>> timed;
    for (const Cue &c : std::as_const(cues)) {
        if (c.atMs < 0)
            continue;
        auto *p = timed.emplace_back(std::make_unique<Period>(int(c.atMs), &clock)).get();
        p->setSingleShot(true);
        connect(p, &Period::timeout, this, [&act, action = c.action] { act(action); });
        if (c.atMs == 0)
            act(c.action);
        else
            p->start();
    }
    clock.advance(runMs);

    QVERIFY2(host.trace == trace, qPrintable(host.trace.join(' ')));
    QStringList got;
    for (const line::UnitResult &r : std::as_const(host.results))
        got << (r.pass ? QStringLiteral("pass") : QStringLiteral("fail/%1 %2").arg(line::phaseWord(r.phase), failureName(r.failure)));
    QCOMPARE(got, results);
    // A port never opened has no line.
    QCOMPARE(line != nullptr, trace.contains(QStringLiteral("probing")));
    const QList<QByteArray> commands = line ? line->commands() : QList<QByteArray>();
    QCOMPARE(int(std::count_if(commands.cbegin(), commands.cend(),
                               [](const QByteArray &c) { return c.startsWith("WRITE_SET_"); })),
             writes);
    for (int i = 0; i < host.results.size(); ++i) {
        const line::UnitResult &r = host.results.at(i);
        QCOMPARE(r.com, 7);
        QCOMPARE(r.device, station.device().isEmpty() ? r.device : device);
        QCOMPARE(r.ordinal, i + 1);
        if (r.failure == line::Failure::BackupNotSaved) {
            QVERIFY(r.backup.isEmpty());
            QCOMPARE(r.detail, QStringLiteral("no room"));
        } else {
            QVERIFY(QFile::exists(r.backup));
            // A unit whose write went out before its adapter did may hold it already.
            QCOMPARE(r.changes.contains(QStringLiteral("Edit34")), !host.heldAtRow.at(i).contains("internet"));
        }
        if (r.pass) {
            // The hash of what the unit holds now, and a cycle timed from the answer that
            // showed it: no shorter than a record written and one read back at 9600 baud,
            // no longer than the time limit.
            QCOMPARE(r.sha256, QString::fromLatin1(QCryptographicHash::hash(host.heldAtResult.at(i),
                                                                              QCryptographicHash::Sha256).toHex()));
            QVERIFY(host.heldAtResult.at(i).contains("internet"));
            const double onTheLine = 2.0 * expected::startRecord().size() * ScriptedLine::kUsPerByte / 1e6;
            QVERIFY2(r.seconds >= onTheLine && r.seconds <= timing.timeoutMs / 1000.0, qPrintable(QString::number(r.seconds)));
        }
        if (r.failure == line::Failure::ReadBackDiffers) {
            QCOMPARE(r.differing, 1);
            QCOMPARE(r.firstAt, 20);
        }
        if (!r.pass && r.failure != line::Failure::ReadBackDiffers)
            QCOMPARE(r.limitSeconds, timing.timeoutMs / 1000.0);
    }
    // A held port says why, and is tried again every period until it is let go.
    QCOMPARE(host.refusals, heldAtFirst ? QStringList {held.in(language::Language::English)} : QStringList {});
    // A port that never answers is asked every period from the moment it settled.
    if (results.isEmpty() && trace.endsWith(QStringLiteral("probing")) && !trace.contains("absent"))
        QCOMPARE(line->count("READ_SET"), int(1 + (runMs - timing.settleMs) / timing.repeatMs));
    if (!results.isEmpty() && station.state() == line::Station::State::Leaving) {
        QVERIFY(station.last().has_value());
        QCOMPARE(station.last()->pass, results.last() == QLatin1String("pass"));
    }
}

void TestLine::logFolderMissingStopsBeforeStarting()
{
    QTemporaryDir dir;
    const QString tpl = writeFile(dir, "t.cfg", "# tavrix-configuration 1\nEdit34 = internet\n");
    line::Recipe recipe;
    QVERIFY(!recipe.load(tpl, {}));
    ProductionLine::Options options;
    options.coms = {7};
    options.backupsDir = dir.filePath("backups");
    options.logPath = dir.filePath("no/such/folder/line.jsonl");
    ProductionLine productionLine(PortMap(dir.filePath("ports"), {}), recipe, options);
    QString why;
    QVERIFY(!productionLine.prepare(&why));
    QVERIFY2(why.contains(dir.filePath("no/such/folder")), qPrintable(why));
    QVERIFY(!QFile::exists(options.logPath));
}

QTEST_MAIN(TestLine)
void TestLine::summarySaysARateOnlyFromEnoughControllers_data()
{
    QTest::addColumn<int>("passed");
    QTest::addColumn<int>("failed");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("line");
    QTest::newRow("one controller in seconds") << 1 << 0 << 2.0 << "Total: 1 written, 0 failed, median cycle 1.3 s";
    QTest::newRow("three controllers within a minute") << 2 << 1 << 59.0 << "Total: 2 written, 1 failed, median cycle 1.3 s";
    QTest::newRow("two controllers over an hour") << 2 << 0 << 3600.0 << "Total: 2 written, 0 failed, median cycle 1.3 s";
    QTest::newRow("three controllers over a minute")
        << 2 << 1 << 60.0 << "Total: 2 written, 1 failed, 120 an hour, median cycle 1.3 s";
}

void TestLine::summarySaysARateOnlyFromEnoughControllers()
{
    QFETCH(int, passed);
    QFETCH(int, failed);
    QFETCH(double, seconds);
    QFETCH(QString, line);
    ProductionLine::Summary s;
    s.passed = passed;
    s.failed = failed;
    s.runSeconds = seconds;
    s.unitsPerHour = passed * 3600.0 / seconds;
    s.medianSeconds = 1.3;
    QCOMPARE(ProductionLine::summaryLine(s), line);
}

void TestLine::failureIsWordedInEitherLanguage_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("english"); // as the log keeps it
    QTest::addColumn<QString>("russian"); // as the window shows it
    using F = line::Failure;
    QTest::newRow("passed") << int(F::None) << "" << "";
    QTest::newRow("backup") << int(F::BackupNotSaved) << "the backup cannot be saved: why"
                            << "резервная копия не сохранена: why";
    QTest::newRow("malformed record") << int(F::RecordMalformed)
                                      << "the record to write would read as malformed: why; nothing written"
                                      << "такая запись читалась бы как искажённая (why); ничего не записано";
    QTest::newRow("not sent") << int(F::NotSent) << "the command could not be sent" << "команда не отправлена";
    QTest::newRow("no answer to the write")
        << int(F::NoAnswerToWrite) << "the controller stopped answering (no answer to WRITE_SET_ within 2.5 s)"
        << "контроллер перестал отвечать (нет ответа на запись за 2.5 с)";
    // Only the log names the last answer.
    QTest::newRow("malformed answers") << int(F::MalformedAnswers)
                                       << "every answer to READ_SET within 2.5 s was malformed, the last: why"
                                       << "все ответы на чтение за 2.5 с искажены";
    QTest::newRow("no answer to the read")
        << int(F::NoAnswerToRead) << "the controller stopped answering (no answer to READ_SET within 2.5 s)"
        << "контроллер перестал отвечать (нет ответа на чтение за 2.5 с)";
    QTest::newRow("port gone") << int(F::PortGone) << "the port went away" << "порт пропал";
    QTest::newRow("stopped") << int(F::Stopped) << "stopped" << "остановлено";
    QTest::newRow("read back differs") << int(F::ReadBackDiffers)
                                       << "3 byte(s) read back differ from those written, the first at offset 20"
                                       << "считано не то, что записано: байтов 3, первый на позиции 20";
}

void TestLine::failureIsWordedInEitherLanguage()
{
    QFETCH(int, failure);
    QFETCH(QString, english);
    QFETCH(QString, russian);
    line::UnitResult r;
    r.failure = line::Failure(failure);
    r.detail = QStringLiteral("why");
    r.limitSeconds = 2.5;
    r.differing = 3;
    r.firstAt = 20;
    QCOMPARE(r.reasonIn(language::Language::English), english);
    QCOMPARE(r.reasonIn(language::Language::Russian), russian);
}

#include "tst_line.moc"
