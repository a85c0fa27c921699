#include "book/bookprivate.h"

#include <QSqlError>
#include <QUuid>

// Revisions appended: one as it is, a read that differs, a write with what it replaced;
// and a revision given to a controller.
namespace book {

// Inserts one revision as it is (id, time and all); false on a fault, *added false
// when the book already had it.
bool Book::Private::insert(const Revision &r, bool *added, QString *error)
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("INSERT INTO revisions (id, short_id, controller_id, configuration, fingerprint, time_ms,"
                             " operator, machine, port, device, kind, proved, parent, phones)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO NOTHING"));
    q.addBindValue(r.id);
    q.addBindValue(r.shortId());
    q.addBindValue(r.controllerId ? QVariant(r.controllerId) : QVariant(QMetaType::fromType<qint64>()));
    q.addBindValue(packed(r.configuration));
    q.addBindValue(text(r.fingerprint));
    q.addBindValue(r.time.toMSecsSinceEpoch());
    q.addBindValue(text(r.operatorName));
    q.addBindValue(text(r.machine));
    q.addBindValue(text(r.port));
    q.addBindValue(text(r.device));
    q.addBindValue(kindName(r.kind));
    q.addBindValue(r.proved ? 1 : 0);
    q.addBindValue(text(r.parent));
    q.addBindValue(phonesOf(r.configuration));
    if (!exec(q, error))
        return false;
    if (added)
        *added = q.numRowsAffected() > 0;
    return true;
}

bool Book::record(Revision &revision, QString *error)
{
    if (revision.id.isEmpty())
        revision.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!revision.time.isValid())
        revision.time = QDateTime::currentDateTimeUtc();
    revision.time = revision.time.toUTC();
    if (revision.fingerprint.isEmpty())
        revision.fingerprint = fingerprintOfText(revision.configuration);
    if (revision.fingerprint.isEmpty()) {
        if (error)
            *error = Words::tr("the book %1: not a configuration, nothing recorded").arg(d->location);
        return false;
    }
    if (revision.operatorName.isEmpty())
        revision.operatorName = d->origin.operatorName;
    if (revision.machine.isEmpty())
        revision.machine = d->origin.machine;
    if (!d->begin()) {
        if (error)
            *error = Words::tr("the book %1: %2").arg(d->location, d->db().lastError().text());
        return false;
    }
    if (revision.parent.isEmpty() && revision.controllerId) {
        if (const auto before = latest(revision.controllerId))
            revision.parent = before->id;
    }
    bool added = false;
    if (!d->insert(revision, &added, error)) {
        d->rollback();
        return false;
    }
    if (!d->queue(revision.id, error)) {
        d->rollback();
        return false;
    }
    if (revision.controllerId) {
        if (const auto c = d->controllerById(revision.controllerId)) {
            if (!d->refreshSearch(c->siteId, error)) {
                d->rollback();
                return false;
            }
            revision.controller = c->label;
            if (const auto s = site(c->siteId))
                revision.site = s->name;
        }
    }
    if (!d->commit()) {
        if (error)
            *error = Words::tr("the book %1: %2").arg(d->location, d->db().lastError().text());
        d->rollback();
        return false;
    }
    return true;
}

bool Book::recordRead(Revision &revision, bool *stored, QString *error)
{
    *stored = false;
    if (!revision.controllerId)
        return true;
    if (revision.fingerprint.isEmpty())
        revision.fingerprint = fingerprintOfText(revision.configuration);
    if (const auto last = latest(revision.controllerId); last && last->fingerprint == revision.fingerprint)
        return true;
    if (!record(revision, error))
        return false;
    *stored = true;
    return true;
}

bool Book::recordWrite(const QByteArray &held, Revision &written, QString *error)
{
    const QString heldPrint = fingerprintOfText(held);
    // What the book last knew the controller to hold; for one nobody named, the same
    // configuration among the unassigned, so that it is kept once however often it is
    // written over.
    std::optional<Revision> known;
    if (written.controllerId) {
        known = latest(written.controllerId);
    } else {
        const QList<Revision> same = d->revisionsWhere(QStringLiteral("r.controller_id IS NULL AND r.fingerprint = ?"),
                                                       {heldPrint}, QStringLiteral(" LIMIT 1"));
        if (!same.isEmpty())
            known = same.first();
    }
    QString parent;
    if (known && known->fingerprint == heldPrint) {
        parent = known->id;
    } else if (!heldPrint.isEmpty()) {
        Revision before;
        before.configuration = held;
        before.fingerprint = heldPrint;
        before.time = written.time.isValid() ? written.time.addMSecs(-1) : QDateTime::currentDateTimeUtc().addMSecs(-1);
        before.port = written.port;
        before.device = written.device;
        before.kind = Kind::Read;
        before.proved = true;
        before.controllerId = written.controllerId;
        if (!record(before, error))
            return false;
        parent = before.id;
    }
    if (written.parent.isEmpty())
        written.parent = parent;
    return record(written, error);
}

bool Book::assign(const QString &revisionId, qint64 controllerId, QString *error)
{
    // 0 takes a revision back among the unassigned (a recognition the user undid).
    const auto c = controllerId ? d->controllerById(controllerId) : std::optional<Controller>(Controller{});
    if (!c) {
        if (error)
            *error = Words::tr("the book has no such controller");
        return false;
    }
    const QList<Revision> found = d->revisionsWhere(QStringLiteral("r.id = ?"), {revisionId});
    if (found.isEmpty()) {
        if (error)
            *error = Words::tr("the book has no revision %1").arg(revisionId);
        return false;
    }
    if (!d->begin())
        return false;
    QSqlQuery q(d->db());
    q.prepare(QStringLiteral("UPDATE revisions SET controller_id = ? WHERE id = ?"));
    q.addBindValue(controllerId ? QVariant(controllerId) : QVariant(QMetaType(QMetaType::LongLong)));
    q.addBindValue(revisionId);
    bool ok = d->exec(q, error) && (!controllerId || d->refreshSearch(c->siteId, error));
    if (ok && found.first().controllerId && found.first().controllerId != controllerId) {
        if (const auto old = d->controllerById(found.first().controllerId))
            ok = d->refreshSearch(old->siteId, error);
    }
    if (ok)
        ok = d->queue(revisionId, error);
    if (!ok || !d->commit()) {
        d->rollback();
        return false;
    }
    return true;
}

} // namespace book
