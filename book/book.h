#pragma once

#include "config/catalog.h"
#include "config/configfile.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// The site book: the sites an installer looks after, their controllers, and every
// configuration each controller held (revisions, appended and never changed). One
// SQLite file on a laptop, or a company's PostgreSQL server with an outbox in the
// local file for the times it cannot be reached. Qt Core and Qt SQL only.
namespace book {

// What made a revision.
enum class Kind { Read, Write, Audit, Undo, Line, Import };

// "read", "write", "audit", "undo", "line", "import".
QString kindName(Kind kind);
std::optional<Kind> kindFromName(const QString &name);

// The label of a controller nobody named otherwise.
inline constexpr char16_t kMainController[] = u"Основной";

struct Site
{
    qint64 id = 0;
    QString name;    // unique in the book
    QString address;
    QString contact;
    QString notes;
    bool archived = false;
};

struct Controller
{
    qint64 id = 0;
    qint64 siteId = 0;
    QString label;
};

struct Revision
{
    QString id;                // a UUID, lower-case, without braces
    QByteArray configuration;  // the file text, as `read -o` saves it
    QString fingerprint;       // the sheet's: first 12 hex digits of the record's SHA-256
    QDateTime time;            // UTC, milliseconds
    QString operatorName;
    QString machine;
    QString port;              // "COM3"
    QString device;            // "/dev/ttyUSB0"
    Kind kind = Kind::Read;
    bool proved = false;       // a read-back showed the controller holds it
    QString parent;            // the revision it replaced; empty for a first one
    qint64 controllerId = 0;   // 0: not assigned to a site yet
    QString site;              // the site's name, empty when not assigned
    QString controller;        // the controller's label, empty when not assigned

    // The first 8 hex digits of the id.
    QString shortId() const;
};

// A search hit: the site and what in it matched ("name", "address", "contact", "notes",
// "phone", "fingerprint").
struct Found
{
    Site site;
    QString matched;
};

// Whom a configuration just read belongs to, if the book can tell.
struct Recognition
{
    enum How { Nobody, ByFingerprint, ByNumbers };
    How how = Nobody;
    Site site;
    Controller controller;
    QString revision; // the revision that matched
};

// The outcome of an import.
struct ImportResult
{
    int added = 0;     // revisions new to this book
    int known = 0;     // revisions it already had
    int sites = 0;     // sites made
};

// Who and where, for the revisions this program records.
struct Origin
{
    QString operatorName; // empty: the OS user
    QString machine;      // empty: this machine's name
};

// Where the book lives: `--book URL`, else TAVRIX_BOOK, else the default file.
QString defaultLocation();
QString locationFrom(const QString &given);

// A revision's configuration text read back, checked against the catalog.
std::optional<config::Configuration> configurationOf(const QByteArray &text, QString *error);

// The fingerprint of a configuration file text (its values applied onto the factory
// configuration, as a write does); empty when the text is not a configuration.
QString fingerprintOfText(const QByteArray &configuration);

class Book
{
public:
    ~Book();

    // Opens (creating and migrating as needed) the book at `location`: a file path, or
    // postgresql://USER@HOST[:PORT]/DB. A file that is not a book, is from a newer
    // version or is damaged is refused with a message naming it, and left untouched.
    // A server that cannot be reached opens the local book with an outbox instead
    // (outboxOnly() tells).
    static std::unique_ptr<Book> open(const QString &location, QString *error, const Origin &origin = {});

    QString location() const;
    // A shared book could not be reached: revisions wait in the local outbox.
    bool outboxOnly() const;

    // --- Sites -------------------------------------------------------------------
    // Sites whose name, address, contact, notes, subscriber numbers (any run of digits)
    // or fingerprints hold `text`; all sites for an empty text. Archived sites keep
    // their history but are left out unless `withArchived` (then they come last).
    QList<Found> search(const QString &text, int limit = 200, bool withArchived = false) const;
    std::optional<Site> site(const QString &name) const;
    std::optional<Site> site(qint64 id) const;
    // Makes a site; false with the reason (a name taken, an empty name).
    bool addSite(Site &site, QString *error);
    // Saves the fields of a site (by id); false with the reason.
    bool editSite(const Site &site, QString *error);
    // The names closest to `name`, best first, for a message about an unknown one.
    QStringList closestNames(const QString &name, int count = 5) const;

    // --- Controllers ---------------------------------------------------------------
    QList<Controller> controllers(qint64 siteId) const;
    // The controller of a site by label; made when `create` and absent.
    std::optional<Controller> controller(qint64 siteId, const QString &label, bool create, QString *error);
    // "NAME" or "NAME/CONTROLLER" (the main controller when not named); nothing when
    // the site is unknown, the controller made when the site has none of that label.
    std::optional<Controller> controllerOf(const QString &siteAndLabel, QString *error);

    // --- Revisions ---------------------------------------------------------------
    // A controller's revisions, newest first.
    QList<Revision> revisions(qint64 controllerId, int limit = -1) const;
    std::optional<Revision> latest(qint64 controllerId) const;
    // Revisions no site owns, newest first.
    QList<Revision> unassigned() const;
    // A short id, a whole UUID, or NAME[/CONTROLLER] for its latest revision.
    std::optional<Revision> revision(const QString &reference, QString *error) const;

    // Appends a revision. Missing id, time, fingerprint, operator and machine are filled
    // in (and written back into `revision`); the parent is the controller's latest when
    // not given. False with the reason when it could not be stored.
    bool record(Revision &revision, QString *error);
    // Appends many at once, in one transaction: all or none. Filled in as record() does;
    // a revision without a parent follows the one before it for the same controller.
    bool recordAll(QList<Revision> &revisions, QString *error);
    // Records a read only when it differs from that controller's latest revision
    // (unassigned reads are not kept). True with nothing stored when it is the same.
    bool recordRead(Revision &revision, bool *stored, QString *error);

    // After a write: what the controller held before (a file text), recorded first when
    // the book does not have it already, then `written` as its child. Unassigned writes
    // land among the unassigned.
    bool recordWrite(const QByteArray &held, Revision &written, QString *error);

    // After a read: the controller whose latest revision has this fingerprint, or the
    // one site whose latest revision has exactly these subscriber numbers.
    Recognition recognise(const QByteArray &configuration) const;

    // Gives an unassigned (or wrongly assigned) revision to a controller; 0 takes it
    // back among the unassigned.
    bool assign(const QString &revisionId, qint64 controllerId, QString *error);

    // The configurations of two revisions, compared as `diff` compares two files
    // (config::windowCatalog().shown() gives the values as it prints them); empty when equal.
    QList<config::Difference> diff(const Revision &a, const Revision &b) const;

    // --- Sharing -------------------------------------------------------------------
    // Revisions recorded while the shared book could not be reached.
    int outboxCount() const;
    // Sends the outbox; the number sent, or -1 with the reason.
    int sync(QString *error);

    // Writes the sites named (all when none) with their controllers and revisions as
    // one bundle file.
    bool exportBundle(const QStringList &siteNames, const QString &path, QString *error) const;
    // Merges a bundle by union; refuses the whole bundle, naming the revision, when a
    // fingerprint does not match its configuration.
    std::optional<ImportResult> importBundle(const QString &path, QString *error);

private:
    struct Private;
    explicit Book(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

} // namespace book
