#pragma once

#include "book/book.h"

#include <QCoreApplication>
#include <QHash>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

// What the parts of the site book share: the open connection and the small helpers
// every part uses. Only the book's own sources include it.
namespace book {

struct Words
{
    Q_DECLARE_TR_FUNCTIONS(book)
};

bool isServer(const QString &location);
// A configuration as stored, and back.
QString packed(const QByteArray &configuration);
QByteArray unpacked(const QString &stored);
// An empty text, never NULL: the columns are NOT NULL on both engines.
QVariant text(const QString &s);
// A new site or controller id.
qint64 newId();
QString digitsOf(const QString &text);
// The subscriber numbers of a configuration text: digits only, sorted, space-separated.
QString phonesOf(const QByteArray &text);

struct Book::Private
{
    QString location;
    QString connection;
    bool sqlite = true;
    bool outboxOnly = false; // location is a server that could not be reached: db is the local file
    Origin origin;
    // The insert, prepared once for the connection's life.
    std::unique_ptr<QSqlQuery> insertQuery;
    // A configuration as stored and its subscriber numbers, by its text: a line or a
    // batch records the same template many times over.
    QHash<QByteArray, QPair<QString, QString>> storedForms;

    QSqlDatabase db() const { return QSqlDatabase::database(connection, false); }
    ~Private();

    bool exec(QSqlQuery &q, QString *error) const;
    // SQLite: BEGIN IMMEDIATE, so that two writers wait for each other.
    bool begin();
    bool commit();
    void rollback();
    void closeConnection();

    // --- Reading rows (book.cpp) ---
    Revision revisionFrom(const QSqlQuery &q) const;
    QList<Revision> revisionsWhere(const QString &where, const QVariantList &values, const QString &tail = {}) const;
    Site siteFrom(const QSqlQuery &q) const;
    std::optional<Site> siteWhere(const QString &where, const QVariant &value) const;
    // The id of a controller's newest revision; empty when it has none.
    QString latestId(qint64 controllerId) const;
    // The ids in the first column of a query with one bound value.
    QList<qint64> idsOf(const QString &sql, const QVariant &value) const;

    // --- Sites and controllers (sites.cpp) ---
    // The site's search text, made again from its fields and every revision it owns.
    bool refreshSearch(qint64 siteId, QString *error);
    std::optional<Controller> controllerById(qint64 id) const;
    std::optional<Controller> controllerFor(qint64 siteId, const QString &label, bool create, QString *error);
    // Makes a site by name when the book has none; the site either way.
    std::optional<Site> ensureSite(const Site &wanted, QString *error);

    // --- Recording (recording.cpp) ---
    // Inserts one revision as it is (id, time and all); false on a fault, *added false
    // when the book already had it.
    bool insert(const Revision &r, bool *added, QString *error);

    // --- The outbox (outbox.cpp) ---
    // While the shared book cannot be reached, a revision recorded or changed here waits
    // for it; true with nothing done when the book is at hand.
    bool queue(const QString &revisionId, QString *error);

    // --- Opening (schema.cpp) ---
    bool createSchema(QString *error);
    // Opens an SQLite file, refusing one that is not a book, is newer or damaged before
    // anything is written to it.
    bool openFile(const QString &path, QString *error);
    // false with *unreachable when the server could not be reached (the caller keeps to
    // the outbox), false without it for any other refusal.
    bool openServer(const QString &url, bool *unreachable, QString *error);
};

} // namespace book
