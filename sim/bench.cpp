#include "sim/bench.h"

#include "sim/recordlayout.h"
#include "sim/simulator.h"

namespace sim {

Bench::Bench(Simulator &simulator, QObject *parent) : QObject(parent), m_sim(simulator)
{
    m_phase.setSingleShot(true);
    m_phase.setTimerType(Qt::PreciseTimer);
    connect(&m_phase, &QTimer::timeout, this, &Bench::nextPhase);
}

QByteArray Bench::initialRecord(int unit)
{
    QByteArray record = layout::startRecord();
    const QByteArray phone = "+38067" + QByteArray::number(unit).rightJustified(7, '0');
    record.replace(layout::kPhonesAt, phone.size(), phone);
    return record;
}

QByteArray Bench::unitRecord(int unit) const
{
    if (unit < 1 || unit > m_records.size())
        return {};
    if (unit == m_current)
        return m_sim.record();
    return m_records.at(unit - 1);
}

bool Bench::start(const QString &portsDir, int com, const Schedule &schedule, QString *error)
{
    auto fail = [error](const QString &text) {
        if (error)
            *error = text;
        return false;
    };
    if (schedule.appearAfterMs < 0)
        return fail(tr("the port cannot appear before the start"));
    if (schedule.vanishAfterMs >= 0 && schedule.vanishAfterMs < schedule.appearAfterMs)
        return fail(tr("the port cannot vanish before it appears"));
    if (schedule.units < 0 || (schedule.units > 0 && (schedule.presentMs <= 0 || schedule.absentMs < 0)))
        return fail(tr("each unit needs a time on the cable"));
    m_portsDir = portsDir;
    m_com = com;
    m_schedule = schedule;
    m_records.clear();
    for (int unit = 1; unit <= schedule.units; ++unit)
        m_records.append(initialRecord(unit));
    m_current = 0;
    m_nextUnit = 1;

    if (schedule.vanishAfterMs >= 0) {
        QTimer::singleShot(schedule.vanishAfterMs, Qt::PreciseTimer, this, [this] {
            m_phase.stop();
            disconnectUnit();
            m_sim.hangUp();
            emit vanished();
        });
    }
    if (schedule.appearAfterMs == 0) {
        QString why;
        return appear(&why) || fail(why);
    }
    // Nothing answers before the port is there.
    QTimer::singleShot(schedule.appearAfterMs, Qt::PreciseTimer, this, [this] {
        QString why;
        if (!appear(&why))
            emit failed(why);
    });
    return true;
}

bool Bench::appear(QString *why)
{
    // Vanishing at the same moment as appearing wins: the port never shows.
    if (m_schedule.vanishAfterMs >= 0 && m_schedule.vanishAfterMs <= m_schedule.appearAfterMs
        && m_schedule.appearAfterMs > 0)
        return true;
    if (!m_sim.start(m_portsDir, m_com, why))
        return false;
    emit appeared();
    if (m_schedule.units > 0)
        connectUnit(m_nextUnit++);
    return true;
}

void Bench::connectUnit(int unit)
{
    m_current = unit;
    m_sim.setRecord(m_records.at(unit - 1));
    m_sim.setAnswering(true);
    m_phase.start(m_schedule.presentMs);
    emit unitConnected(unit);
}

void Bench::disconnectUnit()
{
    if (m_current == 0)
        return;
    const int unit = m_current;
    m_records[unit - 1] = m_sim.record();
    m_current = 0;
    m_sim.setAnswering(false);
    emit unitDisconnected(unit);
}

void Bench::nextPhase()
{
    if (m_current != 0) {
        disconnectUnit();
        // After the last unit the cable stays empty.
        if (m_nextUnit <= m_schedule.units)
            m_phase.start(m_schedule.absentMs);
        return;
    }
    if (m_nextUnit <= m_schedule.units)
        connectUnit(m_nextUnit++);
}

} // namespace sim
