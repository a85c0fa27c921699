#include "book/bookprivate.h"

#include <QSet>
#include <QSqlError>
#include <QUuid>

// Revisions appended: one as it is, a read that differs, a write with what it replaced;
// and a revision given to a controller.
namespace book {

// Inserts one revision as it is (id, time and all); false on a fault, *added false
// when the book already had it.
bool Book::Private::insert(const Revision &r, bool *added, QString *error)
{
    if (!insertQuery) {
        insertQuery = std::make_unique<QSqlQuery>(db());
        if (!insertQuery->prepare(QStringLiteral("INSERT INTO revisions (id, short_id, controller_id, configuration, fingerprint, time_ms,"
                                                 " operator, machine, port, device, kind, proved, parent, phones)"
                                                 " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO NOTHING"))) {
            if (error)
                *error = Words::tr("the book %1: %2").arg(location, insertQuery->lastError().text());
            insertQuery.reset();
            return false;
        }
    }
    auto form = storedForms.constFind(r.configuration);
    if (form == storedForms.constEnd()) {
        if (storedForms.size() >= 64)
            storedForms.clear();
        form = storedForms.insert(r.configuration, {packed(r.configuration), phonesOf(r.configuration)});
    }
    QSqlQuery &q = *insertQuery;
    q.addBindValue(r.id);
    q.addBindValue(r.shortId());
    q.addBindValue(r.controllerId ? QVariant(r.controllerId) : QVariant(QMetaType::fromType<qint64>()));
    q.addBindValue(form->first);
    q.addBindValue(text(r.fingerprint));
    q.addBindValue(r.time.toMSecsSinceEpoch());
    q.addBindValue(text(r.operatorName));
    q.addBindValue(text(r.machine));
    q.addBindValue(text(r.port));
    q.addBindValue(text(r.device));
    q.addBindValue(kindName(r.kind));
    q.addBindValue(r.proved ? 1 : 0);
    q.addBindValue(text(r.parent));
    q.addBindValue(form->second);
    const bool ok = exec(q, error);
    if (ok && added)
        *added = q.numRowsAffected() > 0;
    q.finish();
    return ok;
}

bool Book::record(Revision &revision, QString *error)
{
    QList<Revision> one{revision};
    if (!recordAll(one, error))
        return false;
    revision = one.first();
    return true;
}

bool Book::recordAll(QList<Revision> &revisions, QString *error)
{
    for (Revision &r : revisions) {
        if (r.id.isEmpty())
            r.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        if (!r.time.isValid())
            r.time = QDateTime::currentDateTimeUtc();
        r.time = r.time.toUTC();
        if (r.fingerprint.isEmpty())
            r.fingerprint = fingerprintOfText(r.configuration);
        if (r.fingerprint.isEmpty()) {
            if (error)
                *error = Words::tr("the book %1: not a configuration, nothing recorded").arg(d->location);
            return false;
        }
        if (r.operatorName.isEmpty())
            r.operatorName = d->origin.operatorName;
        if (r.machine.isEmpty())
            r.machine = d->origin.machine;
    }
    if (!d->begin()) {
        if (error)
            *error = Words::tr("the book %1: %2").arg(d->location, d->db().lastError().text());
        return false;
    }
    const auto fail = [this] {
        d->rollback();
        return false;
    };
    struct Owner
    {
        QString last; // the newest revision of the controller, this batch's included
        qint64 siteId = 0;
        QString site;
        QString label;
    };
    QHash<qint64, Owner> owners;
    for (Revision &r : revisions) {
        if (r.controllerId) {
            auto owner = owners.find(r.controllerId);
            if (owner == owners.end()) {
                Owner o;
                o.last = d->latestId(r.controllerId);
                if (const auto c = d->controllerById(r.controllerId)) {
                    o.siteId = c->siteId;
                    o.label = c->label;
                    o.site = site(c->siteId).value_or(Site{}).name;
                }
                owner = owners.insert(r.controllerId, o);
            }
            if (r.parent.isEmpty())
                r.parent = owner->last;
            owner->last = r.id;
            r.site = owner->site;
            r.controller = owner->label;
        }
        bool added = false;
        if (!d->insert(r, &added, error) || !d->queue(r.id, error))
            return fail();
    }
    // Each site's search text once, however many of its revisions came.
    QSet<qint64> sites;
    for (const Owner &o : std::as_const(owners)) {
        if (o.siteId && !sites.contains(o.siteId)) {
            sites.insert(o.siteId);
            if (!d->refreshSearch(o.siteId, error))
                return fail();
        }
    }
    if (!d->commit()) {
        if (error)
            *error = Words::tr("the book %1: %2").arg(d->location, d->db().lastError().text());
        return fail();
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
