#include "line/productionline.h"

#include "book/book.h"
#include "net/portnames.h"

#include "config/backups.h"
#include "config/catalog.h"
#include "translations/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <algorithm>

namespace line {

namespace {

// Each phase as the log keeps it and as the console says where a unit failed.
const struct
{
    const char *word;
    const char *text;
} kPhases[] = {
    {"", ""},
    {"backup", QT_TRANSLATE_NOOP("line::ProductionLine", "at the backup")},
    {"write", QT_TRANSLATE_NOOP("line::ProductionLine", "at the write")},
    {"verify", QT_TRANSLATE_NOOP("line::ProductionLine", "at the check")},
};

} // namespace

QString phaseWord(Phase phase)
{
    return QString::fromLatin1(kPhases[int(phase)].word);
}

QString defaultBackupsDir()
{
    return backups::folder();
}

ProductionLine::ProductionLine(PortMap map, const Recipe &recipe, Options options, QObject *parent)
    : QObject(parent), m_map(std::move(map)), m_recipe(recipe), m_options(std::move(options)),
      m_queue(recipe.hasUnits() ? UnitQueue(recipe.rows()) : UnitQueue())
{
    if (m_options.coms.isEmpty()) {
        for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com)
            m_options.coms << com;
    }
    m_backupsDir = m_options.backupsDir.isEmpty() ? defaultBackupsDir() : m_options.backupsDir;
}

ProductionLine::~ProductionLine()
{
    if (m_watcher)
        m_watcher->stop();
    m_stations.clear();
}

bool ProductionLine::prepare(QString *why)
{
    if (!QDir().mkpath(m_backupsDir)) {
        *why = QCoreApplication::translate("line", "the backups folder %1 cannot be made").arg(m_backupsDir);
        return false;
    }
    if (!m_options.logPath.isEmpty()) {
        const QFileInfo info(m_options.logPath);
        if (!info.absoluteDir().exists()) {
            *why = QCoreApplication::translate("line", "the log's folder %1 does not exist").arg(info.absolutePath());
            return false;
        }
        m_log.setFileName(m_options.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append)) {
            *why = QCoreApplication::translate("line", "the log %1 cannot be written: %2").arg(m_options.logPath, m_log.errorString());
            return false;
        }
    }
    if (m_options.recordInBook) {
        // A book that cannot be had never stops the line: it is told, and the units go on.
        QString problem;
        book::Origin origin;
        origin.operatorName = m_options.operatorName;
        m_book = book::Book::open(book::locationFrom(m_options.book), &problem, origin);
        if (!m_book || m_book->outboxOnly())
            m_bookProblem = QCoreApplication::translate("line", "the site book: %1").arg(problem);
    }
    return true;
}

void ProductionLine::start()
{
    if (!m_bookProblem.isEmpty())
        QTimer::singleShot(0, this, [this] { emit notice(m_bookProblem); });
    m_running = true;
    m_held = m_options.lookFirst;
    m_clock.start();
    for (int com : std::as_const(m_options.coms)) {
        m_stations.push_back(std::make_unique<Station>(
            com, *this, m_options.timing, nullptr,
            m_options.connection ? m_options.connection(com, m_options.timing) : nullptr));
    }
    // Network addresses are there from the start; a unit is present when it answers.
    QList<int> coms;
    for (int com : std::as_const(m_options.coms)) {
        if (!portnames::isAddress(com))
            coms << com;
    }
    m_watcher = std::make_unique<PortWatcher>(m_map, coms);
    connect(m_watcher.get(), &PortWatcher::appeared, this, [this](int com, const QString &device) {
        // One device has one owner, even when two COM numbers name it.
        for (const auto &s : m_stations) {
            if (s->com() != com && s->device() == device)
                return;
        }
        if (Station *s = station(com))
            s->setDevice(device);
    });
    connect(m_watcher.get(), &PortWatcher::gone, this, [this](int com) {
        if (Station *s = station(com))
            s->setDevice({});
    });
    m_watcher->start();
    for (const auto &s : m_stations) {
        if (s->isNetwork())
            s->setDevice(s->portName());
    }
    // Nothing to serve (no rows at all): end once the loop runs.
    QTimer::singleShot(0, this, &ProductionLine::checkEnd);
    // No port to look at, perhaps.
    checkLooked();
}

void ProductionLine::release()
{
    m_held = false;
}

void ProductionLine::checkLooked()
{
    if (!m_held || m_lookTold || !m_running)
        return;
    QList<int> answering;
    for (const auto &s : m_stations) {
        if (!s->looked())
            return;
        if (s->unitHeard())
            answering << s->com();
    }
    m_lookTold = true;
    QTimer::singleShot(0, this, [this, answering] {
        if (m_running)
            emit looked(answering);
    });
}

void ProductionLine::stop()
{
    m_stopping = true;
    checkEnd();
}

void ProductionLine::abort()
{
    m_stopping = true;
    for (const auto &s : m_stations)
        s->shutDown();
    checkEnd();
}

Station *ProductionLine::station(int com) const
{
    for (const auto &s : m_stations) {
        if (s->com() == com)
            return s.get();
    }
    return nullptr;
}

bool ProductionLine::anyBusy() const
{
    return std::any_of(m_stations.begin(), m_stations.end(), [](const auto &s) { return s->busy(); });
}

void ProductionLine::checkEnd()
{
    if (!m_running || m_ended || anyBusy())
        return;
    const bool countReached = m_options.count > 0 && m_passed >= m_options.count;
    if (!(m_stopping || countReached || m_queue.exhausted()))
        return;
    m_ended = true;
    m_running = false;
    m_watcher->stop();
    for (const auto &s : m_stations)
        s->shutDown();
    emit finished();
}

std::optional<UnitRow> ProductionLine::takeRow(int *ordinal)
{
    if (!m_running || m_stopping || m_held)
        return std::nullopt;
    if (m_options.count > 0 && m_passed + m_queue.out() >= m_options.count)
        return std::nullopt;
    std::optional<UnitRow> row = m_queue.take();
    if (row)
        *ordinal = ++m_ordinals;
    return row;
}

QString ProductionLine::saveBackup(const Station &station, const QByteArray &backupText, QString *why)
{
    const backups::Saved saved = station.isNetwork()
        ? backups::save(backupText, station.portName(), QDateTime::currentDateTime(), m_backupsDir)
        : backups::save(backupText, station.com(), QDateTime::currentDateTime(), m_backupsDir);
    if (!saved.ok) {
        *why = QStringLiteral("%1: %2").arg(saved.folder, saved.reason);
        return {};
    }
    return saved.path;
}

void ProductionLine::unitFinished(Station &, const UnitResult &result)
{
    if (result.pass) {
        ++m_passed;
        m_queue.usedUp();
        m_cycles << result.seconds;
    } else {
        ++m_failed;
        // Its row goes to the next unit that arrives.
        m_queue.giveBack(result.row);
    }
    if (m_log.isOpen()) {
        const QByteArray line = QJsonDocument(logObject(result)).toJson(QJsonDocument::Compact) + '\n';
        // Each line on disk as it happens: a crash loses nothing already logged.
        if (m_log.write(line) != line.size() || !m_log.flush())
            emit notice(QCoreApplication::translate("line", "the log %1 cannot be written: %2").arg(m_log.fileName(), m_log.errorString()));
    }
    record(result);
    emit unitDone(result);
    QTimer::singleShot(0, this, &ProductionLine::checkEnd);
}

void ProductionLine::record(const UnitResult &result)
{
    if (!m_book || result.writtenText.isEmpty())
        return;
    QString why;
    book::Revision r;
    r.configuration = result.writtenText;
    r.kind = book::Kind::Line;
    r.proved = result.pass;
    r.port = portnames::name(result.com);
    r.device = result.device;
    r.time = result.time.toUTC();
    if (!result.row.site.isEmpty()) {
        const QString name = result.row.site.section(QLatin1Char('/'), 0, 0).trimmed();
        if (!m_book->site(name)) {
            book::Site s;
            s.name = name;
            if (!m_book->addSite(s, &why) && !m_book->site(name)) {
                emit notice(QCoreApplication::translate("line", "the site book: %1").arg(why));
                return;
            }
        }
        const auto controller = m_book->controllerOf(result.row.site, &why);
        if (!controller) {
            emit notice(QCoreApplication::translate("line", "the site book: %1").arg(why));
            return;
        }
        r.controllerId = controller->id;
    }
    if (!m_book->recordWrite(result.heldText, r, &why))
        emit notice(QCoreApplication::translate("line", "the site book: %1").arg(why));
}

void ProductionLine::stationChanged(Station &station)
{
    const QString refusal = station.refusal();
    if (refusal != m_refusalsTold.value(station.com())) {
        m_refusalsTold.insert(station.com(), refusal);
        if (!refusal.isEmpty())
            emit notice(QStringLiteral("%1  %2").arg(station.portName(), refusal));
    }
    checkLooked();
    emit stationUpdated(station.com());
}

ProductionLine::Summary ProductionLine::summary() const
{
    Summary s;
    s.passed = m_passed;
    s.failed = m_failed;
    s.rowsLeft = m_queue.limited() ? m_queue.left() + m_queue.out() : -1;
    s.runSeconds = m_clock.isValid() ? m_clock.elapsed() / 1000.0 : 0;
    if (s.runSeconds > 0)
        s.unitsPerHour = m_passed * 3600.0 / s.runSeconds;
    QList<double> cycles = m_cycles;
    std::sort(cycles.begin(), cycles.end());
    if (!cycles.isEmpty()) {
        const qsizetype n = cycles.size();
        s.medianSeconds = n % 2 ? cycles.at(n / 2) : (cycles.at(n / 2 - 1) + cycles.at(n / 2)) / 2;
    }
    return s;
}

QJsonObject ProductionLine::logObject(const UnitResult &r)
{
    QJsonObject o {
        {QStringLiteral("time"), r.time.toString(Qt::ISODateWithMs)},
        {QStringLiteral("port"), portnames::name(r.com)},
        {QStringLiteral("device"), r.device},
        {QStringLiteral("unit"), r.row.label.isEmpty() ? QString::number(r.ordinal) : r.row.label},
        {QStringLiteral("attempt"), r.ordinal},
        {QStringLiteral("row"), r.row.line > 0 ? QJsonValue(r.row.line) : QJsonValue()},
        {QStringLiteral("result"), r.pass ? QStringLiteral("pass") : QStringLiteral("fail")},
        {QStringLiteral("seconds"), qRound(r.seconds * 1000) / 1000.0},
        {QStringLiteral("backup"), r.backup},
        {QStringLiteral("changes"), QJsonArray::fromStringList(r.changes)},
        {QStringLiteral("sha256"), r.sha256.isEmpty() ? QJsonValue() : QJsonValue(r.sha256)},
    };
    if (!r.pass) {
        o.insert(QStringLiteral("phase"), phaseWord(r.phase));
        o.insert(QStringLiteral("reason"), r.reason);
    }
    if (!r.notes.isEmpty())
        o.insert(QStringLiteral("notes"), QJsonArray::fromStringList(r.notes));
    return o;
}

QString ProductionLine::eventLine(const UnitResult &r)
{
    // In the console program's language; the window shows its own columns.
    QString unit = tr("controller %1").arg(r.ordinal);
    if (!r.row.label.isEmpty())
        unit += QStringLiteral(" (%1)").arg(r.row.label);
    const char *phase = kPhases[int(r.phase)].text;
    const QString reason = r.reasonIn(language::current());
    const QString what = r.pass ? tr("written and verified") : tr("failed %1: %2").arg(*phase ? tr(phase) : QString(), reason);
    return tr("%1  %2  %3  %4 s").arg(portnames::name(r.com), unit, what, QString::number(r.seconds, 'f', 1));
}

QJsonObject ProductionLine::summaryObject(const Summary &s)
{
    QJsonObject o {{QStringLiteral("passed"), s.passed},
                   {QStringLiteral("failed"), s.failed},
                   {QStringLiteral("unitsPerHour"), qRound(s.unitsPerHour * 10) / 10.0},
                   {QStringLiteral("medianSeconds"), qRound(s.medianSeconds * 1000) / 1000.0},
                   {QStringLiteral("seconds"), qRound(s.runSeconds * 1000) / 1000.0}};
    if (s.rowsLeft >= 0)
        o.insert(QStringLiteral("rowsLeft"), s.rowsLeft);
    return o;
}

QString ProductionLine::summaryLine(const Summary &s)
{
    QString line = tr("Total: %1 written, %2 failed").arg(s.passed).arg(s.failed);
    // A rate from a controller or two, or from a few seconds, says nothing of the line.
    if (s.passed + s.failed >= kUnitsForARate && s.runSeconds >= kSecondsForARate)
        line += tr(", %1 an hour").arg(QString::number(s.unitsPerHour, 'f', 0));
    line += tr(", median cycle %1 s").arg(QString::number(s.medianSeconds, 'f', 1));
    if (s.rowsLeft >= 0)
        line += tr(", %1 row(s) left").arg(s.rowsLeft);
    return line;
}

} // namespace line
