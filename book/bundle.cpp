#include "book/bookprivate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QSqlError>

// Bundles: sites with their controllers and revisions as one JSON file, merged by union
// into another book, every revision checked against its fingerprint first.
namespace book {

namespace {

constexpr char kBundleFormat[] = "tavrix-site-book-bundle";
constexpr int kBundleVersion = 1;

QJsonObject revisionJson(const Revision &r)
{
    return {{QStringLiteral("id"), r.id},
            {QStringLiteral("time"), r.time.toString(Qt::ISODateWithMs)},
            {QStringLiteral("operator"), r.operatorName},
            {QStringLiteral("machine"), r.machine},
            {QStringLiteral("port"), r.port},
            {QStringLiteral("device"), r.device},
            {QStringLiteral("kind"), kindName(r.kind)},
            {QStringLiteral("proved"), r.proved},
            {QStringLiteral("fingerprint"), r.fingerprint},
            {QStringLiteral("parent"), r.parent.isEmpty() ? QJsonValue() : QJsonValue(r.parent)},
            {QStringLiteral("configuration"), QString::fromUtf8(r.configuration)}};
}

} // namespace

bool Book::exportBundle(const QStringList &siteNames, const QString &path, QString *error) const
{
    QJsonArray sitesJson;
    QList<Site> chosen;
    if (siteNames.isEmpty()) {
        // Archived sites travel too: archiving keeps a site's history, it does not drop it.
        for (const Found &f : search(QString(), -1, true))
            chosen << f.site;
    } else {
        for (const QString &name : siteNames) {
            const auto s = site(name);
            if (!s) {
                if (error)
                    *error = Words::tr("the book has no site named %1").arg(name);
                return false;
            }
            chosen << *s;
        }
    }
    for (const Site &s : std::as_const(chosen)) {
        QJsonArray controllersJson;
        for (const Controller &c : controllers(s.id)) {
            QJsonArray revs;
            for (const Revision &r : revisions(c.id))
                revs.append(revisionJson(r));
            controllersJson.append(QJsonObject{{QStringLiteral("label"), c.label}, {QStringLiteral("revisions"), revs}});
        }
        sitesJson.append(QJsonObject{{QStringLiteral("name"), s.name},
                                     {QStringLiteral("address"), s.address},
                                     {QStringLiteral("contact"), s.contact},
                                     {QStringLiteral("notes"), s.notes},
                                     {QStringLiteral("archived"), s.archived},
                                     {QStringLiteral("controllers"), controllersJson}});
    }
    QJsonArray loose;
    if (siteNames.isEmpty()) {
        for (const Revision &r : unassigned())
            loose.append(revisionJson(r));
    }
    const QJsonObject root{{QStringLiteral("format"), QLatin1String(kBundleFormat)},
                           {QStringLiteral("version"), kBundleVersion},
                           {QStringLiteral("sites"), sitesJson},
                           {QStringLiteral("unassigned"), loose}};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        if (error)
            *error = Words::tr("%1 cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

std::optional<ImportResult> Book::importBundle(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = Words::tr("%1 cannot be read: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    const QJsonObject root = doc.object();
    if (doc.isNull() || root.value(QStringLiteral("format")).toString() != QLatin1String(kBundleFormat)) {
        if (error)
            *error = Words::tr("%1 is not a site book bundle").arg(path);
        return std::nullopt;
    }
    if (root.value(QStringLiteral("version")).toInt() > kBundleVersion) {
        if (error)
            *error = Words::tr("%1 is a bundle of a newer version (%2)").arg(path).arg(root.value(QStringLiteral("version")).toInt());
        return std::nullopt;
    }

    struct Incoming
    {
        Revision revision;
        QString siteName;
        QString label;
    };
    QList<Incoming> incoming;
    QList<Site> sites;
    static const QRegularExpression uuid(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    const auto readRevision = [&](const QJsonObject &o, const QString &siteName, const QString &label) -> bool {
        Revision r;
        r.id = o.value(QStringLiteral("id")).toString();
        r.configuration = o.value(QStringLiteral("configuration")).toString().toUtf8();
        r.fingerprint = o.value(QStringLiteral("fingerprint")).toString();
        r.time = QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs).toUTC();
        r.operatorName = o.value(QStringLiteral("operator")).toString();
        r.machine = o.value(QStringLiteral("machine")).toString();
        r.port = o.value(QStringLiteral("port")).toString();
        r.device = o.value(QStringLiteral("device")).toString();
        const auto kind = kindFromName(o.value(QStringLiteral("kind")).toString());
        r.proved = o.value(QStringLiteral("proved")).toBool();
        r.parent = o.value(QStringLiteral("parent")).toString();
        const QString name = r.id.isEmpty() ? QStringLiteral("?") : r.id.left(8);
        if (!uuid.match(r.id).hasMatch() || !kind || !r.time.isValid()) {
            if (error)
                *error = Words::tr("%1: the revision %2 is malformed; nothing imported").arg(path, name);
            return false;
        }
        r.kind = *kind;
        // The one check that makes a bundle worth trusting: the configuration is the one
        // its fingerprint names.
        if (fingerprintOfText(r.configuration) != r.fingerprint || r.fingerprint.isEmpty()) {
            if (error)
                *error = Words::tr("%1: the revision %2 does not match its fingerprint %3 (changed after export); nothing imported")
                             .arg(path, name, r.fingerprint);
            return false;
        }
        incoming.append({r, siteName, label});
        return true;
    };
    for (const QJsonValue &sv : root.value(QStringLiteral("sites")).toArray()) {
        const QJsonObject so = sv.toObject();
        Site s;
        s.name = so.value(QStringLiteral("name")).toString().trimmed();
        s.address = so.value(QStringLiteral("address")).toString();
        s.contact = so.value(QStringLiteral("contact")).toString();
        s.notes = so.value(QStringLiteral("notes")).toString();
        s.archived = so.value(QStringLiteral("archived")).toBool();
        if (s.name.isEmpty() || s.name.contains(QLatin1Char('/'))) {
            if (error)
                *error = Words::tr("%1: a site without a valid name; nothing imported").arg(path);
            return std::nullopt;
        }
        sites << s;
        for (const QJsonValue &cv : so.value(QStringLiteral("controllers")).toArray()) {
            const QJsonObject co = cv.toObject();
            for (const QJsonValue &rv : co.value(QStringLiteral("revisions")).toArray()) {
                if (!readRevision(rv.toObject(), s.name, co.value(QStringLiteral("label")).toString()))
                    return std::nullopt;
            }
        }
    }
    for (const QJsonValue &rv : root.value(QStringLiteral("unassigned")).toArray()) {
        if (!readRevision(rv.toObject(), QString(), QString()))
            return std::nullopt;
    }

    ImportResult result;
    if (!d->begin()) {
        if (error)
            *error = Words::tr("the book %1: %2").arg(d->location, d->db().lastError().text());
        return std::nullopt;
    }
    QSet<qint64> touched;
    bool ok = true;
    for (const Site &s : std::as_const(sites)) {
        const bool had = site(s.name).has_value();
        const auto made = d->ensureSite(s, error);
        if (!made) {
            ok = false;
            break;
        }
        if (!had)
            ++result.sites;
    }
    for (Incoming &in : incoming) {
        if (!ok)
            break;
        if (!in.siteName.isEmpty()) {
            const auto s = site(in.siteName);
            const auto c = s ? d->controllerFor(s->id, in.label, true, error) : std::nullopt;
            if (!c) {
                ok = false;
                break;
            }
            in.revision.controllerId = c->id;
            touched.insert(s->id);
        }
        bool added = false;
        if (!d->insert(in.revision, &added, error)) {
            ok = false;
            break;
        }
        if (added) {
            ++result.added;
        } else {
            ++result.known;
            // Unassigned here but given a site there: the union keeps the site.
            if (in.revision.controllerId) {
                QSqlQuery u(d->db());
                u.prepare(QStringLiteral("UPDATE revisions SET controller_id = ? WHERE id = ? AND controller_id IS NULL"));
                u.addBindValue(in.revision.controllerId);
                u.addBindValue(in.revision.id);
                ok = d->exec(u, error);
            }
        }
        if (ok && added)
            ok = d->queue(in.revision.id, error);
    }
    for (const qint64 id : std::as_const(touched)) {
        if (ok)
            ok = d->refreshSearch(id, error);
    }
    if (!ok || !d->commit()) {
        d->rollback();
        return std::nullopt;
    }
    return result;
}

} // namespace book
