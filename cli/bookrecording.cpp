// What read, write and audit leave in the site book.
#include "book/book.h"
#include "cli/portrun.h"
#include "cli/tool.h"
#include "config/configform.h"

int Tool::openBook(const QList<int> &coms)
{
    const QString named = m_options.bookSite.trimmed();
    const bool automatic = named == QLatin1String("auto");
    if (!named.isEmpty() && !automatic && coms.size() > 1)
        return usage(Tool::tr("--site names one controller: give one port"));
    QString why;
    book::Origin origin;
    origin.operatorName = m_options.operatorName;
    m_book = book::Book::open(book::locationFrom(m_options.book), &why, origin);
    if (!m_book) {
        // The user asked for a site: without the book there is none to record under.
        if (!named.isEmpty() && !automatic)
            return usage(Tool::tr("the site book: %1").arg(why));
        bookWarning(why);
        return Done;
    }
    if (m_book->outboxOnly())
        bookWarning(Tool::tr("%1; the revisions wait in the outbox until `book sync`").arg(why));
    if (named.isEmpty() || automatic)
        return Done;
    const int slash = named.indexOf(QLatin1Char('/'));
    const QString siteName = (slash < 0 ? named : named.left(slash)).trimmed();
    if (!m_book->site(siteName) && m_book->outboxOnly()) {
        // The shared book, which knows the sites, is out of reach: the name is taken as
        // given, and the site made by it there when the outbox is sent.
        book::Site site;
        site.name = siteName;
        if (!m_book->addSite(site, &why))
            return usage(Tool::tr("the site book: %1").arg(why));
    }
    if (!m_book->site(siteName)) {
        const QStringList closest = m_book->closestNames(siteName);
        const QString message = closest.isEmpty()
                                    ? Tool::tr("--site: the book has no site named %1 (book add makes one)").arg(siteName)
                                    : Tool::tr("--site: the book has no site named %1; the closest: %2 (book add makes one)")
                                          .arg(siteName, closest.join(QStringLiteral(", ")));
        m_book.reset();
        return usage(message);
    }
    const auto controller = m_book->controllerOf(named, &why);
    if (!controller) {
        m_book.reset();
        return usage(Tool::tr("the site book: %1").arg(why));
    }
    m_bookController = controller->id;
    return Done;
}

void Tool::bookWarning(const QString &why)
{
    m_err << "tavrix-cli: " << Tool::tr("the site book: %1").arg(why) << '\n';
    m_err.flush();
}

qint64 Tool::bookControllerFor(PortRun &run, const QByteArray &text)
{
    if (m_bookController)
        return m_bookController;
    const book::Recognition found = m_book->recognise(text);
    if (found.how == book::Recognition::Nobody)
        return 0;
    const QString who = found.site.name + QLatin1Char('/') + found.controller.label;
    const QString how = found.how == book::Recognition::ByFingerprint ? Tool::tr("by its fingerprint")
                                                                      : Tool::tr("by its subscriber numbers");
    const bool automatic = m_options.bookSite.trimmed() == QLatin1String("auto");
    m_err << run.name << ": "
          << (automatic ? Tool::tr("recognised as %1 %2").arg(who, how)
                        : Tool::tr("recognised as %1 %2 (--site auto records it there)").arg(who, how))
          << '\n';
    m_err.flush();
    return automatic ? found.controller.id : 0;
}

void Tool::recordRead(PortRun &run, const QByteArray &text, book::Kind kind)
{
    if (!m_book)
        return;
    book::Revision r;
    r.configuration = text;
    r.kind = kind;
    r.proved = true; // what a read shows is what the controller holds
    r.port = run.name;
    r.device = m_map.devicePath(run.com);
    r.controllerId = bookControllerFor(run, text);
    bool stored = false;
    QString why;
    if (!m_book->recordRead(r, &stored, &why)) {
        bookWarning(why);
        return;
    }
    if (stored) {
        m_err << run.name << ": " << Tool::tr("recorded in the site book as %1 (%2/%3)").arg(r.shortId(), r.site, r.controller) << '\n';
        m_err.flush();
    }
}

void Tool::recordWrite(PortRun &run, bool proved)
{
    if (!m_book)
        return;
    const QByteArray held = run.plan.backupText();
    book::Revision r;
    r.configuration = m_catalog.render(run.plan.stored);
    r.kind = book::Kind::Write;
    r.proved = proved;
    r.port = run.name;
    r.device = m_map.devicePath(run.com);
    r.controllerId = bookControllerFor(run, held);
    QString why;
    if (!m_book->recordWrite(held, r, &why)) {
        bookWarning(why);
        return;
    }
    const QString where = r.site.isEmpty() ? Tool::tr("unassigned") : r.site + QLatin1Char('/') + r.controller;
    m_err << run.name << ": " << Tool::tr("recorded in the site book as %1 (%2)").arg(r.shortId(), where) << '\n';
    m_err.flush();
}
