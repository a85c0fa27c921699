#include "app/writesnapshots.h"

#include "config/backups.h"
#include "config/catalog.h"
#include "config/configform.h"
#include "link/exchangejournal.h"
#include "net/portnames.h"
#include "ui/desktop.h"

#include <QAction>
#include <QDir>

WriteSnapshots::WriteSnapshots(Controls &controls, ExchangeJournal &journal, QObject *parent)
    : QObject(parent), m_controls(controls), m_journal(journal)
{
    m_revert = new QAction(QStringLiteral("Вернуть прежние настройки"), this);
    m_revert->setObjectName(QStringLiteral("revertSettings"));
    m_revert->setEnabled(false);
    connect(m_revert, &QAction::triggered, this, &WriteSnapshots::revert);
}

void WriteSnapshots::connected(int com, const QString &device)
{
    disconnected();
    m_com = com;
    m_device = device;
}

report::ControllerRead WriteSnapshots::connection() const
{
    report::ControllerRead read = m_read;
    const config::Catalog &catalog = config::windowCatalog();
    read.changedSince = read.com > 0 && !catalog.compare(m_readHeld, catalog.capture(m_controls)).isEmpty();
    return read;
}

void WriteSnapshots::disconnected()
{
    m_com = 0;
    m_device.clear();
    m_held.clear();
    m_pending.clear();
    m_writtenSinceSnapshot = false;
    m_step = Step::None;
    update();
}

void WriteSnapshots::settingsRead(const QByteArray &record)
{
    m_held = record;
    m_read = {m_com, QDateTime::currentDateTime()};
    m_readHeld = config::windowCatalog().capture(m_controls);
    emit settingsTaken(m_readHeld);
}

bool WriteSnapshots::beforeWrite(const config::WritePlan &plan)
{
    // Nothing read in this connection: there is nothing known to keep. The write button
    // waits for the first read, so this is a write the user forced some other way.
    if (m_held.isEmpty())
        return true;
    // A network port's snapshots go under its address, never under a number of its own.
    const backups::Saved saved = portnames::isAddress(m_com) ? backups::save(plan.backupText(), portnames::name(m_com))
                                                             : backups::save(plan.backupText(), m_com);
    if (!saved.ok) {
        Desktop::instance().showError(
            QStringLiteral("Настройки не записаны: снимок прежних настроек контроллера не сохранён в папке %1: %2")
                .arg(saved.folder, saved.reason));
        m_step = Step::None;
        return false;
    }
    m_journal.note(portnames::name(m_com),
                   QStringLiteral("снимок прежних настроек перед записью: %1").arg(saved.path));
    m_snapshot = QDir::fromNativeSeparators(saved.path);
    return true;
}

void WriteSnapshots::writeSent(const QByteArray &record)
{
    m_pending = record;
    // A write of the user's own goes over a revert whose read back is still awaited.
    if (m_step == Step::ReadingBack)
        m_step = Step::None;
}

void WriteSnapshots::written()
{
    // An acknowledgement with no write of ours behind it records nothing.
    if (!m_pending.isEmpty()) {
        emit writeAcknowledged(m_held.isEmpty() ? config::Configuration{} : config::shownBy(m_held), !m_held.isEmpty(),
                               config::shownBy(m_pending), m_step == Step::Reverting);
        m_held = m_pending;
    }
    m_writtenSinceSnapshot = !m_snapshot.isEmpty() && m_com > 0;
    m_step = m_step == Step::Reverting ? Step::ReadingBack : Step::None;
    // A revert's record stays until it is read back.
    if (m_step != Step::ReadingBack)
        m_pending.clear();
    update();
}

void WriteSnapshots::readBack(const QByteArray &record)
{
    if (m_step != Step::ReadingBack)
        return;
    m_step = Step::None;
    // The controller acknowledged the old settings; whether it stored them as sent,
    // only the read tells.
    const QList<config::ByteDifference> diffs = config::verifyWrite(std::exchange(m_pending, {}), record);
    if (diffs.isEmpty())
        return;
    QStringList places;
    for (const config::ByteDifference &d : diffs)
        places << QStringLiteral("%1: %2 (смещение %3)").arg(d.page, d.caption).arg(d.offset);
    const QString text =
        QStringLiteral("Прежние настройки возвращены не полностью: считано не то, что записано, в %1 байт(ах), "
                       "в %2 месте(ах): %3")
            .arg(config::differingBytes(diffs))
            .arg(diffs.size())
            .arg(places.join(QStringLiteral("; ")));
    m_journal.note(portnames::name(m_com), text);
    Desktop::instance().showError(text);
}

void WriteSnapshots::update()
{
    m_revert->setEnabled(m_com > 0 && m_writtenSinceSnapshot);
}

void WriteSnapshots::revert()
{
    if (!m_revert->isEnabled())
        return;
    config::Configuration cfg;
    if (const auto error = config::load(m_snapshot, config::windowCatalog(), &cfg)) {
        Desktop::instance().showError(QStringLiteral("Прежние настройки не возвращены: %1").arg(error->message()));
        return;
    }
    config::windowCatalog().apply(m_controls, cfg);
    m_step = Step::Reverting;
    emit writeRequested();
}
