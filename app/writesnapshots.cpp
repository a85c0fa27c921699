#include "app/writesnapshots.h"

#include "config/backups.h"
#include "config/catalog.h"
#include "config/configform.h"
#include "link/exchangejournal.h"
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
    m_haveHeld = false;
    m_held = {};
    m_pending = {};
    m_writtenSinceSnapshot = false;
    m_reverting = false;
    m_readBack = false;
    update();
}

void WriteSnapshots::settingsRead()
{
    m_held = config::windowCatalog().capture(m_controls);
    m_haveHeld = true;
    m_read = {m_com, QDateTime::currentDateTime()};
    m_readHeld = m_held;
    emit settingsTaken(m_held);
}

bool WriteSnapshots::beforeWrite()
{
    // Nothing read in this connection: there is nothing known to keep. The write button
    // waits for the first read, so this is a write the user forced some other way.
    if (!m_haveHeld)
        return true;
    const backups::Saved saved = backups::save(config::windowCatalog().render(m_held), m_com);
    if (!saved.ok) {
        Desktop::instance().showError(
            QStringLiteral("Настройки не записаны: снимок прежних настроек контроллера не сохранён в папке %1: %2")
                .arg(saved.folder, saved.reason));
        m_reverting = false;
        return false;
    }
    m_journal.note(QStringLiteral("COM%1").arg(m_com),
                   QStringLiteral("снимок прежних настроек перед записью: %1").arg(saved.path));
    m_snapshot = QDir::fromNativeSeparators(saved.path);
    return true;
}

void WriteSnapshots::writeSent()
{
    m_pending = config::windowCatalog().capture(m_controls);
}

void WriteSnapshots::written()
{
    // An acknowledgement with no write of ours behind it records nothing.
    if (!m_pending.isEmpty())
        emit writeAcknowledged(m_held, m_haveHeld, m_pending, m_reverting);
    if (!m_pending.isEmpty()) {
        m_held = m_pending;
        m_haveHeld = true;
    }
    m_pending = {};
    m_writtenSinceSnapshot = !m_snapshot.isEmpty() && m_com > 0;
    m_readBack = m_reverting;
    m_reverting = false;
    update();
}

bool WriteSnapshots::takeReadBack()
{
    return std::exchange(m_readBack, false);
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
    m_reverting = true;
    emit writeRequested();
}
