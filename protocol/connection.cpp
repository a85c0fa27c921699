#include "protocol/connection.h"

#include "link/serialchannel.h"

Connection::LineKind Connection::deviceKind()
{
    return {[] { return std::make_unique<SerialChannel>(); },
            [](const QString &port, const PortLine &line) {
                return refusalToOpen(port, static_cast<const SerialChannel &>(line));
            }};
}

QHash<QString, Connection::LineKind> &Connection::kinds()
{
    static QHash<QString, LineKind> registered;
    return registered;
}

void Connection::addKind(const QString &scheme, LineKind kind)
{
    kinds().insert(scheme.toLower(), std::move(kind));
}

QString Connection::schemeOf(const QString &port)
{
    const qsizetype colon = port.indexOf(QLatin1String("://"));
    // "C:\…" and "COM3" have none; a scheme is a word of letters, digits, '+', '-', '.'.
    if (colon < 2)
        return {};
    for (QChar c : port.left(colon)) {
        if (!c.isLetterOrNumber() && c != u'+' && c != u'-' && c != u'.')
            return {};
    }
    return port.left(colon).toLower();
}

Connection::Connection(Session::Timing timing, StepClock *clock, QObject *parent)
    : SerialLine(parent), m_clock(clock), m_session(*this, timing, clock)
{
}

Connection::Connection(LineKind only, Session::Timing timing, StepClock *clock, QObject *parent)
    : SerialLine(parent), m_only(std::move(only)), m_clock(clock), m_session(*this, timing, clock)
{
}

Connection::~Connection()
{
    // The session must not hear of a loss while the connection is half gone.
    if (m_line)
        m_line->disconnect(this);
}

Connection::LineKind Connection::kindFor(const QString &port) const
{
    if (m_only)
        return *m_only;
    const QString scheme = schemeOf(port);
    return kinds().value(scheme, deviceKind());
}

bool Connection::open(const QString &port)
{
    m_refusal = {};
    // A line of the same kind is opened again; another kind replaces it.
    const QString scheme = schemeOf(port);
    const QString key = m_only || !kinds().contains(scheme) ? QString() : scheme;
    const LineKind kind = kindFor(port);
    if (!m_line || key != m_lineKind) {
        if (m_line)
            m_line->disconnect(this);
        m_line = kind.make();
        m_lineKind = key;
        m_line->setJournal(m_journal, m_journalName);
        connect(m_line.get(), &SerialLine::lost, this, &SerialLine::lost);
    }
    // No name opens nothing; its kind says why (a device that has gone).
    if (!port.isEmpty() && m_line->open(port))
        return true;
    m_refusal = kind.refusal(port, *m_line);
    return false;
}

void Connection::close()
{
    if (m_line)
        m_line->close();
    m_session.end();
}

void Connection::setJournal(ExchangeJournal *journal, const QString &name)
{
    m_journal = journal;
    m_journalName = name;
    if (m_line)
        m_line->setJournal(journal, name);
}
