// The site book against both engines: an SQLite file in a temporary folder and a
// PostgreSQL server this test starts itself on a Unix socket.
#include "book/book.h"
#include "config/configform.h"
#include "config/writeplan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

namespace {

book::Site named(const QString &name, const QString &address = {}, const QString &contact = {}, const QString &notes = {})
{
    book::Site s;
    s.name = name;
    s.address = address;
    s.contact = contact;
    s.notes = notes;
    return s;
}

// A configuration file text: the factory one with these subscriber numbers.
QByteArray configText(const QStringList &phones)
{
    config::ConfigForm form;
    form.applyFactoryConfiguration();
    config::Configuration cfg = config::storedForm(form.controls());
    for (int i = 0; i < phones.size(); ++i)
        cfg.set(QStringLiteral("Edit%1").arg(i + 1), phones[i]);
    return config::windowCatalog().render(cfg);
}

QByteArray numbered(int n)
{
    return configText({QStringLiteral("+38050%1").arg(n, 7, 10, QLatin1Char('0'))});
}

// What a book holds, as lines that two equal books share.
QStringList contents(book::Book &b)
{
    QStringList out;
    for (const book::Found &f : b.search(QString(), -1, true)) {
        out << QStringLiteral("site %1|%2|%3|%4|%5").arg(f.site.name, f.site.address, f.site.contact, f.site.notes)
                   .arg(f.site.archived);
        for (const book::Controller &c : b.controllers(f.site.id)) {
            for (const book::Revision &r : b.revisions(c.id))
                out << QStringLiteral("rev %1 %2/%3 %4 %5 %6 %7 %8").arg(r.id, f.site.name, c.label, r.fingerprint,
                                                                          book::kindName(r.kind), r.parent,
                                                                          r.time.toString(Qt::ISODateWithMs))
                               .arg(r.proved) + QString::fromUtf8(QCryptographicHash::hash(r.configuration, QCryptographicHash::Md5).toHex());
        }
    }
    for (const book::Revision &r : b.unassigned())
        out << QStringLiteral("loose %1 %2").arg(r.id, r.fingerprint);
    out.sort();
    return out;
}

// A child that records into a book: `--record LOCATION SITE COUNT` (0: until killed).
int recordChild(const QStringList &args)
{
    QString error;
    auto b = book::Book::open(args[2], &error);
    if (!b) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    const auto c = b->controllerOf(args[3], &error);
    if (!c)
        return 2;
    const int count = args[4].toInt();
    QTextStream out(stdout);
    for (int i = 0; count == 0 || i < count; ++i) {
        book::Revision r;
        r.configuration = numbered(int(getpid() % 1000) * 10000 + i);
        r.kind = book::Kind::Write;
        r.controllerId = c->id;
        if (!b->record(r, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        out << "recorded " << r.id << Qt::endl;
    }
    return 0;
}

QString pgBin()
{
    const QStringList found = QDir(QStringLiteral("/usr/lib/postgresql")).entryList({QStringLiteral("1*")}, QDir::Dirs, QDir::Name | QDir::Reversed);
    for (const QString &v : found) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
        if (QFile::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return {};
}

} // namespace

class tst_Book : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_pgBin;
    QString m_pgData;
    QString m_pgSocket;
    QString m_pgUser;
    int m_pgPort = 0;
    bool m_pgUp = false;
    int m_rows = 0;

    // As the unprivileged user when this runs as root: PostgreSQL refuses root.
    bool pg(const QString &program, const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        if (geteuid() == 0)
            p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), m_pgUser, QStringLiteral("--"), m_pgBin + QLatin1Char('/') + program} + args);
        else
            p.start(m_pgBin + QLatin1Char('/') + program, args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (output)
            *output = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

    bool pgStart()
    {
        QString out;
        const bool ok = pg(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_pgData, QStringLiteral("-w"), QStringLiteral("-l"),
                                                      m_pgSocket + QStringLiteral("/log"), QStringLiteral("-o"),
                                                      QStringLiteral("-k %1 -p %2 -c listen_addresses= -c fsync=off").arg(m_pgSocket).arg(m_pgPort),
                                                      QStringLiteral("start")}, &out);
        if (!ok)
            qWarning("%s", qPrintable(out));
        return ok;
    }
    bool pgStop()
    {
        return pg(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_pgData, QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")});
    }

    QString pgUrl(const QString &db) const
    {
        return QStringLiteral("postgresql://") + m_pgUser + QLatin1Char('@') + QString::fromLatin1(QUrl::toPercentEncoding(m_pgSocket))
               + QLatin1Char(':') + QString::number(m_pgPort) + QLatin1Char('/') + db;
    }

    // A fresh, empty book of the engine for one row, with its own local folder.
    QString freshBook(const QString &engine)
    {
        const int n = ++m_rows;
        const QString local = m_dir.filePath(QStringLiteral("local%1").arg(n));
        QDir().mkpath(local);
        qputenv("XDG_DATA_HOME", local.toLocal8Bit());
        if (engine == QLatin1String("sqlite"))
            return m_dir.filePath(QStringLiteral("book%1.sqlite").arg(n));
        const QString name = QStringLiteral("book%1").arg(n);
        QString out;
        if (!pg(QStringLiteral("createdb"), {QStringLiteral("-h"), m_pgSocket, QStringLiteral("-p"), QString::number(m_pgPort), name}, &out))
            qWarning("%s", qPrintable(out));
        return pgUrl(name);
    }

    QStringList childIds(QProcess &p)
    {
        QStringList ids;
        for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
            if (line.startsWith("recorded "))
                ids << QString::fromLatin1(line.mid(9).trimmed());
        }
        return ids;
    }

    void startChild(QProcess &p, const QString &location, const QString &site, int count)
    {
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--record"), location, site, QString::number(count)});
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_pgBin = pgBin();
        if (m_pgBin.isEmpty())
            return;
        // Reachable by the unprivileged user the server runs as.
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther
                                                | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup);
        m_pgUser = geteuid() == 0 ? QStringLiteral("nobody") : qEnvironmentVariable("USER", QStringLiteral("postgres"));
        m_pgData = m_dir.filePath(QStringLiteral("pgdata"));
        m_pgSocket = m_dir.filePath(QStringLiteral("pgsock"));
        QDir().mkpath(m_pgSocket);
        QFile::setPermissions(m_pgSocket, QFile::permissions(m_dir.path()));
        m_pgPort = 20000 + int(getpid() % 20000);
        QString out;
        QVERIFY2(pg(QStringLiteral("initdb"), {QStringLiteral("-D"), m_pgData, QStringLiteral("-A"), QStringLiteral("trust"),
                                               QStringLiteral("-U"), m_pgUser, QStringLiteral("-E"), QStringLiteral("UTF8"),
                                               QStringLiteral("--no-sync")}, &out),
                 qPrintable(out));
        QVERIFY(pgStart());
        m_pgUp = true;
    }

    void cleanupTestCase()
    {
        if (m_pgUp)
            pgStop();
    }

    void cases_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("what");
        for (const char *engine : {"sqlite", "postgresql"}) {
            for (const char *what : {"recording", "recognition", "assignment", "search", "two processes", "kill -9",
                                     "unreachable server", "export import", "tampered bundle", "archive", "many at once"})
                QTest::addRow("%s: %s", engine, what) << QString::fromLatin1(engine) << QString::fromLatin1(what);
        }
    }

    void cases()
    {
        QFETCH(QString, engine);
        QFETCH(QString, what);
        if (engine == QLatin1String("postgresql") && !m_pgUp)
            QSKIP("no PostgreSQL server programs (scripts/install-deps.sh installs them)");
        const QString location = freshBook(engine);
        QString error;
        auto b = book::Book::open(location, &error);
        QVERIFY2(b, qPrintable(error));
        QVERIFY(!b->outboxOnly());

        book::Site ivanov = named(QStringLiteral("Иванов, дача"), QStringLiteral("Лесная 5"), QStringLiteral("+380 50 111 2233"), QStringLiteral("ключ у соседа"));
        QVERIFY2(b->addSite(ivanov, &error), qPrintable(error));
        book::Site taken = named(ivanov.name);
        QVERIFY(!b->addSite(taken, &error));
        const auto main = b->controllerOf(ivanov.name, &error);
        QVERIFY2(main, qPrintable(error));
        QCOMPARE(main->label, QString::fromUtf16(book::kMainController));

        const QByteArray a = configText({QStringLiteral("+380501112233"), QStringLiteral("+380671234567")});
        const QByteArray c = configText({QStringLiteral("+380501112233"), QStringLiteral("+380679999999")});

        if (what == QLatin1String("recording")) {
            // A write: what it held first, then what was written, its child.
            book::Revision w;
            w.configuration = c;
            w.kind = book::Kind::Write;
            w.proved = true;
            w.port = QStringLiteral("COM3");
            w.controllerId = main->id;
            QVERIFY2(b->recordWrite(a, w, &error), qPrintable(error));
            QList<book::Revision> timeline = b->revisions(main->id);
            QCOMPARE(timeline.size(), 2);
            QCOMPARE(timeline[0].id, w.id);
            QCOMPARE(timeline[0].parent, timeline[1].id);
            QCOMPARE(timeline[1].fingerprint, book::fingerprintOfText(a));
            QCOMPARE(timeline[0].fingerprint, book::fingerprintOfText(c));
            // Kept byte for byte, whatever the book does to store it.
            QCOMPARE(timeline[0].configuration, c);
            QCOMPARE(timeline[1].configuration, a);
            QVERIFY(timeline[0].proved);
            QCOMPARE(timeline[0].site, ivanov.name);
            QCOMPARE(timeline[0].time.timeSpec(), Qt::UTC);
            // A second write over what the book has last adds the written one alone.
            book::Revision again;
            again.configuration = a;
            again.kind = book::Kind::Write;
            again.controllerId = main->id;
            QVERIFY2(b->recordWrite(c, again, &error), qPrintable(error));
            QCOMPARE(b->revisions(main->id).size(), 3);
            QCOMPARE(again.parent, w.id);
            // A read of what it holds adds nothing; a read of something else does.
            bool stored = true;
            book::Revision read;
            read.configuration = a;
            read.controllerId = main->id;
            QVERIFY2(b->recordRead(read, &stored, &error), qPrintable(error));
            QVERIFY(!stored);
            read = {};
            read.configuration = c;
            read.controllerId = main->id;
            QVERIFY2(b->recordRead(read, &stored, &error), qPrintable(error));
            QVERIFY(stored);
            QCOMPARE(b->latest(main->id)->id, read.id);
            // A reference by short id and by site name.
            QCOMPARE(b->revision(read.shortId(), &error)->id, read.id);
            QCOMPARE(b->revision(ivanov.name, &error)->id, read.id);
            QVERIFY(!b->revision(QStringLiteral("Петров"), &error));
            // Not a configuration: refused, nothing stored.
            book::Revision junk;
            junk.configuration = "not a configuration";
            junk.controllerId = main->id;
            QVERIFY(!b->record(junk, &error));
            QCOMPARE(b->revisions(main->id).size(), 4);
        } else if (what == QLatin1String("recognition")) {
            book::Revision r;
            r.configuration = a;
            r.controllerId = main->id;
            QVERIFY2(b->record(r, &error), qPrintable(error));
            book::Recognition got = b->recognise(a);
            QCOMPARE(got.how, book::Recognition::ByFingerprint);
            QCOMPARE(got.site.name, ivanov.name);
            QCOMPARE(got.revision, r.id);
            // Other values, the same numbers: by numbers.
            config::Configuration other;
            QVERIFY(!config::parse(a, QString(), &other));
            QByteArray changed = a;
            changed.replace("+380671234567", "+380671234567");
            // The same numbers in another order are the same set.
            const QByteArray swapped = configText({QStringLiteral("+380671234567"), QStringLiteral("+380501112233")});
            got = b->recognise(swapped);
            QCOMPARE(got.how, book::Recognition::ByNumbers);
            QCOMPARE(got.controller.id, main->id);
            // A number fewer: nobody.
            QCOMPARE(b->recognise(configText({QStringLiteral("+380501112233")})).how, book::Recognition::Nobody);
            // Two sites holding the same: nobody can tell.
            book::Site twin = named(QStringLiteral("Близнец"));
            QVERIFY2(b->addSite(twin, &error), qPrintable(error));
            book::Revision t;
            t.configuration = a;
            t.controllerId = b->controllerOf(twin.name, &error)->id;
            QVERIFY2(b->record(t, &error), qPrintable(error));
            QCOMPARE(b->recognise(a).how, book::Recognition::Nobody);
            QCOMPARE(b->recognise(swapped).how, book::Recognition::Nobody);
            // An earlier revision does not count, only the latest.
            book::Revision moved;
            moved.configuration = c;
            moved.controllerId = t.controllerId;
            QVERIFY2(b->record(moved, &error), qPrintable(error));
            QCOMPARE(b->recognise(a).controller.id, main->id);
        } else if (what == QLatin1String("assignment")) {
            // Nobody named the controller: its write is kept among the unassigned.
            book::Revision w;
            w.configuration = c;
            w.kind = book::Kind::Write;
            QVERIFY2(b->recordWrite(a, w, &error), qPrintable(error));
            QList<book::Revision> loose = b->unassigned();
            QCOMPARE(loose.size(), 2);
            // What it held is kept once however often it is written over.
            book::Revision w2;
            w2.configuration = c;
            w2.kind = book::Kind::Write;
            QVERIFY2(b->recordWrite(a, w2, &error), qPrintable(error));
            QCOMPARE(b->unassigned().size(), 3);
            QVERIFY(b->search(QStringLiteral("679999999")).isEmpty());
            const auto store = b->controllerOf(ivanov.name + QStringLiteral("/Склад"), &error);
            QVERIFY(store);
            QVERIFY2(b->assign(w.id, store->id, &error), qPrintable(error));
            QCOMPARE(b->unassigned().size(), 2);
            QCOMPARE(b->revisions(store->id).size(), 1);
            QCOMPARE(b->revision(ivanov.name + QStringLiteral("/Склад"), &error)->id, w.id);
            // Its numbers now find the site.
            const QList<book::Found> found = b->search(QStringLiteral("679999999"));
            QCOMPARE(found.size(), 1);
            QCOMPARE(found[0].matched, QStringLiteral("phone"));
            QVERIFY(!b->assign(w.id, 987654321, &error));
            // Taken back (a recognition undone): unassigned again, its numbers no longer
            // finding the site.
            QVERIFY2(b->assign(w.id, 0, &error), qPrintable(error));
            QCOMPARE(b->unassigned().size(), 3);
            QVERIFY(b->revisions(store->id).isEmpty());
            QVERIFY(b->search(QStringLiteral("679999999")).isEmpty());
        } else if (what == QLatin1String("search")) {
            book::Site other = named(QStringLiteral("Склад ООО Ромашка"), QStringLiteral("ул. 50%_скидка"));
            QVERIFY2(b->addSite(other, &error), qPrintable(error));
            book::Revision r;
            r.configuration = a;
            r.controllerId = main->id;
            QVERIFY2(b->record(r, &error), qPrintable(error));
            const auto names = [&](const QString &text) {
                QStringList out;
                for (const book::Found &f : b->search(text))
                    out << f.site.name + QLatin1Char(':') + f.matched;
                return out;
            };
            QCOMPARE(names(QStringLiteral("иванов")), QStringList{ivanov.name + QStringLiteral(":name")});
            QCOMPARE(names(QStringLiteral("ЛЕСНАЯ")), QStringList{ivanov.name + QStringLiteral(":address")});
            QCOMPARE(names(QStringLiteral("соседа")), QStringList{ivanov.name + QStringLiteral(":notes")});
            QCOMPARE(names(QStringLiteral("+380 (67) 123")), QStringList{ivanov.name + QStringLiteral(":phone")});
            QCOMPARE(names(r.fingerprint.left(6)), QStringList{ivanov.name + QStringLiteral(":fingerprint")});
            // LIKE's own characters are matched as written.
            QCOMPARE(names(QStringLiteral("50%_")), QStringList{other.name + QStringLiteral(":address")});
            QCOMPARE(names(QStringLiteral("5_%")), QStringList{});
            QCOMPARE(b->search(QString()).size(), 2);
            // Archived sites are left out, and come last when asked for.
            ivanov.archived = true;
            QVERIFY2(b->editSite(ivanov, &error), qPrintable(error));
            QCOMPARE(names(QString()), QStringList{other.name + QLatin1Char(':')});
            QCOMPARE(b->search(QString(), 200, true).size(), 2);
            QCOMPARE(b->search(QString(), 200, true).last().site.name, ivanov.name);
            QCOMPARE(b->closestNames(QStringLiteral("Ромашка")).value(0), other.name);
            QCOMPARE(b->closestNames(QStringLiteral("Склат ООО Ромашка")).value(0), other.name);
        } else if (what == QLatin1String("archive")) {
            book::Revision r;
            r.configuration = a;
            r.controllerId = main->id;
            QVERIFY2(b->record(r, &error), qPrintable(error));
            ivanov.archived = true;
            QVERIFY2(b->editSite(ivanov, &error), qPrintable(error));
            // Out of every listing and search, by any field or number...
            for (const QString &text : {QString(), QStringLiteral("иванов"), QStringLiteral("671234567"), r.fingerprint})
                QVERIFY2(b->search(text, -1).isEmpty(), qPrintable(text));
            QVERIFY(!b->closestNames(QStringLiteral("Иванов")).contains(ivanov.name));
            QCOMPARE(b->search(QStringLiteral("671234567"), -1, true).value(0).site.name, ivanov.name);
            // ...but its history stays whole and reachable by name.
            QCOMPARE(b->revisions(main->id).size(), 1);
            QCOMPARE(b->revision(ivanov.name, &error)->id, r.id);
            QVERIFY(b->site(ivanov.name)->archived);
            // Recording into it goes on as before.
            book::Revision later;
            later.configuration = c;
            later.controllerId = main->id;
            QVERIFY2(b->record(later, &error), qPrintable(error));
            QCOMPARE(later.parent, r.id);
            // A bundle of the whole book carries it, archived.
            const QString bundle = m_dir.filePath(QStringLiteral("archived%1.json").arg(m_rows));
            QVERIFY2(b->exportBundle({}, bundle, &error), qPrintable(error));
            auto other = book::Book::open(m_dir.filePath(QStringLiteral("archived%1.sqlite").arg(m_rows)), &error);
            QVERIFY2(other && other->importBundle(bundle, &error), qPrintable(error));
            QCOMPARE(contents(*other), contents(*b));
            // Taken out of the archive, it is found again.
            ivanov.archived = false;
            QVERIFY2(b->editSite(ivanov, &error), qPrintable(error));
            QCOMPARE(b->search(QStringLiteral("671234567")).value(0).site.name, ivanov.name);
        } else if (what == QLatin1String("many at once")) {
            book::Revision first;
            first.configuration = a;
            first.controllerId = main->id;
            QVERIFY2(b->record(first, &error), qPrintable(error));
            const auto store = b->controllerOf(ivanov.name + QStringLiteral("/Склад"), &error);
            QVERIFY(store);
            QList<book::Revision> batch;
            for (const auto &[text, controller] : {std::pair{c, main->id}, std::pair{a, store->id}, std::pair{numbered(5), main->id},
                                                   std::pair{numbered(6), qint64(0)}}) {
                book::Revision r;
                r.configuration = text;
                r.kind = book::Kind::Import;
                r.controllerId = controller;
                batch << r;
            }
            QVERIFY2(b->recordAll(batch, &error), qPrintable(error));
            // Each follows the one before it of its controller, the book's latest first.
            QCOMPARE(batch[0].parent, first.id);
            QCOMPARE(batch[1].parent, QString());
            QCOMPARE(batch[2].parent, batch[0].id);
            QCOMPARE(b->latest(main->id)->id, batch[2].id);
            QCOMPARE(batch[1].controller, QStringLiteral("Склад"));
            QCOMPARE(batch[0].site, ivanov.name);
            QCOMPARE(b->unassigned().size(), 1);
            QCOMPARE(b->revision(batch[2].shortId(), &error)->configuration, numbered(5));
            // The site's search text took in every one of them.
            QCOMPARE(b->search(QStringLiteral("0500000005")).value(0).site.name, ivanov.name);
            // One that is not a configuration: none of them is kept.
            QList<book::Revision> spoilt(2);
            spoilt[0].configuration = numbered(11);
            spoilt[0].controllerId = main->id;
            spoilt[1].configuration = "not a configuration";
            spoilt[1].controllerId = main->id;
            QVERIFY(!b->recordAll(spoilt, &error));
            QCOMPARE(b->revisions(main->id).size(), 3);
            QVERIFY(b->search(QStringLiteral("0500000011")).isEmpty());
        } else if (what == QLatin1String("two processes")) {
            QProcess one, two;
            startChild(one, location, ivanov.name, 25);
            startChild(two, location, ivanov.name, 25);
            QVERIFY(one.waitForFinished(120000));
            QVERIFY(two.waitForFinished(120000));
            QCOMPARE(one.exitCode(), 0);
            QCOMPARE(two.exitCode(), 0);
            const QStringList ids = childIds(one) + childIds(two);
            QCOMPARE(ids.size(), 50);
            QList<book::Revision> all = b->revisions(main->id);
            QCOMPARE(all.size(), 50);
            QSet<QString> stored;
            for (const book::Revision &r : all)
                stored.insert(r.id);
            for (const QString &id : ids)
                QVERIFY2(stored.contains(id), qPrintable(id));
        } else if (what == QLatin1String("kill -9")) {
            QProcess child;
            startChild(child, location, ivanov.name, 0);
            QByteArray seen;
            while (seen.count("recorded ") < 20 && child.waitForReadyRead(60000))
                seen += child.readAllStandardOutput();
            QVERIFY(seen.count("recorded ") >= 20);
            child.kill(); // SIGKILL: in the middle of whatever it does
            QVERIFY(child.waitForFinished(60000));
            seen += child.readAllStandardOutput();
            b.reset();
            b = book::Book::open(location, &error);
            QVERIFY2(b, qPrintable(error));
            QSet<QString> stored;
            for (const book::Revision &r : b->revisions(main->id)) {
                stored.insert(r.id);
                QCOMPARE(book::fingerprintOfText(r.configuration), r.fingerprint);
            }
            for (const QByteArray &line : seen.split('\n')) {
                if (line.startsWith("recorded "))
                    QVERIFY(stored.contains(QString::fromLatin1(line.mid(9).trimmed())));
            }
            if (engine == QLatin1String("sqlite")) {
                b.reset();
                {
                    QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
                    raw.setDatabaseName(location);
                    QVERIFY(raw.open());
                    QSqlQuery q(raw);
                    QVERIFY(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
                    QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
                    q.finish();
                    raw.close();
                }
                QSqlDatabase::removeDatabase(QStringLiteral("check"));
                b = book::Book::open(location, &error);
                QVERIFY2(b, qPrintable(error));
            }
            // It goes on recording after.
            book::Revision r;
            r.configuration = a;
            r.controllerId = main->id;
            QVERIFY2(b->record(r, &error), qPrintable(error));
        } else if (what == QLatin1String("unreachable server")) {
            if (engine == QLatin1String("sqlite")) {
                // A file is always at hand: nothing waits.
                QCOMPARE(b->outboxCount(), 0);
                QCOMPARE(b->sync(&error), 0);
                // A server that is not there: the local file keeps the revision.
                const QString nowhere = QStringLiteral("postgresql://") + m_pgUser + QLatin1Char('@')
                                        + QString::fromLatin1(QUrl::toPercentEncoding(m_dir.filePath(QStringLiteral("nosock")))) + QStringLiteral(":1/none");
                auto away = book::Book::open(nowhere, &error);
                if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
                    QVERIFY(!away);
                    QVERIFY(error.contains(QLatin1String("PostgreSQL")));
                    return;
                }
                QVERIFY2(away, qPrintable(error));
                QVERIFY(away->outboxOnly());
                book::Site s = named(QStringLiteral("Далеко"));
                QVERIFY2(away->addSite(s, &error), qPrintable(error));
                book::Revision r;
                r.configuration = a;
                r.controllerId = away->controllerOf(s.name, &error)->id;
                QVERIFY2(away->record(r, &error), qPrintable(error));
                QCOMPARE(away->outboxCount(), 1);
                QCOMPARE(away->sync(&error), -1);
                QCOMPARE(away->outboxCount(), 1);
                return;
            }
            b.reset();
            QVERIFY(pgStop());
            m_pgUp = false;
            auto away = book::Book::open(location, &error);
            QVERIFY2(away, qPrintable(error));
            QVERIFY(away->outboxOnly());
            const auto c2 = away->controllerOf(ivanov.name, &error);
            // The local file has never seen the site: it is made there by name.
            QVERIFY(!c2);
            book::Site local = named(ivanov.name);
            QVERIFY2(away->addSite(local, &error), qPrintable(error));
            book::Revision r1, r2;
            r1.configuration = a;
            r1.controllerId = away->controllerOf(ivanov.name, &error)->id;
            r2.configuration = c;
            QVERIFY2(away->recordWrite(a, r2, &error), qPrintable(error));
            QVERIFY2(away->record(r1, &error), qPrintable(error));
            QCOMPARE(away->outboxCount(), 3);
            QCOMPARE(away->sync(&error), -1);
            QCOMPARE(away->outboxCount(), 3);
            QVERIFY(pgStart());
            m_pgUp = true;
            QCOMPARE(away->sync(&error), 3);
            QCOMPARE(away->outboxCount(), 0);
            QCOMPARE(away->sync(&error), 0);
            away.reset();
            b = book::Book::open(location, &error);
            QVERIFY2(b, qPrintable(error));
            QVERIFY(!b->outboxOnly());
            QCOMPARE(b->revisions(main->id).size(), 1);
            QCOMPARE(b->revisions(main->id).first().id, r1.id);
            QCOMPARE(b->unassigned().size(), 2);
        } else if (what == QLatin1String("export import") || what == QLatin1String("tampered bundle")) {
            book::Revision w;
            w.configuration = c;
            w.kind = book::Kind::Write;
            w.controllerId = main->id;
            QVERIFY2(b->recordWrite(a, w, &error), qPrintable(error));
            book::Revision loose;
            loose.configuration = numbered(7);
            loose.kind = book::Kind::Write;
            QVERIFY2(b->record(loose, &error), qPrintable(error));
            const QString bundle = m_dir.filePath(QStringLiteral("bundle%1.json").arg(m_rows));
            QVERIFY2(b->exportBundle({}, bundle, &error), qPrintable(error));
            // The other book is always a file: the bundle is the way between the two.
            const QString second = m_dir.filePath(QStringLiteral("second%1.sqlite").arg(m_rows));
            auto other = book::Book::open(second, &error);
            QVERIFY(other);
            if (what == QLatin1String("tampered bundle")) {
                QFile f(bundle);
                QVERIFY(f.open(QIODevice::ReadOnly));
                QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
                f.close();
                QJsonArray sites = root[QStringLiteral("sites")].toArray();
                QJsonObject site = sites[0].toObject();
                QJsonArray controllers = site[QStringLiteral("controllers")].toArray();
                QJsonObject controller = controllers[0].toObject();
                QJsonArray revs = controller[QStringLiteral("revisions")].toArray();
                QJsonObject rev = revs[0].toObject();
                rev[QStringLiteral("configuration")] = rev[QStringLiteral("configuration")].toString().replace(QStringLiteral("+380679999999"), QStringLiteral("+380670000000"));
                revs[0] = rev;
                controller[QStringLiteral("revisions")] = revs;
                controllers[0] = controller;
                site[QStringLiteral("controllers")] = controllers;
                sites[0] = site;
                root[QStringLiteral("sites")] = sites;
                QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                f.write(QJsonDocument(root).toJson());
                f.close();
                QVERIFY(!other->importBundle(bundle, &error));
                QVERIFY2(error.contains(rev[QStringLiteral("id")].toString().left(8)), qPrintable(error));
                QVERIFY(contents(*other).isEmpty());
                return;
            }
            const auto result = other->importBundle(bundle, &error);
            QVERIFY2(result, qPrintable(error));
            QCOMPARE(result->added, 3);
            QCOMPARE(result->sites, 1);
            QCOMPARE(contents(*other), contents(*b));
            QVERIFY(!contents(*b).isEmpty());
            // Twice changes nothing.
            const auto again = other->importBundle(bundle, &error);
            QVERIFY(again);
            QCOMPARE(again->added, 0);
            QCOMPARE(again->known, 3);
            QCOMPARE(contents(*other), contents(*b));
            // Both sides record, swap bundles, and end equal.
            book::Revision there;
            there.configuration = numbered(8);
            there.controllerId = other->controllerOf(ivanov.name, &error)->id;
            QVERIFY2(other->record(there, &error), qPrintable(error));
            book::Site newSite = named(QStringLiteral("Новый"));
            QVERIFY2(b->addSite(newSite, &error), qPrintable(error));
            book::Revision here;
            here.configuration = numbered(9);
            here.controllerId = b->controllerOf(newSite.name, &error)->id;
            QVERIFY2(b->record(here, &error), qPrintable(error));
            const QString back = m_dir.filePath(QStringLiteral("back%1.json").arg(m_rows));
            QVERIFY2(other->exportBundle({}, back, &error), qPrintable(error));
            QVERIFY2(b->exportBundle({}, bundle, &error), qPrintable(error));
            QVERIFY2(other->importBundle(bundle, &error), qPrintable(error));
            QVERIFY2(b->importBundle(back, &error), qPrintable(error));
            QCOMPARE(contents(*other), contents(*b));
        }
    }

    // A file that is not a book is refused by name and stays as it was.
    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        QTest::newRow("text") << QByteArray("just some text, not a database at all\n").repeated(200) << QStringLiteral("not a site book");
        QTest::newRow("other database") << QByteArray("other") << QStringLiteral("something else");
        QTest::newRow("newer") << QByteArray("newer") << QStringLiteral("newer version");
        QTest::newRow("damaged") << QByteArray("damaged") << QStringLiteral("book");
        // Past the size checked whole: its small tables are still checked.
        QTest::newRow("damaged, large") << QByteArray("damaged large") << QStringLiteral("damaged site book");
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        const QString path = m_dir.filePath(QStringLiteral("refused-%1.sqlite").arg(QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-'))));
        QString error;
        const bool large = bytes == "damaged large";
        if (large)
            bytes = "damaged";
        if (bytes == "other" || bytes == "newer" || bytes == "damaged") {
            {
                QSqlDatabase raw = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
                raw.setDatabaseName(path);
                QVERIFY(raw.open());
                QSqlQuery q(raw);
                if (bytes == "other") {
                    QVERIFY(q.exec(QStringLiteral("CREATE TABLE notes (x TEXT)")));
                } else {
                    raw.close();
                    auto b = book::Book::open(path, &error);
                    QVERIFY(b);
                    book::Site s = named(QStringLiteral("x"));
                    for (int i = 0; i < 50; ++i) {
                        s.name = QStringLiteral("site %1").arg(i);
                        s.notes = QString(500, QLatin1Char('n'));
                        QVERIFY2(b->addSite(s, &error), qPrintable(error));
                    }
                    if (large) {
                        QList<book::Revision> many(4500);
                        const QByteArray text = numbered(1);
                        const QString print = book::fingerprintOfText(text);
                        for (book::Revision &r : many) {
                            r.configuration = text;
                            r.fingerprint = print;
                        }
                        QVERIFY2(b->recordAll(many, &error), qPrintable(error));
                    }
                    b.reset();
                    QVERIFY(raw.open());
                    QSqlQuery v(raw);
                    QVERIFY(v.exec(QStringLiteral("PRAGMA journal_mode=DELETE")));
                    if (bytes == "newer")
                        QVERIFY(v.exec(QStringLiteral("UPDATE book_version SET version = 99")));
                }
                raw.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("make"));
            if (bytes == "damaged") {
                // Pages past the first overwritten.
                QFile f(path);
                QVERIFY(f.open(QIODevice::ReadWrite));
                QVERIFY(f.size() > (large ? 32 << 20 : 8192));
                f.seek(4096);
                f.write(QByteArray(4096, '\xA5'));
                f.close();
            }
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            bytes = f.readAll();
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        QVERIFY(!book::Book::open(path, &error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY2(error.contains(why), qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
        QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 5 && args[1] == QLatin1String("--record"))
        return recordChild(args);
    tst_Book test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_book.moc"
