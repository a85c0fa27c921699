#include "config/writeplan.h"

#include "config/configform.h"
#include "config/fingerprint.h"
#include "records/memorycontrols.h"
#include "records/records.h"
#include "records/startvalues.h"
#include "protocol/settingsreply.h"

#include <algorithm>

namespace config {

QByteArray WritePlan::backupText() const
{
    return windowCatalog().render(held);
}

QStringList WritePlan::changedControls() const
{
    QStringList out;
    for (const Difference &d : windowCatalog().compare(held, stored))
        out << d.control->name;
    return out;
}

QStringList WritePlan::notes() const
{
    QStringList out;
    for (const Change &c : ruleChanges)
        out << windowCatalog().changeLine(c);
    for (const Change &c : formChanges) {
        const bool told = std::any_of(ruleChanges.begin(), ruleChanges.end(),
                                      [&](const Change &t) { return t.control == c.control; });
        if (!told)
            out << windowCatalog().changeLine(c);
    }
    return out;
}

Configuration shownBy(const QByteArray &record)
{
    ConfigForm form;
    records::applySettingsRecord(form.controls(), record);
    return windowCatalog().capture(form.controls());
}

WritePlan planWrite(const QByteArray &held, const Configuration &wanted, Rules rules)
{
    const Catalog &catalog = windowCatalog();
    WritePlan plan;
    ConfigForm form;
    records::applySettingsRecord(form.controls(), held);
    plan.held = catalog.capture(form.controls());
    Controls *pages = &form.controls();
    // Values the pages' rules have had their say on go on as they stand: run again, in
    // read order, a rule could undo an edit made after the one that set it off.
    MemoryControls shown;
    if (rules == Rules::Run) {
        plan.ruleChanges = catalog.applyNoting(form.controls(), wanted);
    } else {
        shown = records::startControls();
        catalog.copy(form.controls(), shown);
        catalog.apply(shown, wanted);
        pages = &shown;
    }
    const Configuration before = catalog.capture(*pages);
    plan.record = records::buildSettings(*pages);
    for (const Change &c : catalog.changes(before, catalog.capture(*pages)))
        plan.writtenBack.set(c.control->name, c.now);

    // What a read of this very record will show, against what was named: the record's
    // own forms ("+380" for an empty number, the default word for an empty SMS word).
    plan.stored = shownBy(plan.record);
    for (const Change &c : catalog.changes(wanted, plan.stored)) {
        const bool told = std::any_of(plan.ruleChanges.begin(), plan.ruleChanges.end(), [&](const Change &t) {
            return t.control == c.control && t.now == c.now;
        });
        if (!told)
            plan.formChanges << c;
    }
    // Whatever was wanted and held, a record that a read would take for a malformed
    // reply is never stored: the controller could not be read again.
    plan.fault = settingsreply::fault(plan.record);
    return plan;
}

Configuration storedForm(const Controls &c)
{
    return shownBy(recordOf(windowCatalog(), c));
}

QList<ByteDifference> verifyWrite(const QByteArray &sent, const QByteArray &readBack)
{
    const Catalog &catalog = windowCatalog();
    const int end = int(qMax(sent.size(), readBack.size()));
    const auto differs = [&](int at) {
        return at >= sent.size() || at >= readBack.size() || sent.at(at) != readBack.at(at);
    };
    QList<ByteDifference> out;
    for (int at = 0; at < end;) {
        if (!differs(at)) {
            ++at;
            continue;
        }
        ByteDifference d;
        d.place = records::placeAt(sent, at);
        d.offset = at;
        // Past the record sent, the rest is one run; inside it, a run ends with its field.
        const int fieldEnd = at >= sent.size() ? end : d.place.offset + d.place.width;
        int last = at;
        bool padding = d.place.padding;
        while (last + 1 < fieldEnd && differs(last + 1)) {
            ++last;
            padding = padding && records::placeAt(sent, last).padding;
        }
        d.place.padding = padding;
        d.written = sent.mid(at, last + 1 - at);
        d.readBack = readBack.mid(at, last + 1 - at);
        const ControlInfo *info = d.place.controls.isEmpty() ? nullptr : catalog.find(d.place.controls.first());
        // Where a person looks for it: without a control of its own, the meaning says
        // what the bytes are; one with no page before it (bytes past the record sent) is
        // a caption alone.
        const QString &meaning = d.place.meaning;
        const qsizetype colon = meaning.indexOf(QLatin1String(": "));
        d.page = info ? catalog.pageTitle(info->page) : colon >= 0 ? meaning.left(colon) : QString();
        d.caption = info ? info->caption : colon >= 0 ? meaning.mid(colon + 2).trimmed() : meaning;
        out << d;
        at = last + 1;
    }
    return out;
}

int differingBytes(const QList<ByteDifference> &diffs)
{
    int bytes = 0;
    for (const ByteDifference &d : diffs)
        bytes += d.length();
    return bytes;
}

} // namespace config
