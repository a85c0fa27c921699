#include "cli/booktool.h"

#include "book/book.h"
#include "cli/tool.h"
#include "config/configform.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

namespace {

struct BookTool
{
    Q_DECLARE_TR_FUNCTIONS(BookTool)

public:
    enum Exit { Done = 0, NotFound = 1, UsageError = 2, Differences = 3 };

    BookTool(const BookOptions &options, QTextStream &out, QTextStream &err) : o(options), out(out), err(err) {}

    const BookOptions &o;
    QTextStream &out;
    QTextStream &err;
    QString command;
    std::unique_ptr<book::Book> b;

    int fail(int status, const QString &message)
    {
        err << "tavrix-cli: " << message << '\n';
        err.flush();
        if (o.json)
            emitJson({{QStringLiteral("error"), message}, {QStringLiteral("status"), status}});
        return status;
    }

    void emitJson(QJsonObject object)
    {
        object.insert(QStringLiteral("command"), QStringLiteral("book ") + command);
        out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
        out.flush();
    }

    bool open()
    {
        QString why;
        book::Origin origin;
        origin.operatorName = o.operatorName;
        b = book::Book::open(book::locationFrom(o.book), &why, origin);
        if (!b) {
            fail(UsageError, tr("the site book: %1").arg(why));
            return false;
        }
        if (b->outboxOnly()) {
            err << "tavrix-cli: " << tr("the site book: %1; showing this computer's book").arg(why) << '\n';
            err.flush();
        }
        return true;
    }

    static QString when(const QDateTime &t)
    {
        return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }

    static QJsonObject revisionJson(const book::Revision &r)
    {
        return {{QStringLiteral("id"), r.id},
                {QStringLiteral("time"), r.time.toUTC().toString(Qt::ISODateWithMs)},
                {QStringLiteral("operator"), r.operatorName},
                {QStringLiteral("machine"), r.machine},
                {QStringLiteral("port"), r.port},
                {QStringLiteral("kind"), book::kindName(r.kind)},
                {QStringLiteral("proved"), r.proved},
                {QStringLiteral("fingerprint"), r.fingerprint},
                {QStringLiteral("parent"), r.parent.isEmpty() ? QJsonValue() : QJsonValue(r.parent)},
                {QStringLiteral("site"), r.site.isEmpty() ? QJsonValue() : QJsonValue(r.site)},
                {QStringLiteral("controller"), r.controller.isEmpty() ? QJsonValue() : QJsonValue(r.controller)}};
    }

    static QJsonObject siteJson(const book::Site &s)
    {
        return {{QStringLiteral("name"), s.name},
                {QStringLiteral("address"), s.address},
                {QStringLiteral("contact"), s.contact},
                {QStringLiteral("notes"), s.notes},
                {QStringLiteral("archived"), s.archived}};
    }

    void printRevisions(const QList<book::Revision> &revisions, bool withSite)
    {
        QList<QStringList> rows{{tr("Revision"), tr("Time"), tr("Operator"), tr("Kind"), tr("Proved"), tr("Fingerprint"), tr("Port")}};
        if (withSite)
            rows.first() << tr("Site");
        for (const book::Revision &r : revisions) {
            rows << QStringList{r.shortId(), when(r.time), r.operatorName, book::kindName(r.kind),
                                r.proved ? tr("yes") : tr("no"), r.fingerprint, r.port.isEmpty() ? QStringLiteral("-") : r.port};
            if (withSite)
                rows.last() << (r.site.isEmpty() ? QStringLiteral("-") : r.site + QLatin1Char('/') + r.controller);
        }
        printTable(out, rows);
    }

    int sites(const QStringList &args)
    {
        if (args.size() > 1)
            return fail(UsageError, tr("book sites takes at most one search text"));
        const QList<book::Found> found = b->search(args.value(0), -1, o.all);
        if (o.json) {
            QJsonArray list;
            for (const book::Found &f : found) {
                QJsonObject s = siteJson(f.site);
                if (!f.matched.isEmpty())
                    s.insert(QStringLiteral("matched"), f.matched);
                list.append(s);
            }
            emitJson({{QStringLiteral("sites"), list}});
        } else {
            QList<QStringList> rows{{tr("Site"), tr("Address"), tr("Contact"), tr("Found by")}};
            for (const book::Found &f : found)
                rows << QStringList{f.site.archived ? f.site.name + tr(" (archived)") : f.site.name, f.site.address,
                                    f.site.contact, f.matched};
            printTable(out, rows);
        }
        return found.isEmpty() && !args.isEmpty() ? NotFound : Done;
    }

    int site(const QStringList &args)
    {
        if (args.size() != 1)
            return fail(UsageError, tr("book site takes one site name"));
        const auto s = b->site(args[0]);
        if (!s)
            return fail(NotFound, tr("the book has no site named %1").arg(args[0]));
        const QList<book::Controller> controllers = b->controllers(s->id);
        if (o.json) {
            QJsonObject card = siteJson(*s);
            QJsonArray list;
            for (const book::Controller &c : controllers) {
                QJsonArray revs;
                for (const book::Revision &r : b->revisions(c.id))
                    revs.append(revisionJson(r));
                list.append(QJsonObject{{QStringLiteral("label"), c.label}, {QStringLiteral("revisions"), revs}});
            }
            card.insert(QStringLiteral("controllers"), list);
            emitJson({{QStringLiteral("site"), card}});
            return Done;
        }
        out << tr("Site: %1").arg(s->name) << (s->archived ? tr(" (archived)") : QString()) << '\n'
            << tr("Address: %1").arg(s->address) << '\n'
            << tr("Contact: %1").arg(s->contact) << '\n'
            << tr("Notes: %1").arg(s->notes) << '\n';
        for (const book::Controller &c : controllers) {
            out << '\n' << tr("Controller: %1").arg(c.label) << '\n';
            printRevisions(b->revisions(c.id), false);
        }
        out.flush();
        return Done;
    }

    int add(const QStringList &args)
    {
        if (args.size() != 1)
            return fail(UsageError, tr("book add takes one site name: book add NAME [--address A] [--contact C] [--note N]"));
        book::Site s;
        s.name = args[0];
        s.address = o.address;
        s.contact = o.contact;
        s.notes = o.note;
        QString why;
        if (!b->addSite(s, &why))
            return fail(UsageError, why);
        if (o.json)
            emitJson({{QStringLiteral("site"), siteJson(s)}});
        err << tr("%1 added to the site book").arg(s.name) << '\n';
        err.flush();
        return Done;
    }

    int edit(const QStringList &args)
    {
        if (args.size() != 1)
            return fail(UsageError, tr("book edit takes one site name: book edit NAME [--address A] [--contact C] [--note N]"));
        auto s = b->site(args[0]);
        if (!s)
            return fail(NotFound, tr("the book has no site named %1").arg(args[0]));
        if (!o.address.isNull())
            s->address = o.address;
        if (!o.contact.isNull())
            s->contact = o.contact;
        if (!o.note.isNull())
            s->notes = o.note;
        QString why;
        if (!b->editSite(*s, &why))
            return fail(UsageError, why);
        if (o.json)
            emitJson({{QStringLiteral("site"), siteJson(*s)}});
        return Done;
    }

    // Archived rather than deleted: the site leaves the listings, its history stays.
    int archive(const QStringList &args)
    {
        const bool archiving = command == QLatin1String("archive");
        if (args.size() != 1)
            return fail(UsageError, tr("book %1 takes one site name").arg(command));
        auto s = b->site(args[0]);
        if (!s)
            return fail(NotFound, tr("the book has no site named %1").arg(args[0]));
        s->archived = archiving;
        QString why;
        if (!b->editSite(*s, &why))
            return fail(UsageError, why);
        if (o.json)
            emitJson({{QStringLiteral("site"), siteJson(*s)}});
        err << (archiving ? tr("%1 archived: its history stays, book sites --all lists it").arg(s->name)
                          : tr("%1 taken out of the archive").arg(s->name))
            << '\n';
        err.flush();
        return Done;
    }

    int unassigned(const QStringList &args)
    {
        if (!args.isEmpty())
            return fail(UsageError, tr("book unassigned takes no arguments"));
        const QList<book::Revision> revisions = b->unassigned();
        if (o.json) {
            QJsonArray list;
            for (const book::Revision &r : revisions)
                list.append(revisionJson(r));
            emitJson({{QStringLiteral("revisions"), list}});
        } else {
            printRevisions(revisions, false);
        }
        return Done;
    }

    std::optional<book::Revision> revision(const QString &reference, int *status)
    {
        QString why;
        auto r = b->revision(reference, &why);
        if (!r)
            *status = fail(NotFound, why);
        return r;
    }

    int show(const QStringList &args)
    {
        if (args.size() != 1)
            return fail(UsageError, tr("book show takes one revision: a short id, or NAME[/CONTROLLER] for the latest"));
        int status = Done;
        const auto r = revision(args[0], &status);
        if (!r)
            return status;
        if (!o.output.isEmpty() && o.output != QLatin1String("-")) {
            QString why;
            if (!config::save(o.output, r->configuration, &why))
                return fail(UsageError, tr("%1 cannot be written: %2").arg(o.output, why));
        }
        if (o.json) {
            QJsonObject object{{QStringLiteral("revision"), revisionJson(*r)}};
            if (o.output.isEmpty() || o.output == QLatin1String("-"))
                object.insert(QStringLiteral("configuration"), QString::fromUtf8(r->configuration));
            emitJson(object);
        } else if (o.output.isEmpty() || o.output == QLatin1String("-")) {
            out << QString::fromUtf8(r->configuration);
            out.flush();
        }
        return Done;
    }

    int diff(const QStringList &args)
    {
        if (args.size() != 2)
            return fail(UsageError, tr("book diff takes two revisions: book diff REV REV"));
        int status = Done;
        const auto a = revision(args[0], &status);
        if (!a)
            return status;
        const auto c = revision(args[1], &status);
        if (!c)
            return status;
        const QList<config::Difference> diffs = b->diff(*a, *c);
        const config::Catalog &catalog = config::windowCatalog();
        if (o.json) {
            QJsonArray list;
            for (const config::Difference &d : diffs)
                list.append(QJsonObject{{QStringLiteral("name"), d.control->name},
                                        {QStringLiteral("page"), catalog.pageTitle(d.control->page)},
                                        {QStringLiteral("caption"), d.control->caption},
                                        {QStringLiteral("a"), d.a},
                                        {QStringLiteral("b"), d.b}});
            emitJson({{QStringLiteral("a"), revisionJson(*a)}, {QStringLiteral("b"), revisionJson(*c)}, {QStringLiteral("differences"), list}});
        } else if (diffs.isEmpty()) {
            err << tr("No differences.") << '\n';
            err.flush();
        } else {
            QList<QStringList> rows{{tr("Page"), tr("Caption"), tr("Name"), a->shortId(), c->shortId()}};
            for (const config::Difference &d : diffs)
                rows << QStringList{catalog.pageTitle(d.control->page), d.control->caption, d.control->name,
                                    catalog.shown(*d.control, d.a), catalog.shown(*d.control, d.b)};
            printTable(out, rows);
        }
        return diffs.isEmpty() ? Done : Differences;
    }

    int assign(const QStringList &args)
    {
        if (args.size() != 2)
            return fail(UsageError, tr("book assign takes a revision and a site: book assign REV NAME[/CONTROLLER]"));
        int status = Done;
        const auto r = revision(args[0], &status);
        if (!r)
            return status;
        QString why;
        const auto c = b->controllerOf(args[1], &why);
        if (!c)
            return fail(NotFound, why);
        if (!b->assign(r->id, c->id, &why))
            return fail(UsageError, why);
        const auto after = b->revision(r->id, &why);
        if (o.json && after)
            emitJson({{QStringLiteral("revision"), revisionJson(*after)}});
        err << tr("%1 assigned to %2").arg(r->shortId(), args[1]) << '\n';
        err.flush();
        return Done;
    }

    int exportBundle(const QStringList &args)
    {
        if (o.output.isEmpty() || o.output == QLatin1String("-"))
            return fail(UsageError, tr("book export needs -o FILE"));
        QString why;
        for (const QString &name : args) {
            if (!b->site(name))
                return fail(NotFound, tr("the book has no site named %1").arg(name));
        }
        if (!b->exportBundle(args, o.output, &why))
            return fail(UsageError, why);
        if (o.json)
            emitJson({{QStringLiteral("file"), o.output}});
        err << tr("exported to %1").arg(o.output) << '\n';
        err.flush();
        return Done;
    }

    int importBundle(const QStringList &args)
    {
        if (args.size() != 1)
            return fail(UsageError, tr("book import takes one bundle file"));
        QString why;
        const auto result = b->importBundle(args[0], &why);
        if (!result)
            return fail(UsageError, why);
        if (o.json)
            emitJson({{QStringLiteral("added"), result->added}, {QStringLiteral("known"), result->known}, {QStringLiteral("sites"), result->sites}});
        err << tr("%1 revision(s) added, %2 already in the book, %3 site(s) made").arg(result->added).arg(result->known).arg(result->sites)
            << '\n';
        err.flush();
        return Done;
    }

    int sync(const QStringList &args)
    {
        if (!args.isEmpty())
            return fail(UsageError, tr("book sync takes no arguments"));
        QString why;
        const int sent = b->sync(&why);
        if (sent < 0)
            return fail(UsageError, tr("the shared book: %1; %2 revision(s) still wait").arg(why).arg(b->outboxCount()));
        if (o.json)
            emitJson({{QStringLiteral("sent"), sent}, {QStringLiteral("waiting"), b->outboxCount()}});
        err << tr("%1 revision(s) sent, %2 waiting").arg(sent).arg(b->outboxCount()) << '\n';
        err.flush();
        return Done;
    }
};

} // namespace

int runBook(const QStringList &args, const BookOptions &options, QTextStream &out, QTextStream &err)
{
    BookTool tool(options, out, err);
    if (args.isEmpty())
        return tool.fail(BookTool::UsageError, BookTool::tr("book needs a command: sites, site, add, edit, archive, unarchive, "
                                                            "unassigned, show, diff, assign, export, import or sync"));
    tool.command = args.first();
    const QStringList rest = args.mid(1);
    const QString &c = tool.command;
    using Run = int (BookTool::*)(const QStringList &);
    const QList<QPair<QString, Run>> commands{
        {QStringLiteral("sites"), &BookTool::sites},       {QStringLiteral("site"), &BookTool::site},
        {QStringLiteral("add"), &BookTool::add},           {QStringLiteral("edit"), &BookTool::edit},
        {QStringLiteral("archive"), &BookTool::archive},   {QStringLiteral("unarchive"), &BookTool::archive},
        {QStringLiteral("unassigned"), &BookTool::unassigned}, {QStringLiteral("show"), &BookTool::show},
        {QStringLiteral("diff"), &BookTool::diff},         {QStringLiteral("assign"), &BookTool::assign},
        {QStringLiteral("export"), &BookTool::exportBundle}, {QStringLiteral("import"), &BookTool::importBundle},
        {QStringLiteral("sync"), &BookTool::sync}};
    for (const auto &[name, run] : commands) {
        if (name != c)
            continue;
        const bool fields = c == QLatin1String("add") || c == QLatin1String("edit");
        if (!fields && (!options.address.isNull() || !options.contact.isNull() || !options.note.isNull()))
            return tool.fail(BookTool::UsageError, BookTool::tr("--address, --contact and --note belong to book add and book edit"));
        if (options.all && c != QLatin1String("sites"))
            return tool.fail(BookTool::UsageError, BookTool::tr("--all belongs to ports and book sites"));
        if (!options.output.isEmpty() && c != QLatin1String("show") && c != QLatin1String("export"))
            return tool.fail(BookTool::UsageError, BookTool::tr("-o belongs to book show and book export"));
        if (!tool.open())
            return BookTool::UsageError;
        return (tool.*run)(rest);
    }
    return tool.fail(BookTool::UsageError, BookTool::tr("unknown book command '%1'").arg(c));
}
