#include "book/bookprivate.h"

#include <QRegularExpression>
#include <QSqlError>
#include <algorithm>

// Sites and their controllers: made, edited, found as one types.
namespace book {

namespace {

QString escapedLike(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// Levenshtein distance, case folded, for the closest names of an unknown one.
int distance(const QString &a, const QString &b)
{
    const QString x = a.toCaseFolded(), y = b.toCaseFolded();
    QList<int> row(y.size() + 1);
    for (int j = 0; j <= y.size(); ++j)
        row[j] = j;
    for (int i = 1; i <= x.size(); ++i) {
        int diag = row[0];
        row[0] = i;
        for (int j = 1; j <= y.size(); ++j) {
            const int up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diag = up;
        }
    }
    return row[y.size()];
}

} // namespace

// The site's search text, made again from its fields and every revision it owns.
bool Book::Private::refreshSearch(qint64 siteId, QString *error)
{
    const auto s = siteWhere(QStringLiteral("id = ?"), siteId);
    if (!s)
        return true;
    QStringList parts{s->name, s->address, s->contact, s->notes};
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT DISTINCT r.phones, r.fingerprint FROM revisions r JOIN controllers c ON c.id = r.controller_id"
                             " WHERE c.site_id = ?"));
    q.addBindValue(siteId);
    if (!exec(q, error))
        return false;
    QStringList phones, prints;
    while (q.next()) {
        phones << q.value(0).toString();
        prints << q.value(1).toString();
    }
    phones.removeDuplicates();
    prints.removeDuplicates();
    parts << QStringLiteral("\x01") + phones.join(QLatin1Char(' ')) << QStringLiteral("\x02") + prints.join(QLatin1Char(' '));
    QSqlQuery u(db());
    u.prepare(QStringLiteral("UPDATE sites SET search = ? WHERE id = ?"));
    u.addBindValue(parts.join(QLatin1Char('\n')).toLower());
    u.addBindValue(siteId);
    return exec(u, error);
}

std::optional<Controller> Book::Private::controllerById(qint64 id) const
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT id, site_id, label FROM controllers WHERE id = ?"));
    q.addBindValue(id);
    if (q.exec() && q.next())
        return Controller{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString()};
    return std::nullopt;
}

std::optional<Controller> Book::Private::controllerFor(qint64 siteId, const QString &label, bool create, QString *error)
{
    const QString wanted = label.trimmed().isEmpty() ? QString::fromUtf16(kMainController) : label.trimmed();
    for (int attempt = 0; attempt < 2; ++attempt) {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("SELECT id, site_id, label FROM controllers WHERE site_id = ? AND label = ?"));
        q.addBindValue(siteId);
        q.addBindValue(text(wanted));
        if (!exec(q, error))
            return std::nullopt;
        if (q.next())
            return Controller{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString()};
        if (!create)
            return std::nullopt;
        // Another program may make the same one at the same moment: the second
        // insert does nothing and the lookup finds the first one's.
        QSqlQuery i(db());
        i.prepare(QStringLiteral("INSERT INTO controllers (id, site_id, label) VALUES (?, ?, ?) ON CONFLICT (site_id, label) DO NOTHING"));
        i.addBindValue(newId());
        i.addBindValue(siteId);
        i.addBindValue(text(wanted));
        if (!exec(i, error))
            return std::nullopt;
    }
    if (error)
        *error = Words::tr("the book %1: the controller %2 cannot be made").arg(location, wanted);
    return std::nullopt;
}

// Makes a site by name when the book has none; the site either way.
std::optional<Site> Book::Private::ensureSite(const Site &wanted, QString *error)
{
    if (auto s = siteWhere(QStringLiteral("name = ?"), wanted.name))
        return s;
    QSqlQuery q(db());
    q.prepare(QStringLiteral("INSERT INTO sites (id, name, address, contact, notes, archived, search) VALUES (?, ?, ?, ?, ?, ?, ?)"
                             " ON CONFLICT (name) DO NOTHING"));
    q.addBindValue(wanted.id ? wanted.id : newId());
    q.addBindValue(text(wanted.name));
    q.addBindValue(text(wanted.address));
    q.addBindValue(text(wanted.contact));
    q.addBindValue(text(wanted.notes));
    q.addBindValue(wanted.archived ? 1 : 0);
    q.addBindValue(QStringList{wanted.name, wanted.address, wanted.contact, wanted.notes}.join(QLatin1Char('\n')).toLower());
    if (!exec(q, error))
        return std::nullopt;
    auto s = siteWhere(QStringLiteral("name = ?"), wanted.name);
    if (!s && error)
        *error = Words::tr("the book %1: the site %2 cannot be made").arg(location, wanted.name);
    return s;
}

QList<Found> Book::search(const QString &text, int limit, bool withArchived) const
{
    const QString needle = text.trimmed().toLower();
    QSqlQuery q(d->db());
    QString sql = QStringLiteral("SELECT id, name, address, contact, notes, archived, search FROM sites");
    QVariantList values;
    const QString digits = digitsOf(needle);
    static const QRegularExpression phoneLike(QStringLiteral("^[0-9+()\\-\\s]+$"));
    QStringList conditions;
    if (!withArchived)
        conditions << QStringLiteral("archived = 0");
    if (!needle.isEmpty()) {
        QString match = QStringLiteral("search LIKE ? ESCAPE '\\'");
        values << QStringLiteral("%") + escapedLike(needle) + QStringLiteral("%");
        // A number as people write it ("+38 (050) 123") is found by its digits.
        if (!digits.isEmpty() && digits != needle && phoneLike.match(needle).hasMatch()) {
            match += QStringLiteral(" OR search LIKE ? ESCAPE '\\'");
            values << QStringLiteral("%") + escapedLike(digits) + QStringLiteral("%");
        }
        conditions << QLatin1Char('(') + match + QLatin1Char(')');
    }
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY archived, name");
    q.setForwardOnly(true);
    if (limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(limit);
    q.prepare(sql);
    for (const QVariant &v : std::as_const(values))
        q.addBindValue(v);
    QList<Found> out;
    if (!q.exec())
        return out;
    while (q.next()) {
        Found f{d->siteFrom(q), {}};
        if (!needle.isEmpty()) {
            const QString search = q.value(6).toString();
            const auto in = [&](const QString &field) { return field.toLower().contains(needle); };
            if (in(f.site.name))
                f.matched = QStringLiteral("name");
            else if (in(f.site.address))
                f.matched = QStringLiteral("address");
            else if (in(f.site.contact))
                f.matched = QStringLiteral("contact");
            else if (in(f.site.notes))
                f.matched = QStringLiteral("notes");
            else if (search.section(QChar(1), 1).section(QChar(2), 0, 0).contains(digits.isEmpty() ? needle : digits))
                f.matched = QStringLiteral("phone");
            else
                f.matched = QStringLiteral("fingerprint");
        }
        out << f;
    }
    return out;
}

std::optional<Site> Book::site(const QString &name) const
{
    return d->siteWhere(QStringLiteral("name = ?"), name.trimmed());
}

std::optional<Site> Book::site(qint64 id) const
{
    return d->siteWhere(QStringLiteral("id = ?"), id);
}

bool Book::addSite(Site &site, QString *error)
{
    site.name = site.name.trimmed();
    if (site.name.isEmpty()) {
        if (error)
            *error = Words::tr("a site needs a name");
        return false;
    }
    if (site.name.contains(QLatin1Char('/'))) {
        if (error)
            *error = Words::tr("a site's name cannot hold '/' (it separates the controller): %1").arg(site.name);
        return false;
    }
    if (this->site(site.name)) {
        if (error)
            *error = Words::tr("the book already has a site named %1").arg(site.name);
        return false;
    }
    site.id = 0;
    const auto made = d->ensureSite(site, error);
    if (!made)
        return false;
    site.id = made->id;
    return true;
}

bool Book::editSite(const Site &site, QString *error)
{
    const QString name = site.name.trimmed();
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) {
        if (error)
            *error = Words::tr("a site needs a name without '/'");
        return false;
    }
    if (const auto other = this->site(name); other && other->id != site.id) {
        if (error)
            *error = Words::tr("the book already has a site named %1").arg(name);
        return false;
    }
    QSqlQuery q(d->db());
    q.prepare(QStringLiteral("UPDATE sites SET name = ?, address = ?, contact = ?, notes = ?, archived = ? WHERE id = ?"));
    q.addBindValue(name);
    q.addBindValue(text(site.address));
    q.addBindValue(text(site.contact));
    q.addBindValue(text(site.notes));
    q.addBindValue(site.archived ? 1 : 0);
    q.addBindValue(site.id);
    if (!d->exec(q, error))
        return false;
    if (q.numRowsAffected() < 1) {
        if (error)
            *error = Words::tr("the book has no such site");
        return false;
    }
    return d->refreshSearch(site.id, error);
}

QStringList Book::closestNames(const QString &name, int count) const
{
    QSqlQuery q(d->db());
    QList<QPair<int, QString>> ranked;
    if (q.exec(QStringLiteral("SELECT name FROM sites WHERE archived = 0"))) {
        const QString folded = name.toCaseFolded();
        while (q.next()) {
            const QString candidate = q.value(0).toString();
            // A name that holds what was typed is as close as a name can be.
            const int score = candidate.toCaseFolded().contains(folded) ? 0 : distance(name, candidate);
            ranked.append({score, candidate});
        }
    }
    std::sort(ranked.begin(), ranked.end());
    QStringList out;
    for (int i = 0; i < ranked.size() && i < count; ++i)
        out << ranked[i].second;
    return out;
}

QList<Controller> Book::controllers(qint64 siteId) const
{
    QSqlQuery q(d->db());
    q.prepare(QStringLiteral("SELECT id, site_id, label FROM controllers WHERE site_id = ? ORDER BY label"));
    q.addBindValue(siteId);
    QList<Controller> out;
    if (q.exec()) {
        while (q.next())
            out << Controller{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString()};
    }
    return out;
}

std::optional<Controller> Book::controller(qint64 siteId, const QString &label, bool create, QString *error)
{
    return d->controllerFor(siteId, label, create, error);
}

std::optional<Controller> Book::controllerOf(const QString &siteAndLabel, QString *error)
{
    const int slash = siteAndLabel.indexOf(QLatin1Char('/'));
    const QString name = (slash < 0 ? siteAndLabel : siteAndLabel.left(slash)).trimmed();
    const QString label = slash < 0 ? QString() : siteAndLabel.mid(slash + 1);
    const auto s = site(name);
    if (!s) {
        if (error)
            *error = Words::tr("the book has no site named %1").arg(name);
        return std::nullopt;
    }
    return d->controllerFor(s->id, label, true, error);
}

} // namespace book
