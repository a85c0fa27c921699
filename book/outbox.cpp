#include "book/bookprivate.h"

// The outbox: revisions kept in the local file while the shared book cannot be reached,
// sent at the next contact. Nothing is sent twice: revisions are keyed by their UUID.
namespace book {

bool Book::Private::queue(const QString &revisionId, QString *error)
{
    if (!outboxOnly)
        return true;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("INSERT INTO outbox (revision_id, target) VALUES (?, ?) ON CONFLICT (revision_id, target) DO NOTHING"));
    q.addBindValue(revisionId);
    q.addBindValue(location);
    return exec(q, error);
}

int Book::outboxCount() const
{
    QSqlQuery q(d->db());
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM outbox WHERE target = ?"));
    q.addBindValue(d->location);
    if (d->outboxOnly || d->sqlite) {
        if (q.exec() && q.next())
            return q.value(0).toInt();
        return 0;
    }
    // Connected to the server: the count is the local file's.
    QString ignored;
    auto local = Book::open(defaultLocation(), &ignored);
    if (!local)
        return 0;
    QSqlQuery l(local->d->db());
    l.prepare(QStringLiteral("SELECT COUNT(*) FROM outbox WHERE target = ?"));
    l.addBindValue(d->location);
    return l.exec() && l.next() ? l.value(0).toInt() : 0;
}

int Book::sync(QString *error)
{
    if (!isServer(d->location))
        return 0;
    if (d->outboxOnly) {
        // Try the server again; stay with the outbox when it still cannot be reached.
        auto fresh = std::make_unique<Private>();
        fresh->location = d->location;
        fresh->origin = d->origin;
        bool unreachable = false;
        if (!fresh->openServer(d->location, &unreachable, error))
            return -1;
        d->closeConnection();
        d.swap(fresh);
    }
    QString why;
    auto local = Book::open(defaultLocation(), &why);
    if (!local) {
        if (error)
            *error = why;
        return -1;
    }
    QSqlQuery q(local->d->db());
    q.prepare(QStringLiteral("SELECT revision_id FROM outbox WHERE target = ?"));
    q.addBindValue(d->location);
    if (!local->d->exec(q, error))
        return -1;
    QStringList ids;
    while (q.next())
        ids << q.value(0).toString();
    q.finish();
    int sent = 0;
    for (const QString &id : std::as_const(ids)) {
        const QList<Revision> rs = local->d->revisionsWhere(QStringLiteral("r.id = ?"), {id});
        if (!rs.isEmpty()) {
            Revision r = rs.first();
            r.controllerId = 0;
            if (!r.site.isEmpty()) {
                const auto here = local->site(r.site);
                Site wanted = here.value_or(Site{});
                wanted.name = r.site;
                const auto s = d->ensureSite(wanted, error);
                if (!s)
                    return -1;
                const auto c = d->controllerFor(s->id, r.controller, true, error);
                if (!c)
                    return -1;
                r.controllerId = c->id;
            }
            if (!d->begin())
                return -1;
            bool added = false;
            bool ok = d->insert(r, &added, error);
            if (ok && !added && r.controllerId) {
                // Sent before, assigned since: the assignment goes along.
                QSqlQuery u(d->db());
                u.prepare(QStringLiteral("UPDATE revisions SET controller_id = ? WHERE id = ?"));
                u.addBindValue(r.controllerId);
                u.addBindValue(r.id);
                ok = d->exec(u, error);
            }
            if (ok && r.controllerId) {
                if (const auto c = d->controllerById(r.controllerId))
                    ok = d->refreshSearch(c->siteId, error);
            }
            if (!ok || !d->commit()) {
                d->rollback();
                return -1;
            }
            if (added)
                ++sent;
        }
        QSqlQuery del(local->d->db());
        del.prepare(QStringLiteral("DELETE FROM outbox WHERE revision_id = ? AND target = ?"));
        del.addBindValue(id);
        del.addBindValue(d->location);
        if (!local->d->exec(del, error))
            return -1;
    }
    return sent;
}

} // namespace book
