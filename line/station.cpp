#include "line/station.h"

#include "config/configform.h"
#include "net/portnames.h"

#include "protocol/commands.h"
#include "protocol/replies.h"
#include "protocol/settingsreply.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <utility>

namespace line {

Station::Station(int com, StationHost &host, Timing timing, QObject *parent, std::unique_ptr<Connection> connection)
    : QObject(parent),
      m_com(com),
      m_address(portnames::address(com)),
      m_host(host),
      m_timing(timing),
      m_connection(connection ? std::move(connection)
                              : std::make_unique<Connection>(Session::Timing::station(timing.repeatMs, timing.timeoutMs))),
      m_session(m_connection->session()),
      m_settle(timing.settleMs, m_connection->clock())
{
    m_since.start();
    m_settle.setSingleShot(true);
    connect(&m_settle, &Period::timeout, this, &Station::settled);
    // Only a complete, well-formed record says a unit is there (a controller being
    // plugged in may deliver half a reply), and only such a one is read back; a unit
    // that is leaving may answer anything.
    m_session.checkRecord = [this](const QByteArray &text, int payloadPos) {
        return m_state == State::Leaving ? QString() : settingsreply::replyFault(text, payloadPos);
    };
    connect(&m_session, &Session::sent, this, &Station::sent);
    connect(&m_session, &Session::heard, this, &Station::heard);
    connect(&m_session, &Session::recordTaken, this, &Station::recordTaken);
    connect(&m_session, &Session::acknowledged, this, &Station::acknowledged);
    connect(&m_session, &Session::refused, this, [this](const QString &fault) {
        if (m_state == State::Working)
            m_malformed = fault;
    });
    connect(&m_session, &Session::timedOut, this, &Station::deadline);
    connect(&m_session, &Session::lost, this, &Station::portLost);
}

QString Station::portName() const
{
    return portnames::name(m_com);
}

bool Station::deviceThere() const
{
    // An address is always worth another try; a device only while its file is there.
    return !m_device.isEmpty() && (m_address || QFileInfo::exists(m_device));
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
        if (m_connection->isOpen() || m_state != State::Absent)
            portLost();
        return;
    }
    if (m_connection->isOpen())
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
    if (!m_connection->open(m_device)) {
        // Someone else holds it, or it is not ready yet: try again a period later.
        const QString why = m_connection->refusal().in(language::Language::English);
        const bool news = why != m_refusal;
        m_refusal = why;
        m_state = State::Absent;
        m_settle.start(m_timing.repeatMs);
        if (news)
            m_host.stationChanged(*this);
        return;
    }
    m_refusal.clear();
    m_session.attach();
    m_session.welcomeAnyAnswer();
    m_session.probe();
    setState(State::Probing);
}

void Station::sent()
{
    const bool answered = std::exchange(m_answeredSinceSend, false);
    if (m_state == State::Working)
        return;
    // The second request while probing: a whole period has passed since the first.
    if (m_state == State::Probing && !m_looked && ++m_probesSent >= 2) {
        m_looked = true;
        m_host.stationChanged(*this);
    }
    // A new request: the first byte of its answer is timed anew.
    m_firstByteNs = -1;
    if (m_state != State::Leaving)
        return;
    m_silentProbes = answered ? 0 : m_silentProbes + 1;
    if (m_silentProbes >= 2) {
        // Silence for two periods: the unit has gone; whatever answers next is new.
        m_last.reset();
        m_session.welcomeAnyAnswer();
        setState(State::Probing);
    }
}

void Station::heard()
{
    // A unit's cycle starts with the first byte of the reply that shows it, which may
    // begin while the last unit is still thought to be leaving.
    if ((m_state == State::Probing || m_state == State::Leaving) && m_firstByteNs < 0)
        m_firstByteNs = nowNs();
}

void Station::recordTaken(const QByteArray &text, int payloadPos)
{
    // Only a whole reply says the unit is still there: one pulled off its cable mid-reply
    // leaves half a reply, which also holds the next request back until it is stale.
    m_answeredSinceSend = true;
    if (m_state == State::Probing)
        unitAnswered(settingsreply::recordOf(text, payloadPos));
    else if (m_state == State::Working && m_phase == Phase::Verify)
        pass(settingsreply::recordOf(text, payloadPos));
}

void Station::acknowledged()
{
    if (m_state != State::Working || m_phase != Phase::Write)
        return;
    m_phase = Phase::Verify;
    m_malformed.clear();
    // Asked again every period, each answer within the time limit.
    m_session.readRecord(replyLength(Reply::Settings, m_plan.record.size()));
    m_host.stationChanged(*this);
}

void Station::unitAnswered(const QByteArray &record)
{
    const bool news = !m_looked || !m_unitHeard;
    m_looked = true;
    m_unitHeard = true;
    if (news)
        m_host.stationChanged(*this);
    int ordinal = 0;
    const std::optional<UnitRow> row = m_host.takeRow(&ordinal);
    if (!row)
        return; // no unit is taken now; it is asked again next period
    m_unitStartNs = m_firstByteNs >= 0 ? m_firstByteNs : nowNs();
    m_ordinal = ordinal;
    m_row = *row;
    m_backup.clear();
    m_plan = {};
    m_last.reset();
    m_phase = Phase::Backup;
    setState(State::Working);

    QString why;
    config::WritePlan plan = m_host.recipe().plan(record, m_row);
    m_backup = m_host.saveBackup(*this, plan.backupText(), &why);
    if (m_backup.isEmpty()) {
        fail(Failure::BackupNotSaved, why);
        return;
    }
    m_plan = std::move(plan);
    m_phase = Phase::Write;
    m_host.stationChanged(*this);
    // A record that a read would take for a malformed reply is never stored: the unit
    // could not be read again.
    if (const QString &fault = m_plan.fault; !fault.isEmpty()) {
        fail(Failure::RecordMalformed, fault);
        return;
    }
    // The write ends the probing; its acknowledgement is awaited within the time limit.
    const auto result = m_session.write(command::kWriteSettings + m_plan.record + command::kCarriageReturn,
                                        replyLength(Reply::SettingsWritten));
    // A port that went is reported through lost().
    if (result != Conversation::SendResult::Sent && m_connection->isOpen())
        fail(Failure::NotSent);
}

void Station::deadline()
{
    if (m_state != State::Working)
        return;
    if (m_phase == Phase::Write)
        fail(Failure::NoAnswerToWrite);
    else if (!m_malformed.isEmpty())
        fail(Failure::MalformedAnswers, m_malformed);
    else
        fail(Failure::NoAnswerToRead);
}

void Station::portLost()
{
    m_settle.stop();
    m_connection->close();
    if (m_state == State::Working) {
        const auto *network = qobject_cast<const NetworkLine *>(m_connection->line());
        fail(Failure::PortGone, network ? network->lostReason() : QString(), true);
        return;
    }
    m_last.reset();
    setState(State::Absent);
    // The device may still be there (a link whose far end was closed and opened
    // again): try it once more after the settling time.
    if (deviceThere())
        m_settle.start(m_timing.settleMs);
}

qint64 Station::nowNs() const
{
    StepClock *clock = m_connection->clock();
    return clock ? clock->now() * 1'000'000 : m_since.nsecsElapsed();
}

void Station::shutDown()
{
    if (m_state == State::Working)
        fail(Failure::Stopped, {}, true);
    m_settle.stop();
    m_connection->close();
    m_device.clear();
    m_state = State::Absent;
}

void Station::fail(Failure failure, const QString &detail, bool portGone)
{
    UnitResult result;
    result.pass = false;
    result.phase = m_phase;
    result.failure = failure;
    result.detail = detail;
    result.limitSeconds = m_timing.timeoutMs / 1000.0;
    finish(result, portGone);
}

void Station::pass(const QByteArray &readBack)
{
    UnitResult result;
    result.sha256 = QString::fromLatin1(QCryptographicHash::hash(readBack, QCryptographicHash::Sha256).toHex());
    result.heldText = m_plan.backupText();
    result.writtenText = config::windowCatalog().render(m_plan.stored);
    const QList<config::ByteDifference> diffs = config::verifyWrite(m_plan.record, readBack);
    if (diffs.isEmpty()) {
        result.pass = true;
    } else {
        result.phase = m_phase;
        result.failure = Failure::ReadBackDiffers;
        result.differing = config::differingBytes(diffs);
        result.firstAt = diffs.first().offset;
    }
    finish(result, false);
}

void Station::finish(UnitResult result, bool portGone)
{
    result.time = QDateTime::currentDateTime();
    result.reason = result.reasonIn(language::Language::English);
    result.com = m_com;
    result.device = m_device;
    result.ordinal = m_ordinal;
    result.row = m_row;
    result.seconds = m_unitStartNs >= 0 ? (nowNs() - m_unitStartNs) / 1e9 : 0;
    result.backup = m_backup;
    result.changes = m_plan.changedControls();
    result.notes = m_plan.notes();
    m_last = result;
    m_phase = Phase::None;
    if (portGone) {
        m_state = State::Absent;
    } else {
        // The unit stays until it is seen to leave, so that it is never written twice.
        m_state = State::Leaving;
        m_silentProbes = 0;
        // Asked on at the repeat period, whatever was awaited given up.
        m_session.probe();
    }
    m_host.unitFinished(*this, result);
    m_host.stationChanged(*this);
    if (portGone && deviceThere() && !m_connection->isOpen())
        m_settle.start(m_timing.settleMs);
}

} // namespace line
