#include "book/book.h"

#include "config/configform.h"
#include "config/fingerprint.h"
#include "records/controlnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTimeZone>
#include <QUrl>
#include <QUuid>
#include <QVariant>
#include <algorithm>
#include <functional>

namespace book {

namespace {

struct Words
{
    Q_DECLARE_TR_FUNCTIONS(book)
};

// The schema this build writes; an older book is brought up to it when opened, a newer
// one is refused.
constexpr int kSchemaVersion = 1;
constexpr char kBundleFormat[] = "tavrix-site-book-bundle";
constexpr int kBundleVersion = 1;

// The same statements run on SQLite and PostgreSQL; ids are made here, not by either
// engine, so that sites and controllers keep theirs when they travel in a bundle or
// through the outbox.
const char *const kSchema[] = {
    "CREATE TABLE book_version (version INTEGER NOT NULL)",
    "CREATE TABLE sites (id BIGINT PRIMARY KEY, name TEXT NOT NULL UNIQUE, address TEXT NOT NULL,"
    " contact TEXT NOT NULL, notes TEXT NOT NULL, archived INTEGER NOT NULL, search TEXT NOT NULL)",
    "CREATE TABLE controllers (id BIGINT PRIMARY KEY, site_id BIGINT NOT NULL REFERENCES sites(id),"
    " label TEXT NOT NULL, UNIQUE (site_id, label))",
    "CREATE TABLE revisions (id VARCHAR(36) PRIMARY KEY, short_id VARCHAR(8) NOT NULL,"
    " controller_id BIGINT REFERENCES controllers(id), configuration TEXT NOT NULL,"
    " fingerprint VARCHAR(12) NOT NULL, time_ms BIGINT NOT NULL, operator TEXT NOT NULL,"
    " machine TEXT NOT NULL, port TEXT NOT NULL, device TEXT NOT NULL, kind VARCHAR(8) NOT NULL,"
    " proved INTEGER NOT NULL, parent VARCHAR(36) NOT NULL, phones TEXT NOT NULL)",
    // The search lists sites in this order and stops at its limit without sorting them all.
    "CREATE INDEX sites_order ON sites (archived, name)",
    "CREATE INDEX revisions_controller ON revisions (controller_id, time_ms)",
    "CREATE INDEX revisions_short ON revisions (short_id)",
    "CREATE INDEX revisions_fingerprint ON revisions (fingerprint)",
    "CREATE INDEX revisions_phones ON revisions (phones)",
    // Revisions recorded here while the shared book named by target could not be reached.
    "CREATE TABLE outbox (revision_id VARCHAR(36) NOT NULL, target TEXT NOT NULL,"
    " PRIMARY KEY (revision_id, target))",
    "INSERT INTO book_version (version) VALUES (1)",
};

const char kRevisionColumns[] =
    "r.id, r.configuration, r.fingerprint, r.time_ms, r.operator, r.machine, r.port, r.device, r.kind,"
    " r.proved, r.parent, r.controller_id, s.name, c.label";
const char kRevisionFrom[] =
    " FROM revisions r LEFT JOIN controllers c ON c.id = r.controller_id LEFT JOIN sites s ON s.id = c.site_id";

bool isServer(const QString &location)
{
    return location.startsWith(QLatin1String("postgresql://")) || location.startsWith(QLatin1String("postgres://"));
}

// A configuration is some 30 KB of text, mostly the same comments: it is kept
// compressed, as text so that one column type serves both engines.
QString packed(const QByteArray &configuration)
{
    return QStringLiteral("z:") + QString::fromLatin1(qCompress(configuration, 9).toBase64());
}

QByteArray unpacked(const QString &stored)
{
    if (stored.startsWith(QLatin1String("z:")))
        return qUncompress(QByteArray::fromBase64(stored.mid(2).toLatin1()));
    return stored.toUtf8();
}

// An empty text, never NULL: the columns are NOT NULL on both engines.
QVariant text(const QString &s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

QString newConnectionName()
{
    return QStringLiteral("tavrix-book-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

qint64 newId()
{
    // Fits a double as well as a BIGINT, so that a bundle's JSON carries it exactly.
    return qint64(QRandomGenerator::global()->bounded(quint64(1), quint64(1) << 52));
}

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

QString digitsOf(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.isDigit())
            out += c;
    }
    return out;
}

// The subscriber numbers of a configuration text: digits only, sorted, space-separated.
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

QString osUser()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    return user;
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

struct Book::Private
{
    QString location;
    QString connection;
    bool sqlite = true;
    bool outboxOnly = false; // location is a server that could not be reached: db is the local file
    Origin origin;

    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }

    ~Private()
    {
        if (!connection.isEmpty()) {
            {
                QSqlDatabase d = db();
                d.close();
            }
            QSqlDatabase::removeDatabase(connection);
        }
    }

    QString fault(const QSqlQuery &q) const
    {
        return q.lastError().text();
    }

    bool exec(QSqlQuery &q, QString *error) const
    {
        if (q.exec())
            return true;
        if (error)
            *error = Words::tr("the book %1: %2").arg(location, q.lastError().text());
        return false;
    }

    bool begin()
    {
        // SQLite: take the write lock at once, so that two writers wait for each other
        // (the busy timeout) rather than one failing on upgrading a read lock.
        QSqlQuery q(db());
        return q.exec(sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    }
    bool commit()
    {
        QSqlQuery q(db());
        return q.exec(QStringLiteral("COMMIT"));
    }
    void rollback()
    {
        QSqlQuery q(db());
        q.exec(QStringLiteral("ROLLBACK"));
    }

    Revision revisionFrom(const QSqlQuery &q) const
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

    QList<Revision> revisionsWhere(const QString &where, const QVariantList &values, const QString &tail = {}) const
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

    Site siteFrom(const QSqlQuery &q) const
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

    std::optional<Site> siteWhere(const QString &where, const QVariant &value) const
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("SELECT id, name, address, contact, notes, archived FROM sites WHERE ") + where);
        q.addBindValue(value);
        if (q.exec() && q.next())
            return siteFrom(q);
        return std::nullopt;
    }

    // The site's search text, made again from its fields and every revision it owns.
    bool refreshSearch(qint64 siteId, QString *error)
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

    std::optional<Controller> controllerById(qint64 id) const
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("SELECT id, site_id, label FROM controllers WHERE id = ?"));
        q.addBindValue(id);
        if (q.exec() && q.next())
            return Controller{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString()};
        return std::nullopt;
    }

    std::optional<Controller> controllerFor(qint64 siteId, const QString &label, bool create, QString *error)
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
    std::optional<Site> ensureSite(const Site &wanted, QString *error)
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

    bool hasRevision(const QString &id) const
    {
        QSqlQuery q(db());
        q.prepare(QStringLiteral("SELECT 1 FROM revisions WHERE id = ?"));
        q.addBindValue(id);
        return q.exec() && q.next();
    }

    // Inserts one revision as it is (id, time and all); false on a fault, *added false
    // when the book already had it.
    bool insert(const Revision &r, bool *added, QString *error)
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

    bool createSchema(QString *error)
    {
        QSqlQuery probe(db());
        if (probe.exec(QStringLiteral("SELECT version FROM book_version")) && probe.next()) {
            const int version = probe.value(0).toInt();
            if (version > kSchemaVersion) {
                if (error)
                    *error = Words::tr("%1 is a site book of a newer version (%2); this program reads up to version %3")
                                 .arg(location).arg(version).arg(kSchemaVersion);
                return false;
            }
            // Version 1 is the first: nothing to bring up yet.
            return true;
        }
        probe.finish();
        if (!begin()) {
            if (error)
                *error = Words::tr("the book %1: %2").arg(location, db().lastError().text());
            return false;
        }
        // Another program may have made it meanwhile.
        QSqlQuery again(db());
        if (again.exec(QStringLiteral("SELECT version FROM book_version")) && again.next()) {
            again.finish();
            return commit();
        }
        again.finish();
        if (!sqlite) {
            // PostgreSQL aborts a transaction on a failed statement: start afresh.
            rollback();
            begin();
        }
        for (const char *statement : kSchema) {
            QSqlQuery q(db());
            if (!q.exec(QString::fromLatin1(statement))) {
                const QString why = q.lastError().text();
                rollback();
                if (error)
                    *error = Words::tr("the book %1 cannot be made: %2").arg(location, why);
                return false;
            }
        }
        return commit();
    }

    // Opens an SQLite file, refusing one that is not a book, is newer or damaged
    // before anything is written to it.
    bool openFile(const QString &path, QString *error)
    {
        const QFileInfo info(path);
        if (info.exists() && info.isDir()) {
            if (error)
                *error = Words::tr("%1 is a folder, not a site book").arg(path);
            return false;
        }
        if (info.exists() && info.size() > 0) {
            // Looked at read-only first, so that a file that is refused stays as it was.
            const QString look = newConnectionName();
            QString refusal;
            {
                QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), look);
                d.setDatabaseName(path);
                d.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=10000"));
                if (!d.open()) {
                    refusal = Words::tr("%1 cannot be opened: %2").arg(path, d.lastError().text());
                } else {
                    QSqlQuery q(d);
                    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
                        refusal = Words::tr("%1 is not a site book (not an SQLite database, or damaged)").arg(path);
                    } else {
                        QStringList tables;
                        while (q.next())
                            tables << q.value(0).toString();
                        q.finish();
                        QSqlQuery v(d);
                        if (!tables.isEmpty() && !tables.contains(QStringLiteral("book_version")))
                            refusal = Words::tr("%1 is not a site book (an SQLite database of something else)").arg(path);
                        else if (tables.contains(QStringLiteral("book_version")) && v.exec(QStringLiteral("SELECT version FROM book_version"))
                                 && v.next() && v.value(0).toInt() > kSchemaVersion)
                            refusal = Words::tr("%1 is a site book of a newer version (%2); this program reads up to version %3")
                                          .arg(path).arg(v.value(0).toInt()).arg(kSchemaVersion);
                        v.finish();
                        QSqlQuery check(d);
                        if (refusal.isEmpty()
                            && (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next()
                                || check.value(0).toString() != QLatin1String("ok")))
                            refusal = Words::tr("%1 is a damaged site book: %2")
                                          .arg(path, check.lastError().isValid() ? check.lastError().text() : check.value(0).toString());
                    }
                    d.close();
                }
            }
            QSqlDatabase::removeDatabase(look);
            if (!refusal.isEmpty()) {
                if (error)
                    *error = refusal;
                return false;
            }
        } else if (!QDir().mkpath(info.absolutePath())) {
            if (error)
                *error = Words::tr("the folder %1 cannot be made").arg(info.absolutePath());
            return false;
        }
        connection = newConnectionName();
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        d.setDatabaseName(path);
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (!d.open()) {
            if (error)
                *error = Words::tr("%1 cannot be opened: %2").arg(path, d.lastError().text());
            return false;
        }
        QSqlQuery q(d);
        // Write-ahead log: the window, the tool and the line write the one file at once.
        q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        q.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
        sqlite = true;
        return createSchema(error);
    }

    // false with *unreachable when the server could not be reached (the caller keeps
    // to the outbox), false without it for any other refusal.
    bool openServer(const QString &url, bool *unreachable, QString *error)
    {
        *unreachable = false;
        static const QRegularExpression form(QStringLiteral("^postgres(?:ql)?://([^@/]+)@([^/]*)/([^/?]+)$"));
        const auto m = form.match(url);
        if (!m.hasMatch()) {
            if (error)
                *error = Words::tr("%1: a shared book is named postgresql://USER@HOST[:PORT]/DB").arg(url);
            return false;
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            if (error)
                *error = Words::tr("%1: this installation has no PostgreSQL driver for Qt SQL (qsqlpsql); "
                                   "use a book file, or bundles").arg(url);
            return false;
        }
        QString user = m.captured(1), password;
        if (const int colon = user.indexOf(QLatin1Char(':')); colon >= 0) {
            password = QUrl::fromPercentEncoding(user.mid(colon + 1).toUtf8());
            user = user.left(colon);
        }
        QString host = m.captured(2);
        int port = 5432;
        // A socket folder is written percent-encoded ("%2Ftmp%2Fpg"), a port after it.
        if (const int colon = host.lastIndexOf(QLatin1Char(':')); colon >= 0) {
            bool ok = false;
            const int p = host.mid(colon + 1).toInt(&ok);
            if (!ok || p < 1 || p > 65535) {
                if (error)
                    *error = Words::tr("%1: the port must be a number from 1 to 65535").arg(url);
                return false;
            }
            port = p;
            host = host.left(colon);
        }
        host = QUrl::fromPercentEncoding(host.toUtf8());
        connection = newConnectionName();
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        d.setUserName(QUrl::fromPercentEncoding(user.toUtf8()));
        if (!password.isEmpty())
            d.setPassword(password);
        d.setHostName(host.isEmpty() ? QStringLiteral("localhost") : host);
        d.setPort(port);
        d.setDatabaseName(m.captured(3));
        d.setConnectOptions(QStringLiteral("connect_timeout=5"));
        if (!d.open()) {
            *unreachable = true;
            if (error)
                *error = Words::tr("%1 cannot be reached: %2").arg(url, d.lastError().text().trimmed());
            return false;
        }
        sqlite = false;
        QSqlQuery q(d);
        q.exec(QStringLiteral("SET client_min_messages TO WARNING"));
        return createSchema(error);
    }

    void closeConnection()
    {
        if (connection.isEmpty())
            return;
        {
            QSqlDatabase d = db();
            d.close();
        }
        QSqlDatabase::removeDatabase(connection);
        connection.clear();
    }
};

Book::Book(std::unique_ptr<Private> p) : d(std::move(p)) {}
Book::~Book() = default;

std::unique_ptr<Book> Book::open(const QString &location, QString *error, const Origin &origin)
{
    auto p = std::make_unique<Private>();
    p->location = location;
    p->origin = origin;
    if (p->origin.operatorName.isEmpty())
        p->origin.operatorName = osUser();
    if (p->origin.machine.isEmpty())
        p->origin.machine = QSysInfo::machineHostName();
    if (!isServer(location)) {
        if (!p->openFile(location, error))
            return nullptr;
        return std::unique_ptr<Book>(new Book(std::move(p)));
    }
    bool unreachable = false;
    QString why;
    if (p->openServer(location, &unreachable, &why)) {
        std::unique_ptr<Book> book(new Book(std::move(p)));
        // At every contact, what waited in the outbox goes first.
        QString syncError;
        book->sync(&syncError);
        return book;
    }
    if (!unreachable) {
        if (error)
            *error = why;
        return nullptr;
    }
    // The server cannot be reached: the local file keeps the revisions in its outbox.
    p->closeConnection();
    if (!p->openFile(defaultLocation(), error))
        return nullptr;
    p->outboxOnly = true;
    if (error)
        *error = why;
    return std::unique_ptr<Book>(new Book(std::move(p)));
}

QString Book::location() const
{
    return d->location;
}

bool Book::outboxOnly() const
{
    return d->outboxOnly;
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
    if (d->outboxOnly) {
        QSqlQuery q(d->db());
        q.prepare(QStringLiteral("INSERT INTO outbox (revision_id, target) VALUES (?, ?) ON CONFLICT (revision_id, target) DO NOTHING"));
        q.addBindValue(revision.id);
        q.addBindValue(d->location);
        if (!d->exec(q, error)) {
            d->rollback();
            return false;
        }
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
    QString parent;
    if (written.controllerId) {
        const auto last = latest(written.controllerId);
        if (last && last->fingerprint == heldPrint) {
            parent = last->id;
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
    } else if (!heldPrint.isEmpty()) {
        // Nobody named it: what it held is kept once among the unassigned.
        const QList<Revision> same = d->revisionsWhere(QStringLiteral("r.controller_id IS NULL AND r.fingerprint = ?"),
                                                       {heldPrint}, QStringLiteral(" LIMIT 1"));
        if (!same.isEmpty()) {
            parent = same.first().id;
        } else {
            Revision before;
            before.configuration = held;
            before.fingerprint = heldPrint;
            before.time = written.time.isValid() ? written.time.addMSecs(-1) : QDateTime::currentDateTimeUtc().addMSecs(-1);
            before.port = written.port;
            before.device = written.device;
            before.kind = Kind::Read;
            before.proved = true;
            if (!record(before, error))
                return false;
            parent = before.id;
        }
    }
    if (written.parent.isEmpty())
        written.parent = parent;
    return record(written, error);
}

Recognition Book::recognise(const QByteArray &configuration) const
{
    Recognition out;
    const QString print = fingerprintOfText(configuration);
    if (print.isEmpty())
        return out;
    // By fingerprint: exactly one controller whose latest revision is this one.
    {
        QSqlQuery q(d->db());
        q.prepare(QStringLiteral("SELECT DISTINCT controller_id FROM revisions WHERE fingerprint = ? AND controller_id IS NOT NULL"));
        q.addBindValue(print);
        QList<QPair<qint64, QString>> hits;
        if (q.exec()) {
            while (q.next()) {
                const qint64 id = q.value(0).toLongLong();
                if (const auto last = latest(id); last && last->fingerprint == print)
                    hits.append({id, last->id});
            }
        }
        if (hits.size() == 1) {
            if (const auto c = d->controllerById(hits.first().first)) {
                out.how = Recognition::ByFingerprint;
                out.controller = *c;
                out.site = site(c->siteId).value_or(Site{});
                out.revision = hits.first().second;
                return out;
            }
        }
        if (hits.size() > 1)
            return out;
    }
    // By subscriber numbers: every number the same as one site's latest revision.
    const QString phones = phonesOf(configuration);
    if (phones.isEmpty())
        return out;
    QSqlQuery q(d->db());
    q.prepare(QStringLiteral("SELECT DISTINCT c.site_id FROM revisions r JOIN controllers c ON c.id = r.controller_id WHERE r.phones = ?"));
    q.addBindValue(phones);
    QList<Revision> hits;
    if (q.exec()) {
        while (q.next()) {
            const qint64 siteId = q.value(0).toLongLong();
            const QList<Revision> newest = d->revisionsWhere(QStringLiteral("c.site_id = ?"), {siteId}, QStringLiteral(" LIMIT 1"));
            if (!newest.isEmpty() && phonesOf(newest.first().configuration) == phones)
                hits << newest.first();
        }
    }
    if (hits.size() == 1) {
        if (const auto c = d->controllerById(hits.first().controllerId)) {
            out.how = Recognition::ByNumbers;
            out.controller = *c;
            out.site = site(c->siteId).value_or(Site{});
            out.revision = hits.first().id;
        }
    }
    return out;
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
    if (ok && d->outboxOnly) {
        QSqlQuery o(d->db());
        o.prepare(QStringLiteral("INSERT INTO outbox (revision_id, target) VALUES (?, ?) ON CONFLICT (revision_id, target) DO NOTHING"));
        o.addBindValue(revisionId);
        o.addBindValue(d->location);
        ok = d->exec(o, error);
    }
    if (!ok || !d->commit()) {
        d->rollback();
        return false;
    }
    return true;
}

QList<config::Difference> Book::diff(const Revision &a, const Revision &b) const
{
    const auto ca = configurationOf(a.configuration, nullptr);
    const auto cb = configurationOf(b.configuration, nullptr);
    if (!ca || !cb)
        return {};
    return config::windowCatalog().compare(*ca, *cb);
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
        if (ok && added && d->outboxOnly) {
            QSqlQuery o(d->db());
            o.prepare(QStringLiteral("INSERT INTO outbox (revision_id, target) VALUES (?, ?) ON CONFLICT (revision_id, target) DO NOTHING"));
            o.addBindValue(in.revision.id);
            o.addBindValue(d->location);
            ok = d->exec(o, error);
        }
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
