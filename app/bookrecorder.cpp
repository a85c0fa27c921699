#include "app/bookrecorder.h"

#include "config/catalog.h"
#include "config/configform.h"
#include "link/exchangejournal.h"

#include <QSettings>

namespace {

const char kOperatorKey[] = "book/operator";
const char kLocationKey[] = "book/location";

// The program's settings file, the one the production line keeps its ports in.
QSettings programSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tavrix"), QStringLiteral("configurator"));
}

QByteArray textOf(const config::Configuration &cfg)
{
    return config::windowCatalog().render(cfg);
}

} // namespace

BookRecorder::BookRecorder(ExchangeJournal &journal, QObject *parent) : QObject(parent), m_journal(journal) {}

BookRecorder::~BookRecorder() = default;

QString BookRecorder::operatorSetting()
{
    return programSettings().value(QLatin1String(kOperatorKey)).toString();
}

QString BookRecorder::locationSetting()
{
    return programSettings().value(QLatin1String(kLocationKey)).toString();
}

void BookRecorder::saveSettings(const QString &operatorName, const QString &location)
{
    QSettings settings = programSettings();
    settings.setValue(QLatin1String(kOperatorKey), operatorName.trimmed());
    settings.setValue(QLatin1String(kLocationKey), location.trimmed());
}

QString BookRecorder::location()
{
    // TAVRIX_BOOK names the book for this run, over the window's settings.
    const QString given = qEnvironmentVariable("TAVRIX_BOOK");
    return book::locationFrom(given.isEmpty() ? locationSetting() : given);
}

book::Book *BookRecorder::book()
{
    if (!m_book && !m_triedOpen) {
        m_triedOpen = true;
        book::Origin origin;
        origin.operatorName = operatorSetting();
        m_error.clear();
        m_book = book::Book::open(location(), &m_error, origin);
        if (!m_book)
            note(QStringLiteral("журнал объектов недоступен: %1").arg(m_error));
    }
    return m_book.get();
}

void BookRecorder::reopen()
{
    // The controller named stays named by its site and label in the other book.
    m_book.reset();
    m_triedOpen = false;
    if (m_controller.id && book()) {
        QString error;
        const auto site = m_book->site(m_siteName);
        const auto c = site ? m_book->controller(site->id, m_controller.label, true, &error) : std::nullopt;
        m_controller = c.value_or(book::Controller{});
        if (!c)
            m_siteName.clear();
    }
    m_unassigned.clear();
    m_matchRevision.clear();
    m_matched = false;
    emit changed();
}

QString BookRecorder::siteText() const
{
    if (!m_controller.id)
        return QStringLiteral("Объект: не выбран");
    return QStringLiteral("Объект: %1/%2").arg(m_siteName, m_controller.label);
}

QString BookRecorder::outboxText()
{
    const int waiting = m_book ? m_book->outboxCount() : 0;
    return waiting > 0 ? QStringLiteral("%1 записей ждут отправки в общий журнал").arg(waiting) : QString();
}

QString BookRecorder::port() const
{
    return m_port;
}

void BookRecorder::note(const QString &text)
{
    m_journal.note(port(), text);
}

void BookRecorder::failed(const QString &what)
{
    // The controller has what it has; only the book missed it.
    note(QStringLiteral("журнал объектов: не записано: %1").arg(what));
}

book::Revision BookRecorder::made(const config::Configuration &cfg, book::Kind kind) const
{
    book::Revision r;
    r.configuration = textOf(cfg);
    r.kind = kind;
    r.port = port();
    r.device = m_device;
    r.controllerId = m_controller.id;
    return r;
}

void BookRecorder::connected(const QString &port, const QString &device)
{
    // A book that could not be opened is tried again with every connection.
    if (!m_book)
        m_triedOpen = false;
    m_port = port;
    m_device = device;
    m_connectedAt = QDateTime::currentDateTimeUtc();
    m_asked = false;
    m_lastRead.clear();
    m_lastReadKept = false;
}

void BookRecorder::disconnected()
{
    if (m_undoPending)
        recordUndo(false);
    // The next controller on the cable may be another one.
    m_port.clear();
    m_device.clear();
    m_controller = {};
    m_siteName.clear();
    m_matched = false;
    m_matchRevision.clear();
    m_unassigned.clear();
    m_lastRead.clear();
    m_lastReadKept = false;
    emit changed();
}

void BookRecorder::settingsRead(const config::Configuration &read)
{
    const QByteArray text = textOf(read);
    if (m_undoPending) {
        const QString print = book::fingerprintOfText(text);
        recordUndo(!print.isEmpty() && print == book::fingerprintOfText(m_undoWritten));
    }
    m_lastRead = text;
    m_lastReadKept = false;
    book::Book *b = book();
    if (!b) {
        emit changed();
        return;
    }
    bool justMatched = false;
    if (!m_controller.id) {
        const book::Recognition found = b->recognise(text);
        if (found.how == book::Recognition::Nobody) {
            if (!std::exchange(m_asked, true))
                emit unknownController();
            emit changed();
            return;
        }
        m_controller = found.controller;
        m_siteName = found.site.name;
        m_matched = justMatched = true;
        m_matchedBy = found.how == book::Recognition::ByFingerprint ? QStringLiteral("по отпечатку настроек")
                                                                     : QStringLiteral("по номерам абонентов");
        note(QStringLiteral("журнал объектов: контроллер узнан %1: %2/%3").arg(m_matchedBy, m_siteName, m_controller.label));
    }
    book::Revision r = made(read, book::Kind::Read);
    r.configuration = text;
    r.proved = true;
    bool stored = false;
    QString error;
    if (!b->recordRead(r, &stored, &error)) {
        failed(error);
    } else {
        m_lastReadKept = true;
        if (stored) {
            if (justMatched)
                m_matchRevision = r.id;
            emit recorded(r);
        }
    }
    emit changed();
}

void BookRecorder::written(const config::Configuration &before, bool beforeKnown, const config::Configuration &now,
                           bool revert)
{
    if (revert) {
        // Proved or not by the read-back that follows it.
        m_undoPending = true;
        m_undoBefore = beforeKnown ? textOf(before) : QByteArray();
        m_undoWritten = textOf(now);
        return;
    }
    // The read before it is history now: the write recorded what it replaced.
    m_lastRead.clear();
    book::Book *b = book();
    if (!b)
        return;
    book::Revision r = made(now, book::Kind::Write);
    QString error;
    if (!b->recordWrite(beforeKnown ? textOf(before) : QByteArray(), r, &error)) {
        failed(error);
        return;
    }
    if (!r.controllerId) {
        m_unassigned << r.id;
        // What it held, when this connection recorded it, goes with it later.
        if (const auto parent = r.parent.isEmpty() ? std::nullopt : b->revision(r.parent, nullptr);
            parent && !parent->controllerId && parent->time >= m_connectedAt.addSecs(-1))
            m_unassigned << parent->id;
    }
    emit recorded(r);
    emit changed();
}

void BookRecorder::recordUndo(bool proved)
{
    m_undoPending = false;
    book::Book *b = book();
    if (!b)
        return;
    book::Revision r;
    r.configuration = m_undoWritten;
    r.kind = book::Kind::Undo;
    r.proved = proved;
    r.port = port();
    r.device = m_device;
    r.controllerId = m_controller.id;
    QString error;
    if (!b->recordWrite(m_undoBefore, r, &error)) {
        failed(error);
        return;
    }
    if (!r.controllerId)
        m_unassigned << r.id;
    emit recorded(r);
    emit changed();
}

void BookRecorder::choose(const book::Controller &controller, const QString &siteName)
{
    book::Book *b = book();
    if (!b || !controller.id)
        return;
    m_controller = controller;
    m_siteName = siteName;
    m_matched = false;
    m_matchRevision.clear();
    QString error;
    for (const QString &id : std::exchange(m_unassigned, {})) {
        if (!b->assign(id, controller.id, &error))
            failed(error);
    }
    note(QStringLiteral("журнал объектов: объект %1/%2").arg(siteName, controller.label));
    if (!m_lastRead.isEmpty() && !m_lastReadKept) {
        book::Revision r;
        r.configuration = m_lastRead;
        r.kind = book::Kind::Read;
        r.proved = true;
        r.port = port();
        r.device = m_device;
        r.controllerId = controller.id;
        bool stored = false;
        if (!b->recordRead(r, &stored, &error))
            failed(error);
        else
            m_lastReadKept = true;
        if (stored)
            emit recorded(r);
    }
    emit changed();
}

void BookRecorder::undoMatch()
{
    if (!m_matched)
        return;
    book::Book *b = book();
    QString error;
    if (b && !m_matchRevision.isEmpty() && !b->assign(m_matchRevision, 0, &error))
        failed(error);
    note(QStringLiteral("журнал объектов: узнавание отменено, %1/%2 не этот контроллер").arg(m_siteName, m_controller.label));
    m_controller = {};
    m_siteName.clear();
    m_matched = false;
    m_matchRevision.clear();
    // Its read waits for the site the user names.
    m_lastReadKept = false;
    emit changed();
}
