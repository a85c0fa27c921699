// tavrix-cli's configuration sheet, the audit of a controller against a file or a
// sheet, and the snapshot taken before a write.
#include "cli/tool.h"
#include "book/book.h"

#include "net/portnames.h"

#include "cli/devicejob.h"
#include "cli/portrun.h"
#include "config/backups.h"
#include "config/configform.h"
#include "config/writeplan.h"
#include "link/exchangejournal.h"
#include "protocol/settingsreply.h"
#include "records/records.h"
#include "report/render.h"
#include "report/sheet.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

bool Tool::snapshot(PortRun &run, const QByteArray &backupText)
{
    const backups::Saved saved = portnames::isAddress(run.com) ? backups::save(backupText, run.name)
                                                                : backups::save(backupText, run.com);
    if (!saved.ok) {
        finish(run, UsageError, Tool::tr("the snapshot of what the controller holds cannot be saved in %1: %2; nothing written")
                                    .arg(saved.folder, saved.reason));
        return false;
    }
    run.snapshot = saved.path;
    m_err << run.name << ": " << tr("snapshot of what the controller held: %1").arg(saved.path) << '\n';
    m_err.flush();
    if (m_traceFile) {
        m_traceFile->write(QStringLiteral("# %1 snapshot before the write: %2\n").arg(run.name, saved.path).toUtf8());
        m_traceFile->flush();
    }
    return true;
}

bool Tool::readRecord(int com, QByteArray *record)
{
    startJobs({com}, [this, record](PortRun &run) {
        PortRun *r = &run;
        // A reply cut short or shifted is asked for again: audited or printed, it would
        // stand for settings the controller does not hold.
        r->job->checkSettings = settingsreply::replyFault;
        r->job->onSettings = [this, r, record](const QByteArray &text, int pos) {
            *record = settingsreply::recordOf(text, pos);
            finish(*r, Done, tr("read"));
        };
        r->job->readSettings();
    });
    return runJobs() == Done;
}

int Tool::report(const QString &source)
{
    m_command = QStringLiteral("report");
    const QString path = m_options.output;
    if (path.isEmpty() || !report::isSheetName(path))
        return usage(Tool::tr("report needs -o SHEET.pdf or -o SHEET.html"));

    config::ConfigForm form;
    report::Origin origin;
    origin.version = report::configuratorVersion();
    origin.mask = m_options.mask;
    origin.handover.site = m_options.site;
    origin.handover.customer = m_options.customer;
    origin.handover.installer = m_options.installer;
    if (const int com = portnames::number(source)) {
        QByteArray record;
        if (!readRecord(com, &record)) {
            emitPorts();
            return worstStatus();
        }
        records::applySettingsRecord(form.controls(), record);
        // The COM number is what the customer's papers know; a device path says nothing there.
        origin.source = report::readFromController(portnames::name(com), QDateTime::currentDateTime());
    } else {
        config::Configuration cfg;
        if (const auto error = config::load(source, m_catalog, &cfg))
            return fileError(*error);
        m_catalog.apply(form.controls(), cfg);
        origin.source = report::readFromFile(source);
    }

    const report::Sheet sheet = report::build(m_catalog, form.controls(), origin);
    QString error;
    if (!report::write(sheet, path, report::drawPdfByHelper, &error))
        return usage(Tool::tr("%1 cannot be written: %2").arg(path, error));
    if (m_options.json)
        emitJson({{QStringLiteral("command"), m_command}, {QStringLiteral("source"), source},
                  {QStringLiteral("file"), path}, {QStringLiteral("fingerprint"), sheet.fingerprint},
                  {QStringLiteral("ports"), portsJson()}});
    else
        m_err << tr("Sheet %1 written, fingerprint %2.").arg(path, sheet.fingerprint) << '\n';
    m_err.flush();
    return Done;
}

int Tool::audit(int com, const QString &evidence)
{
    m_command = QStringLiteral("audit");
    QByteArray bytes;
    if (const auto error = config::readFile(evidence, &bytes))
        return fileError(*error);
    std::optional<QString> sheetPrint;
    config::Configuration wanted;
    if (report::looksLikeSheet(bytes)) {
        sheetPrint = report::fingerprintOf(bytes);
        if (!sheetPrint)
            return fileError({evidence, 0, Tool::tr("a PDF or HTML file without a configuration sheet's fingerprint")});
    } else if (const auto error = config::load(evidence, m_catalog, &wanted)) {
        return fileError(*error);
    }

    if (const int status = openBook({com}); status != Done)
        return status;
    QByteArray held;
    if (!readRecord(com, &held)) {
        emitPorts();
        return worstStatus();
    }
    // What the controller holds as a read shows it. A sheet carries its fingerprint alone;
    // a file is planned onto what the controller holds as write plans it, and the
    // controller holds the file exactly when that changes no byte.
    const config::WritePlan asHeld = config::planWrite(held, {});
    if (!m_runs.empty())
        recordRead(*m_runs.back(), m_catalog.render(asHeld.stored), book::Kind::Audit);
    const QString heldPrint = report::fingerprint(asHeld.record);
    const config::WritePlan written = sheetPrint ? asHeld : config::planWrite(held, wanted);
    const QString evidencePrint = sheetPrint ? *sheetPrint : report::fingerprint(written.record);
    const bool matches = sheetPrint ? heldPrint == evidencePrint : written.record == asHeld.record;
    const QList<config::Difference> diffs = m_catalog.compare(asHeld.stored, written.stored);

    const QString port = portnames::name(com);
    if (m_options.json) {
        QJsonObject result{{QStringLiteral("command"), m_command}, {QStringLiteral("port"), port},
                           {QStringLiteral("evidence"), evidence}, {QStringLiteral("matches"), matches},
                           {QStringLiteral("fingerprint"), heldPrint},
                           {QStringLiteral("evidenceFingerprint"), evidencePrint},
                           {QStringLiteral("ports"), portsJson()}};
        if (!sheetPrint)
            result.insert(QStringLiteral("differences"), differencesJson(diffs));
        emitJson(result);
    } else if (matches) {
        m_out << tr("%1 matches %2 (fingerprint %3)").arg(port, evidence, heldPrint) << '\n';
    } else if (sheetPrint || diffs.isEmpty()) {
        m_out << (sheetPrint ? tr("%1 does not match %2: the controller's fingerprint is %3, the sheet's %4")
                             : tr("%1 does not match %2: the controller's fingerprint is %3, the file's %4"))
                     .arg(port, evidence, heldPrint, evidencePrint)
              << '\n';
    } else {
        m_out << tr("%1 does not match %2:").arg(port, evidence) << '\n';
        printDifferences(diffs, port, QFileInfo(evidence).fileName());
    }
    m_out.flush();
    return matches ? Done : Differences;
}
