#include "book/bookprivate.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSysInfo>
#include <QUrl>
#include <QUuid>

// Opening a book: the file or the server, the schema made or checked, and the local
// file with its outbox when the server cannot be reached.
namespace book {

namespace {

// The schema this build writes; an older book is brought up to it when opened, a newer
// one is refused.
constexpr int kSchemaVersion = 1;
// Up to this size a book file is checked whole when opened.
constexpr qint64 kWholeCheckBytes = 32 << 20;

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

QString newConnectionName()
{
    return QStringLiteral("tavrix-book-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
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

} // namespace

bool Book::Private::createSchema(QString *error)
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
bool Book::Private::openFile(const QString &path, QString *error)
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
                    // A small book is checked whole. In a large one the revisions are nearly
                    // all of the file, and checking them would read every byte at every
                    // start: the other tables are checked, and the revisions' tree down its
                    // newest edge; a page damaged elsewhere fails the statement that reads it.
                    QStringList checks{QStringLiteral("PRAGMA quick_check")};
                    if (info.size() > kWholeCheckBytes) {
                        checks.clear();
                        for (const QString &table : std::as_const(tables)) {
                            if (table != QLatin1String("revisions"))
                                checks << QStringLiteral("PRAGMA quick_check(%1)").arg(table);
                        }
                    }
                    for (const QString &statement : std::as_const(checks)) {
                        QSqlQuery check(d);
                        if (refusal.isEmpty()
                            && (!check.exec(statement) || !check.next() || check.value(0).toString() != QLatin1String("ok")))
                            refusal = Words::tr("%1 is a damaged site book: %2")
                                          .arg(path, check.lastError().isValid() ? check.lastError().text() : check.value(0).toString());
                    }
                    QSqlQuery newest(d);
                    if (refusal.isEmpty() && tables.contains(QStringLiteral("revisions"))
                        && !newest.exec(QStringLiteral("SELECT id FROM revisions ORDER BY rowid DESC LIMIT 1")))
                        refusal = Words::tr("%1 is a damaged site book: %2").arg(path, newest.lastError().text());
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
bool Book::Private::openServer(const QString &url, bool *unreachable, QString *error)
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

} // namespace book
