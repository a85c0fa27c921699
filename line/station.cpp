#include "line/station.h"

#include "protocol/settingsreply.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace line {

namespace {

constexpr int kPollMs = 10;

} // namespace

Station::Station(int com, StationHost &host, Timing timing, QObject *parent)
    : QObject(parent), m_com(com), m_host(host), m_timing(timing)
{
    m_settle.setSingleShot(true);
    m_deadline.setSingleShot(true);
    m_repeat.setInterval(m_timing.repeatMs);
    m_poll.setInterval(kPollMs);
    m_poll.setTimerType(Qt::PreciseTimer);
    connect(&m_settle, &QTimer::timeout, this, &Station::settled);
    connect(&m_repeat, &QTimer::timeout, this, &Station::tick);
    connect(&m_poll, &QTimer::timeout, this, &Station::poll);
    connect(&m_deadline, &QTimer::timeout, this, &Station::deadline);
    connect(&m_link, &StationLink::lost, this, &Station::portLost);
}

void Station::setState(State state)
{
    m_state = state;
    m_host.stationChanged(*this);
}

void Station::setDevice(const QString &device)
{
    if (device == m_device && m_state != State::Absent)
        return;
    if (device.isEmpty()) {
        m_device.clear();
        m_refusal.clear();
        if (m_link.isOpen() || m_state != State::Absent)
            portLost();
        return;
    }
    if (m_link.isOpen())
        portLost();
    m_device = device;
    m_refusal.clear();
    // Adapters (and programs that probe every new modem) need a moment after appearing.
    m_settle.start(m_timing.settleMs);
    setState(State::Settling);
}

void Station::settled()
{
    if (m_device.isEmpty())
        return;
    QString why;
    if (!m_link.open(m_device, &why)) {
        // Someone else holds it, or it is not ready yet: try again a period later.
        const bool news = why != m_refusal;
        m_refusal = why;
        m_state = State::Absent;
        m_settle.start(m_timing.repeatMs);
        if (news)
            m_host.stationChanged(*this);
        return;
    }
    m_refusal.clear();
    m_poll.start();
    m_repeat.start();
    m_link.welcomeAnyAnswer();
    probe();
    setState(State::Probing);
}

void Station::tick()
{
    switch (m_state) {
    case State::Probing:
        if (m_link.mayAskAgain())
            probe();
        break;
    case State::Leaving:
        if (m_lastHeard.elapsed() >= 2 * m_timing.repeatMs) {
            // Silence for two periods: the unit has gone; whatever answers next is new.
            m_last.reset();
            m_link.welcomeAnyAnswer();
            setState(State::Probing);
        }
        if (m_link.mayAskAgain())
            probe();
        break;
    case State::Working:
        if (m_phase == QLatin1String("verify") && m_link.mayAskAgain())
            m_link.askSettings();
        break;
    default:
        break;
    }
}

void Station::poll()
{
    if (!m_link.isOpen())
        return;
    if (m_link.received() > 0) {
        if (m_state == State::Leaving)
            m_lastHeard.restart();
        // A unit's cycle starts with the first byte of the reply that shows it, which
        // may begin while the last unit is still thought to be leaving.
        if ((m_state == State::Probing || m_state == State::Leaving) && !m_firstByte.isValid())
            m_firstByte.start();
    }
    const auto heard = m_link.collect();
    if (!heard)
        return;
    switch (m_state) {
    case State::Probing:
        if (heard->settings) {
            // Only a complete, well-formed record says a unit is there: a controller
            // being plugged in may deliver half a reply.
            if (settingsreply::fault(heard->record).isEmpty()) {
                unitAnswered(heard->record);
            } else {
                probe();
            }
        }
        break;
    case State::Working:
        if (m_phase == QLatin1String("write") && heard->written) {
            m_phase = QStringLiteral("verify");
            m_malformed.clear();
            m_link.askSettings();
            m_repeat.start();
            m_deadline.start(m_timing.timeoutMs);
            m_host.stationChanged(*this);
        } else if (m_phase == QLatin1String("verify") && heard->settings) {
            const QString fault = settingsreply::fault(heard->record);
            if (fault.isEmpty()) {
                pass(heard->record);
            } else {
                m_malformed = fault;
                m_link.askSettings();
            }
        }
        break;
    default:
        break;
    }
}

void Station::probe()
{
    m_firstByte.invalidate();
    m_link.askSettings();
}

void Station::unitAnswered(const QByteArray &record)
{
    int ordinal = 0;
    const std::optional<UnitRow> row = m_host.takeRow(&ordinal);
    if (!row)
        return; // no unit is taken now; it is asked again next period
    m_unitClock = m_firstByte.isValid() ? m_firstByte : QElapsedTimer();
    if (!m_unitClock.isValid())
        m_unitClock.start();
    m_ordinal = ordinal;
    m_row = *row;
    m_backup.clear();
    m_applied = {};
    m_last.reset();
    m_repeat.stop();
    m_phase = QStringLiteral("backup");
    setState(State::Working);

    QString why;
    m_backup = m_host.saveBackup(*this, record, &why);
    if (m_backup.isEmpty()) {
        fail(QStringLiteral("the backup cannot be saved: %1").arg(why),
             QStringLiteral("резервная копия не сохранена: %1").arg(why));
        return;
    }
    m_applied = m_host.recipe().apply(record, m_row);
    m_phase = QStringLiteral("write");
    m_host.stationChanged(*this);
    // A record that a read would take for a malformed reply is never stored: the unit
    // could not be read again.
    if (const QString fault = settingsreply::fault(m_applied.record); !fault.isEmpty()) {
        fail(QStringLiteral("the record to write would read as malformed: %1; nothing written").arg(fault),
             QStringLiteral("такая запись читалась бы как искажённая (%1); ничего не записано").arg(fault));
        return;
    }
    if (!m_link.writeSettings(m_applied.record)) {
        if (m_link.isOpen())
            fail(QStringLiteral("the command could not be sent"), QStringLiteral("команда не отправлена"));
        return; // a port that went is reported through lost()
    }
    m_deadline.start(m_timing.timeoutMs);
}

void Station::deadline()
{
    if (m_state != State::Working)
        return;
    const double s = m_timing.timeoutMs / 1000.0;
    if (m_phase == QLatin1String("write"))
        fail(QStringLiteral("no answer to WRITE_SET_ within %1 s").arg(s),
             QStringLiteral("нет ответа на запись за %1 с").arg(s));
    else if (!m_malformed.isEmpty())
        fail(QStringLiteral("every answer to READ_SET within %1 s was malformed, the last: %2").arg(s).arg(m_malformed),
             QStringLiteral("все ответы на чтение за %1 с искажены").arg(s));
    else
        fail(QStringLiteral("no answer to READ_SET within %1 s").arg(s),
             QStringLiteral("нет ответа на чтение за %1 с").arg(s));
}

void Station::portLost()
{
    m_poll.stop();
    m_repeat.stop();
    m_settle.stop();
    m_link.close();
    if (m_state == State::Working) {
        fail(QStringLiteral("the port went away"), QStringLiteral("порт пропал"), true);
        return;
    }
    m_last.reset();
    setState(State::Absent);
    // The device may still be there (a link whose far end was closed and opened
    // again): try it once more after the settling time.
    if (!m_device.isEmpty() && QFileInfo::exists(m_device))
        m_settle.start(m_timing.settleMs);
}

void Station::shutDown()
{
    if (m_state == State::Working)
        fail(QStringLiteral("stopped"), QStringLiteral("остановлено"), true);
    m_settle.stop();
    m_poll.stop();
    m_repeat.stop();
    m_deadline.stop();
    m_link.close();
    m_device.clear();
    m_state = State::Absent;
}

void Station::fail(const QString &reason, const QString &reasonRu, bool portGone)
{
    UnitResult result;
    result.pass = false;
    result.phase = m_phase;
    result.reason = reason;
    result.reasonRu = reasonRu;
    finish(result, portGone);
}

void Station::pass(const QByteArray &readBack)
{
    UnitResult result;
    result.sha256 = QString::fromLatin1(QCryptographicHash::hash(readBack, QCryptographicHash::Sha256).toHex());
    if (readBack == m_applied.record) {
        result.pass = true;
    } else {
        result.phase = m_phase;
        int first = 0;
        int count = 0;
        const int n = int(qMax(readBack.size(), m_applied.record.size()));
        for (int i = n - 1; i >= 0; --i) {
            const char got = i < readBack.size() ? readBack.at(i) : '\0';
            const char sent = i < m_applied.record.size() ? m_applied.record.at(i) : '\0';
            if (got != sent) {
                first = i;
                ++count;
            }
        }
        result.reason = QStringLiteral("%1 byte(s) read back differ from those written, the first at offset %2")
                            .arg(count)
                            .arg(first);
        result.reasonRu = QStringLiteral("считано не то, что записано: байтов %1, первый на позиции %2")
                              .arg(count)
                              .arg(first);
    }
    finish(result, false);
}

void Station::finish(UnitResult result, bool portGone)
{
    m_deadline.stop();
    result.time = QDateTime::currentDateTime();
    result.com = m_com;
    result.device = m_device;
    result.ordinal = m_ordinal;
    result.row = m_row;
    result.seconds = m_unitClock.isValid() ? m_unitClock.nsecsElapsed() / 1e9 : 0;
    result.backup = m_backup;
    result.changes = m_applied.changes;
    result.notes = m_applied.notes;
    m_last = result;
    m_phase.clear();
    if (portGone) {
        m_state = State::Absent;
    } else {
        // The unit stays until it is seen to leave, so that it is never written twice.
        m_state = State::Leaving;
        m_lastHeard.start();
        m_repeat.start();
        if (m_link.mayAskAgain())
            probe();
    }
    m_host.unitFinished(*this, result);
    m_host.stationChanged(*this);
    if (portGone && !m_device.isEmpty() && QFileInfo::exists(m_device) && !m_link.isOpen())
        m_settle.start(m_timing.settleMs);
}

} // namespace line
