#include "book/bookprivate.h"

#include "config/configform.h"

#include <QRegularExpression>

// A controller's revisions, a revision by reference, whom a configuration belongs to,
// and two revisions compared.
namespace book {

QList<Revision> Book::revisions(qint64 controllerId, int limit) const
{
    return d->revisionsWhere(QStringLiteral("r.controller_id = ?"), {controllerId},
                             limit > 0 ? QStringLiteral(" LIMIT %1").arg(limit) : QString());
}

std::optional<Revision> Book::latest(qint64 controllerId) const
{
    const QList<Revision> one = revisions(controllerId, 1);
    if (one.isEmpty())
        return std::nullopt;
    return one.first();
}

QList<Revision> Book::unassigned() const
{
    return d->revisionsWhere(QStringLiteral("r.controller_id IS NULL"), {});
}

std::optional<Revision> Book::revision(const QString &reference, QString *error) const
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F-]{4,36}$"));
    if (hex.match(reference).hasMatch()) {
        const QString ref = reference.toLower();
        const QList<Revision> found = ref.size() == 36
                                          ? d->revisionsWhere(QStringLiteral("r.id = ?"), {ref})
                                          : d->revisionsWhere(QStringLiteral("r.short_id = ?"), {ref.left(8)});
        QList<Revision> matching;
        for (const Revision &r : found) {
            if (r.id.startsWith(ref))
                matching << r;
        }
        if (matching.size() == 1)
            return matching.first();
        if (matching.size() > 1) {
            if (error)
                *error = Words::tr("%1 names several revisions; give more of the id").arg(reference);
            return std::nullopt;
        }
    }
    const int slash = reference.indexOf(QLatin1Char('/'));
    const QString name = (slash < 0 ? reference : reference.left(slash)).trimmed();
    const auto s = site(name);
    if (!s) {
        if (error)
            *error = Words::tr("the book has no revision or site %1").arg(reference);
        return std::nullopt;
    }
    const QString label = slash < 0 ? QString() : reference.mid(slash + 1).trimmed();
    std::optional<Revision> newest;
    for (const Controller &c : controllers(s->id)) {
        if (!label.isEmpty() && c.label != label)
            continue;
        if (label.isEmpty() && slash < 0 && c.label != QString::fromUtf16(kMainController) && controllers(s->id).size() > 1)
            continue;
        if (auto r = latest(c.id); r && (!newest || r->time > newest->time))
            newest = r;
    }
    if (!newest && error)
        *error = Words::tr("%1 has no revisions").arg(reference);
    return newest;
}

Recognition Book::recognise(const QByteArray &configuration) const
{
    Recognition out;
    const QString print = fingerprintOfText(configuration);
    if (print.isEmpty())
        return out;
    // By fingerprint: the controllers whose latest revision is this one.
    QList<Revision> hits;
    Recognition::How how = Recognition::ByFingerprint;
    for (const qint64 id : d->idsOf(QStringLiteral("SELECT DISTINCT controller_id FROM revisions"
                                                   " WHERE fingerprint = ? AND controller_id IS NOT NULL"),
                                    print)) {
        if (const auto last = latest(id); last && last->fingerprint == print)
            hits << *last;
    }
    // By subscriber numbers: the sites whose latest revision holds every one of them.
    const QString phones = phonesOf(configuration);
    if (hits.isEmpty() && !phones.isEmpty()) {
        how = Recognition::ByNumbers;
        for (const qint64 siteId : d->idsOf(QStringLiteral("SELECT DISTINCT c.site_id FROM revisions r"
                                                           " JOIN controllers c ON c.id = r.controller_id WHERE r.phones = ?"),
                                            phones)) {
            const QList<Revision> newest = d->revisionsWhere(QStringLiteral("c.site_id = ?"), {siteId}, QStringLiteral(" LIMIT 1"));
            if (!newest.isEmpty() && phonesOf(newest.first().configuration) == phones)
                hits << newest.first();
        }
    }
    // Exactly one, or nobody can tell.
    if (hits.size() != 1)
        return out;
    if (const auto c = d->controllerById(hits.first().controllerId)) {
        out.how = how;
        out.controller = *c;
        out.site = site(c->siteId).value_or(Site{});
        out.revision = hits.first().id;
    }
    return out;
}

QList<config::Difference> Book::diff(const Revision &a, const Revision &b) const
{
    const auto ca = configurationOf(a.configuration, nullptr);
    const auto cb = configurationOf(b.configuration, nullptr);
    if (!ca || !cb)
        return {};
    return config::windowCatalog().compare(*ca, *cb);
}

} // namespace book
