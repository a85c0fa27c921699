#include "book/bookprivate.h"

#include "config/configform.h"
#include "config/fingerprint.h"
#include "records/controlnames.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlError>
#include <QStandardPaths>

// What every part of the book uses: kinds and locations, a configuration's fingerprint,
// stored values, and reading rows.
namespace book {

namespace {

const char kRevisionColumns[] =
    "r.id, r.configuration, r.fingerprint, r.time_ms, r.operator, r.machine, r.port, r.device, r.kind,"
    " r.proved, r.parent, r.controller_id, s.name, c.label";
const char kRevisionFrom[] =
    " FROM revisions r LEFT JOIN controllers c ON c.id = r.controller_id LEFT JOIN sites s ON s.id = c.site_id";

} // namespace

bool isServer(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://")) || location.startsWith(QLatin1String("postgres://"));
}

// A configuration is some 30 KB of text, mostly the same comments: it is kept
// compressed, as text so that one column type serves both engines. zlib's default
// level: the highest one costs several times the time for a few per cent.
QString packed(const QByteArray &configuration)
{
    return QStringLiteral("z:") + QString::fromLatin1(qCompress(configuration).toBase64());
}

QByteArray unpacked(const QString &stored)
{
    if (stored.startsWith(QLatin1String("z:")))
        return qUncompress(QByteArray::fromBase64(stored.mid(2).toLatin1()));
    return stored.toUtf8();
}

QVariant text(const QString &s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

qint64 newId()
{
    // Fits a double as well as a BIGINT, so that a bundle's JSON carries it exactly.
    return qint64(QRandomGenerator::global()->bounded(quint64(1), quint64(1) << 52));
}

QString digitsOf(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.isDigit())
            out += c;
    }
    return out;
}

QString phonesOf(const QByteArray &text)
{
    config::Configuration cfg;
    if (config::parse(text, QString(), &cfg))
        return {};
    QStringList phones;
    for (int i = 1; i <= 9; ++i) {
        const QString digits = digitsOf(cfg.value(names::phoneEdit(i)));
        if (!digits.isEmpty())
            phones << digits;
    }
    phones.sort();
    phones.removeDuplicates();
    return phones.join(QLatin1Char(' '));
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Read: return QStringLiteral("read");
    case Kind::Write: return QStringLiteral("write");
    case Kind::Audit: return QStringLiteral("audit");
    case Kind::Undo: return QStringLiteral("undo");
    case Kind::Line: return QStringLiteral("line");
    case Kind::Import: return QStringLiteral("import");
    }
    return {};
}

std::optional<Kind> kindFromName(const QString &name)
{
    for (Kind k : {Kind::Read, Kind::Write, Kind::Audit, Kind::Undo, Kind::Line, Kind::Import}) {
        if (kindName(k) == name)
            return k;
    }
    return std::nullopt;
}

QString Revision::shortId() const
{
    return id.left(8);
}

QString defaultLocation()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#ifdef Q_OS_WIN
    return QDir(dir).filePath(QStringLiteral("Tavrix/book.sqlite"));
#else
    return QDir(dir).filePath(QStringLiteral("tavrix/book.sqlite"));
#endif
}

QString locationFrom(const QString &given)
{
    if (!given.isEmpty())
        return given;
    const QString env = qEnvironmentVariable("TAVRIX_BOOK");
    return env.isEmpty() ? defaultLocation() : env;
}

std::optional<config::Configuration> configurationOf(const QByteArray &text, QString *error)
{
    config::Configuration cfg;
    const config::Catalog &catalog = config::windowCatalog();
    if (auto fault = config::parse(text, QString(), &cfg)) {
        if (error)
            *error = fault->message();
        return std::nullopt;
    }
    if (auto fault = catalog.check(cfg, QString())) {
        if (error)
            *error = fault->message();
        return std::nullopt;
    }
    return cfg;
}

QString fingerprintOfText(const QByteArray &configuration)
{
    const auto cfg = configurationOf(configuration, nullptr);
    if (!cfg)
        return {};
    const config::Catalog &catalog = config::windowCatalog();
    config::ConfigForm form;
    catalog.apply(form.controls(), *cfg);
    return config::fingerprint(config::recordOf(catalog, form.controls()));
}

Book::Private::~Private()
{
    closeConnection();
}

bool Book::Private::exec(QSqlQuery &q, QString *error) const
{
    if (q.exec())
        return true;
    if (error)
        *error = Words::tr("the book %1: %2").arg(location, q.lastError().text());
    return false;
}

bool Book::Private::begin()
{
    // SQLite: take the write lock at once, so that two writers wait for each other
    // (the busy timeout) rather than one failing on upgrading a read lock.
    QSqlQuery q(db());
    return q.exec(sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
}

bool Book::Private::commit()
{
    QSqlQuery q(db());
    return q.exec(QStringLiteral("COMMIT"));
}

void Book::Private::rollback()
{
    QSqlQuery q(db());
    q.exec(QStringLiteral("ROLLBACK"));
}

void Book::Private::closeConnection()
{
    insertQuery.reset();
    if (connection.isEmpty())
        return;
    {
        QSqlDatabase d = db();
        d.close();
    }
    QSqlDatabase::removeDatabase(connection);
    connection.clear();
}

Revision Book::Private::revisionFrom(const QSqlQuery &q) const
{
    Revision r;
    r.id = q.value(0).toString();
    r.configuration = unpacked(q.value(1).toString());
    r.fingerprint = q.value(2).toString();
    r.time = QDateTime::fromMSecsSinceEpoch(q.value(3).toLongLong(), Qt::UTC);
    r.operatorName = q.value(4).toString();
    r.machine = q.value(5).toString();
    r.port = q.value(6).toString();
    r.device = q.value(7).toString();
    r.kind = kindFromName(q.value(8).toString()).value_or(Kind::Read);
    r.proved = q.value(9).toInt() != 0;
    r.parent = q.value(10).toString();
    r.controllerId = q.value(11).isNull() ? 0 : q.value(11).toLongLong();
    r.site = q.value(12).toString();
    r.controller = q.value(13).toString();
    return r;
}

QList<Revision> Book::Private::revisionsWhere(const QString &where, const QVariantList &values, const QString &tail) const
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT %1%2 WHERE %3 ORDER BY r.time_ms DESC, r.id DESC%4")
                  .arg(QLatin1String(kRevisionColumns), QLatin1String(kRevisionFrom), where, tail));
    for (const QVariant &v : values)
        q.addBindValue(v);
    QList<Revision> out;
    if (!q.exec())
        return out;
    while (q.next())
        out << revisionFrom(q);
    return out;
}

Site Book::Private::siteFrom(const QSqlQuery &q) const
{
    Site s;
    s.id = q.value(0).toLongLong();
    s.name = q.value(1).toString();
    s.address = q.value(2).toString();
    s.contact = q.value(3).toString();
    s.notes = q.value(4).toString();
    s.archived = q.value(5).toInt() != 0;
    return s;
}

std::optional<Site> Book::Private::siteWhere(const QString &where, const QVariant &value) const
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT id, name, address, contact, notes, archived FROM sites WHERE ") + where);
    q.addBindValue(value);
    if (q.exec() && q.next())
        return siteFrom(q);
    return std::nullopt;
}

QString Book::Private::latestId(qint64 controllerId) const
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT id FROM revisions WHERE controller_id = ? ORDER BY time_ms DESC, id DESC LIMIT 1"));
    q.addBindValue(controllerId);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

QList<qint64> Book::Private::idsOf(const QString &sql, const QVariant &value) const
{
    QSqlQuery q(db());
    q.prepare(sql);
    q.addBindValue(value);
    QList<qint64> out;
    if (q.exec()) {
        while (q.next())
            out << q.value(0).toLongLong();
    }
    return out;
}

Book::Book(std::unique_ptr<Private> p) : d(std::move(p)) {}
Book::~Book() = default;

QString Book::location() const
{
    return d->location;
}

bool Book::outboxOnly() const
{
    return d->outboxOnly;
}

} // namespace book
