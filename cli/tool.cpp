#include "cli/tool.h"

#include "net/networkports.h"

#include "book/book.h"
#include "net/portnames.h"

#include "cli/devicejob.h"
#include "cli/portrun.h"
#include "config/configform.h"
#include "config/writeplan.h"
#include "link/exchangejournal.h"
#include "link/portdiagnosis.h"
#include "link/serialchannel.h"
#include "translations/language.h"
#include "records/records.h"
#include "protocol/settingsreply.h"

#include <QDir>
#include <algorithm>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

void printTable(QTextStream &out, const QList<QStringList> &rows)
{
    QList<int> widths;
    for (const QStringList &row : rows) {
        for (int i = 0; i < row.size(); ++i) {
            if (widths.size() <= i)
                widths << 0;
            widths[i] = qMax(widths[i], int(row[i].size()));
        }
    }
    for (const QStringList &row : rows) {
        QString line;
        for (int i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        out << line.trimmed() << '\n';
    }
    out.flush();
}

namespace {

QString seconds(qint64 ms)
{
    return Tool::tr("%1 s").arg(QString::number(ms / 1000.0, 'f', 2));
}

// Bytes of a record as a line of the journal shows them, quoted so that a space shows.
QString quotedBytes(const QByteArray &bytes)
{
    return QLatin1Char('\'') + ExchangeJournal::visible(bytes) + QLatin1Char('\'');
}

} // namespace

Tool::Tool(PortMap map, Options options, QTextStream &out, QTextStream &err)
    : m_map(std::move(map)), m_options(std::move(options)), m_out(out), m_err(err),
      m_catalog(config::windowCatalog())
{
    net::registerNetworkPorts(m_options.connectTimeoutMs);
    m_waitTimer.setInterval(250);
    connect(&m_waitTimer, &QTimer::timeout, this, &Tool::showWaiting);
}

Tool::~Tool() = default;

bool Tool::startTrace(QString *error)
{
    if (m_options.trace.isEmpty())
        return true;
    m_traceFile = std::make_unique<QFile>(m_options.trace);
    if (!m_traceFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = m_traceFile->errorString();
        m_traceFile.reset();
        return false;
    }
    m_traceFile->write(ExchangeJournal::heading().toUtf8());
    m_traceFile->flush();
    // Each line goes out as it happens, so a run that is cut short leaves its journal;
    // the file holds it all, the journal itself only the recent entries.
    m_journal = std::make_unique<ExchangeJournal>(64);
    connect(m_journal.get(), &ExchangeJournal::recorded, this, [this](const ExchangeJournal::Entry &entry) {
        m_traceFile->write((ExchangeJournal::line(entry, true) + QLatin1Char('\n')).toUtf8());
        m_traceFile->flush();
    });
    return true;
}

int Tool::comNumber(const QString &text)
{
    return portnames::comNumber(text);
}

void Tool::emitUsageError(QTextStream &out, const QString &command, const QString &message)
{
    QJsonObject result{{QStringLiteral("error"), message}, {QStringLiteral("status"), int(UsageError)}};
    if (!command.isEmpty())
        result.insert(QStringLiteral("command"), command);
    out << QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Indented));
    out.flush();
}

int Tool::usage(const QString &message)
{
    m_err << "tavrix-cli: " << message << '\n';
    m_err.flush();
    if (m_options.json)
        emitUsageError(m_out, m_command, message);
    return UsageError;
}

int Tool::fileError(const config::FileError &error)
{
    m_err << "tavrix-cli: " << error.message() << '\n';
    m_err.flush();
    if (m_options.json)
        emitJson({{QStringLiteral("command"), m_command}, {QStringLiteral("error"), error.message()},
                  {QStringLiteral("file"), error.file}, {QStringLiteral("line"), error.line},
                  {QStringLiteral("reason"), error.reason}, {QStringLiteral("status"), int(UsageError)}});
    return UsageError;
}

void Tool::emitPorts()
{
    if (m_options.json)
        emitJson({{QStringLiteral("command"), m_command}, {QStringLiteral("ports"), portsJson()}});
}

void Tool::emitJson(const QJsonObject &object)
{
    m_out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
    m_out.flush();
}

// ---- ports side by side ---------------------------------------------------------------

void Tool::startJobs(const QList<int> &coms, const std::function<void(PortRun &)> &begin)
{
    for (int com : coms) {
        auto run = std::make_unique<PortRun>();
        run->com = com;
        run->name = portnames::name(com);
        run->job = std::make_unique<DeviceJob>(run->name, m_map, m_options.timeoutMs);
        run->job->setJournal(m_journal.get());
        run->clock.start();
        PortRun *r = run.get();
        r->job->onProgress = [this, r](const QString &line) {
            m_err << r->name << ": " << line << '\n';
            m_err.flush();
        };
        r->job->onFailed = [this, r](const QString &why) { finish(*r, DeviceFailure, why); };
        r->job->onHeard = [this] { eraseWaiting(); };
        m_runs.push_back(std::move(run));
        ++m_pending;
    }
    // Every port gets its command before any reply is handled, so that the controllers
    // work at the same time.
    for (auto &run : m_runs) {
        if (run->status < 0 && run->job->open())
            begin(*run);
    }
}

int Tool::runJobs()
{
    // The last port to finish ends the loop: waiting for "more events" after it would
    // wait for ever where nothing else is left to happen (the Windows dispatcher).
    if (m_pending > 0) {
        if (m_options.waitLine)
            m_waitTimer.start();
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
        m_waitTimer.stop();
        eraseWaiting();
    }
    return worstStatus();
}

void Tool::showWaiting()
{
    // Shown once a controller has been silent for a second: a quick answer leaves no trace.
    constexpr qint64 kSilentMs = 1000;
    QStringList ports;
    qint64 longest = 0;
    for (const auto &run : m_runs) {
        const qint64 silent = run->status < 0 ? run->job->silentMs() : -1;
        if (silent >= kSilentMs) {
            ports << run->name;
            longest = qMax(longest, silent);
        }
    }
    if (ports.isEmpty()) {
        eraseWaiting();
        return;
    }
    const QString line = ports.join(QStringLiteral(", ")) + QStringLiteral(": ")
                         + tr("waiting for the controller's answer… %1 s").arg(longest / 1000);
    if (line == m_waitShown)
        return;
    // Spaces cover what a longer line before left.
    m_err << '\r' << line << QString(qMax(0, int(m_waitShown.size() - line.size())), QLatin1Char(' '));
    m_err.flush();
    m_waitShown = line;
}

void Tool::eraseWaiting()
{
    if (m_waitShown.isEmpty())
        return;
    m_err << '\r' << QString(m_waitShown.size(), QLatin1Char(' ')) << '\r';
    m_err.flush();
    m_waitShown.clear();
}

void Tool::finish(PortRun &run, int status, const QString &message)
{
    if (run.status >= 0)
        return;
    run.status = status;
    run.message = message;
    run.elapsedMs = run.clock.elapsed();
    run.job->close();
    if (--m_pending == 0 && m_loop)
        m_loop->quit();
    m_err << run.name << ": " << message << " (" << seconds(run.elapsedMs) << ")\n";
    m_err.flush();
}

int Tool::worstStatus() const
{
    int worst = Done;
    for (const auto &run : m_runs) {
        if (run->status == DeviceFailure || run->status == UsageError)
            worst = (worst == UsageError) ? worst : run->status;
        else if (run->status == Differences && worst == Done)
            worst = Differences;
    }
    return worst;
}

void Tool::readControllers(const QList<int> &coms, const std::function<void(PortRun &, const config::Configuration &)> &done)
{
    startJobs(coms, [this, done](PortRun &run) {
        PortRun *r = &run;
        // A reply cut short or shifted would save (or compare) the start values in place
        // of what the controller holds: it is asked for again as a write asks.
        r->job->checkSettings = settingsreply::replyFault;
        if (m_command == QLatin1String("read"))
            r->job->onFailed = [this, r](const QString &why) { finish(*r, DeviceFailure, why + Tool::tr("; nothing saved")); };
        r->job->onSettings = [r, done](const QByteArray &text, int pos) {
            done(*r, config::shownBy(settingsreply::recordOf(text, pos)));
        };
        r->job->readSettings();
    });
}

QJsonArray Tool::portsJson() const
{
    QJsonArray ports;
    for (const auto &run : m_runs) {
        QJsonObject port{{QStringLiteral("port"), run->name},
                         {QStringLiteral("status"), run->status},
                         {QStringLiteral("message"), run->message},
                         {QStringLiteral("seconds"), (run->elapsedMs >= 0 ? run->elapsedMs : run->clock.elapsed()) / 1000.0}};
        if (!run->file.isEmpty())
            port.insert(QStringLiteral("file"), run->file);
        if (run->stage == PortRun::Stage::Verifying)
            port.insert(QStringLiteral("differences"), byteDifferencesJson(run->byteDiffs));
        if (m_command == QLatin1String("write"))
            port.insert(QStringLiteral("changedByRules"), changesJson(run->plan.ruleChanges));
        if (m_command == QLatin1String("write"))
            port.insert(QStringLiteral("changedByRecord"), changesJson(run->plan.formChanges));
        if (!run->snapshot.isEmpty())
            port.insert(QStringLiteral("snapshot"), run->snapshot);
        ports.append(port);
    }
    return ports;
}

QJsonArray Tool::differencesJson(const QList<config::Difference> &diffs) const
{
    QJsonArray out;
    for (const config::Difference &d : diffs) {
        out.append(QJsonObject{{QStringLiteral("page"), m_catalog.pageTitle(d.control->page)},
                               {QStringLiteral("caption"), d.control->caption},
                               {QStringLiteral("meaning"), d.control->meaning},
                               {QStringLiteral("name"), d.control->name},
                               {QStringLiteral("a"), d.a},
                               {QStringLiteral("b"), d.b}});
    }
    return out;
}

QJsonArray Tool::changesJson(const QList<config::Change> &changes) const
{
    QJsonArray out;
    for (const config::Change &c : changes) {
        out.append(QJsonObject{{QStringLiteral("page"), m_catalog.pageTitle(c.control->page)},
                               {QStringLiteral("caption"), c.control->caption},
                               {QStringLiteral("name"), c.control->name},
                               {QStringLiteral("line"), c.line},
                               {QStringLiteral("file"), c.named},
                               {QStringLiteral("now"), c.now}});
    }
    return out;
}

void Tool::printDifferences(const QList<config::Difference> &diffs, const QString &a, const QString &b)
{
    QList<QStringList> rows{{tr("Page"), tr("Caption"), tr("Name"), a, b}};
    for (const config::Difference &d : diffs)
        rows << QStringList{m_catalog.pageTitle(d.control->page), d.control->caption, d.control->name,
                            m_catalog.shown(*d.control, d.a), m_catalog.shown(*d.control, d.b)};
    printTable(m_out, rows);
}

void Tool::printByteDifferences(const QList<config::ByteDifference> &diffs)
{
    QList<QStringList> rows{{tr("Offset"), tr("Name"), tr("Page"), tr("Caption"), tr("Written"), tr("Read back")}};
    for (const config::ByteDifference &d : diffs) {
        const int last = d.offset + d.length() - 1;
        const QString offsets = last > d.offset ? QStringLiteral("%1-%2").arg(d.offset).arg(last) : QString::number(d.offset);
        QString name = d.place.controls.value(0, QStringLiteral("-"));
        if (d.place.controls.size() > 1)
            name += QStringLiteral("…") + d.place.controls.last();
        rows << QStringList{offsets, name, d.page, d.place.padding ? d.caption + Tool::tr(" (padding)") : d.caption,
                            quotedBytes(d.written), quotedBytes(d.readBack)};
    }
    printTable(m_out, rows);
}

QJsonArray Tool::byteDifferencesJson(const QList<config::ByteDifference> &diffs) const
{
    QJsonArray out;
    for (const config::ByteDifference &d : diffs) {
        out.append(QJsonObject{{QStringLiteral("offset"), d.offset},
                               {QStringLiteral("length"), d.length()},
                               {QStringLiteral("name"), d.place.controls.value(0)},
                               {QStringLiteral("controls"), QJsonArray::fromStringList(d.place.controls)},
                               {QStringLiteral("page"), d.page},
                               {QStringLiteral("caption"), d.caption},
                               {QStringLiteral("meaning"), d.place.meaning},
                               {QStringLiteral("padding"), d.place.padding},
                               {QStringLiteral("written"), ExchangeJournal::visible(d.written)},
                               {QStringLiteral("read"), ExchangeJournal::visible(d.readBack)}});
    }
    return out;
}

// ---- sub-commands ---------------------------------------------------------------------

int Tool::ports(bool all)
{
    m_command = QStringLiteral("ports");
    SerialChannel probe;
    QList<PortStatus> statuses = diagnosePorts(m_map, probe, language::current());
    // A COM number with neither a device nor a link behind it is no port of this
    // machine; --all shows it anyway, with why.
    if (!all)
        statuses.removeIf([](const PortStatus &s) { return s.state == PortStatus::State::Absent; });
    if (!m_options.json) {
        m_out << formatPortTable(statuses, m_map.portsDir(), language::current());
        if (statuses.isEmpty())
            m_err << tr("No COM port on this machine (ports --all lists every number with why).") << '\n';
        m_out.flush();
        m_err.flush();
        return Done;
    }
    QJsonArray json;
    for (const PortStatus &s : std::as_const(statuses)) {
        json.append(QJsonObject{{QStringLiteral("port"), QStringLiteral("COM%1").arg(s.com)},
                                {QStringLiteral("device"), s.device},
                                {QStringLiteral("link"), !s.link.isEmpty()},
                                {QStringLiteral("free"), s.isFree()},
                                {QStringLiteral("state"), s.isFree() ? QStringLiteral("free") : s.reason},
                                {QStringLiteral("description"), s.description}});
    }
    emitJson({{QStringLiteral("ports"), json}});
    return Done;
}

int Tool::read(const QList<int> &coms)
{
    m_command = QStringLiteral("read");
    if (m_options.output.isEmpty())
        return usage(Tool::tr("read needs -o FILE (or -o DIR for several ports, -o - for stdout)"));
    const bool toStdout = m_options.output == QLatin1String("-");
    if (toStdout && coms.size() > 1)
        return usage(Tool::tr("-o - takes one port; give a folder for several"));
    // "backup/" names a folder even before it exists.
    const bool toDir = !toStdout
                       && (coms.size() > 1 || m_options.output.endsWith(QLatin1Char('/'))
                           || QFileInfo(m_options.output).isDir());
    const QString folder = toDir ? m_options.output : QFileInfo(m_options.output).absolutePath();
    if (!toStdout && !QDir().mkpath(folder))
        return usage(Tool::tr("cannot make the folder %1").arg(folder));
    if (const int status = openBook(coms); status != Done)
        return status;

    readControllers(coms, [this, toDir, toStdout](PortRun &run, const config::Configuration &cfg) {
        recordRead(run, m_catalog.render(cfg), book::Kind::Read);
        if (toStdout) {
            run.text = m_catalog.render(cfg);
            m_readControls = controlsJson(cfg);
            finish(run, Done, tr("read"));
            return;
        }
        run.file = toDir ? QDir(m_options.output).filePath(portnames::fileStem(run.com) + QStringLiteral(".cfg")) : m_options.output;
        QString error;
        if (config::save(run.file, m_catalog.render(cfg), &error))
            finish(run, Done, Tool::tr("read, saved to %1").arg(run.file));
        else
            finish(run, UsageError, Tool::tr("read, but %1 cannot be written: %2").arg(run.file, error));
    });
    const int status = runJobs();
    if (m_options.json) {
        QJsonObject result{{QStringLiteral("command"), m_command}, {QStringLiteral("ports"), portsJson()}};
        // With --json stdout carries JSON only: the controls go into it.
        if (toStdout && status == Done)
            result.insert(QStringLiteral("controls"), m_readControls);
        emitJson(result);
    } else if (toStdout && status == Done) {
        m_out << QString::fromUtf8(m_runs.front()->text);
        m_out.flush();
    }
    return status;
}

int Tool::write(const QList<int> &coms, const QString &file)
{
    m_command = QStringLiteral("write");
    config::Configuration wanted;
    if (const auto error = config::load(file, m_catalog, &wanted))
        return fileError(*error);
    if (const int status = openBook(coms); status != Done)
        return status;

    startJobs(coms, [this, wanted](PortRun &run) {
        PortRun *r = &run;
        r->job->onFailed = [this, r](const QString &why) {
            finish(*r, DeviceFailure, r->stage == PortRun::Stage::Holding ? why + Tool::tr("; nothing written") : why);
        };
        // The record is written over what the controller holds: a reply that cannot be
        // its record (shifted by noise, cut short) is asked for again, never built on.
        r->job->checkSettings = settingsreply::replyFault;
        r->job->onSettings = [this, r, wanted](const QByteArray &text, int pos) {
            const QByteArray record = settingsreply::recordOf(text, pos);
            if (r->stage == PortRun::Stage::Verifying) {
                r->byteDiffs = config::verifyWrite(r->plan.record, record);
                // Proved only when every byte came back as sent.
                recordWrite(*r, r->byteDiffs.isEmpty());
                if (r->byteDiffs.isEmpty())
                    finish(*r, Done, Tool::tr("written and verified"));
                else
                    finish(*r, Differences, Tool::tr("written, but %1 byte(s) in %2 place(s) read back differently")
                                                .arg(config::differingBytes(r->byteDiffs))
                                                .arg(r->byteDiffs.size()));
                return;
            }
            // Nothing is sent before what the controller holds is safe in a file.
            const config::WritePlan plan = config::planWrite(record, wanted);
            if (!snapshot(*r, plan.backupText()))
                return;
            r->plan = plan;
            for (const config::Change &c : std::as_const(r->plan.ruleChanges))
                m_err << r->name << ": " << tr("the page rules change %1").arg(m_catalog.changeLine(c)) << '\n';
            for (const config::Change &c : std::as_const(r->plan.formChanges))
                m_err << r->name << ": " << tr("the record stores %1").arg(m_catalog.changeLine(c)) << '\n';
            m_err.flush();
            if (!r->plan.fault.isEmpty()) {
                finish(*r, DeviceFailure, Tool::tr("the record to write would read as malformed: %1; nothing written").arg(r->plan.fault));
                return;
            }
            r->job->checkSettings = nullptr;
            r->stage = PortRun::Stage::Writing;
            r->job->writeSettings(r->plan.record);
        };
        r->job->onWritten = [this, r] {
            if (!m_options.verify) {
                recordWrite(*r, false);
                finish(*r, Done, tr("written"));
                return;
            }
            r->stage = PortRun::Stage::Verifying;
            r->job->readSettings();
        };
        r->job->readSettings();
    });
    const int status = runJobs();

    for (const auto &run : m_runs) {
        if (!run->byteDiffs.isEmpty() && !m_options.json) {
            m_out << run->name << ":\n";
            printByteDifferences(run->byteDiffs);
        }
    }
    emitPorts();
    return status;
}

int Tool::diff(const QString &a, const QString &b)
{
    m_command = QStringLiteral("diff");
    const QStringList sources{a, b};
    config::Configuration configs[2];
    QList<int> coms;
    for (int i = 0; i < 2; ++i) {
        const int com = portnames::number(sources[i]);
        if (com > 0) {
            if (coms.contains(com))
                return usage(Tool::tr("%1 is named twice").arg(sources[i]));
            coms << com;
        } else if (const auto error = config::load(sources[i], m_catalog, &configs[i])) {
            return fileError(*error);
        }
    }
    readControllers(coms, [this, &configs, &sources](PortRun &run, const config::Configuration &cfg) {
        for (int i = 0; i < 2; ++i) {
            if (portnames::number(sources[i]) == run.com)
                configs[i] = cfg;
        }
        finish(run, Done, tr("read"));
    });
    const int status = runJobs();
    if (status != Done) {
        emitPorts();
        return status;
    }

    const QList<config::Difference> diffs = m_catalog.compare(configs[0], configs[1]);
    if (m_options.json)
        emitJson({{QStringLiteral("command"), QStringLiteral("diff")}, {QStringLiteral("a"), a}, {QStringLiteral("b"), b},
                  {QStringLiteral("differences"), differencesJson(diffs)}});
    else if (diffs.isEmpty())
        m_err << tr("No differences.") << '\n';
    else
        printDifferences(diffs, a, b);
    m_err.flush();
    return diffs.isEmpty() ? Done : Differences;
}

int Tool::showControls(const QString &source)
{
    m_command = QStringLiteral("show");
    config::Configuration cfg;
    const int com = portnames::number(source);
    if (com > 0) {
        readControllers({com}, [this, &cfg](PortRun &run, const config::Configuration &read) {
            cfg = read;
            finish(run, Done, tr("read"));
        });
        if (const int status = runJobs(); status != Done) {
            emitPorts();
            return status;
        }
    } else if (const auto error = config::load(source, m_catalog, &cfg)) {
        return fileError(*error);
    }

    QList<QStringList> rows{{tr("Page"), tr("Caption"), tr("Name"), tr("Value")}};
    for (const config::ControlInfo *info : m_catalog.byPage()) {
        if (const config::Entry *e = cfg.find(info->name))
            rows << QStringList{m_catalog.pageTitle(info->page), info->description(), info->name,
                                m_catalog.shown(*info, e->value)};
    }
    if (m_options.json)
        emitJson({{QStringLiteral("command"), QStringLiteral("show")}, {QStringLiteral("source"), source},
                  {QStringLiteral("controls"), controlsJson(cfg)}});
    else
        printTable(m_out, rows);
    return Done;
}

QJsonArray Tool::controlsJson(const config::Configuration &cfg) const
{
    QJsonArray json;
    for (const config::ControlInfo *info : m_catalog.byPage()) {
        if (const config::Entry *e = cfg.find(info->name))
            json.append(QJsonObject{{QStringLiteral("page"), m_catalog.pageTitle(info->page)},
                                    {QStringLiteral("caption"), info->caption},
                                    {QStringLiteral("meaning"), info->meaning},
                                    {QStringLiteral("name"), info->name},
                                    {QStringLiteral("value"), e->value}});
    }
    return json;
}

int Tool::defaults()
{
    m_command = QStringLiteral("defaults");
    config::ConfigForm form;
    form.applyFactoryConfiguration();
    // As a read of a controller set to factory values shows it, so that writing this
    // file and comparing finds nothing.
    const config::Configuration factory = config::storedForm(form.controls());
    const bool toFile = !m_options.output.isEmpty() && m_options.output != QLatin1String("-");
    if (toFile) {
        QString error;
        if (!config::save(m_options.output, m_catalog.render(factory), &error))
            return usage(Tool::tr("%1 cannot be written: %2").arg(m_options.output, error));
    }
    // With --json stdout carries JSON only: the result, and the controls when no file was named.
    if (m_options.json) {
        QJsonObject result{{QStringLiteral("command"), QStringLiteral("defaults")}};
        if (toFile)
            result.insert(QStringLiteral("file"), m_options.output);
        else
            result.insert(QStringLiteral("controls"), controlsJson(factory));
        emitJson(result);
    } else if (!toFile) {
        m_out << QString::fromUtf8(m_catalog.render(factory));
        m_out.flush();
    } else {
        m_err << tr("Factory configuration written to %1").arg(m_options.output) << '\n';
        m_err.flush();
    }
    return Done;
}
