#include "protocol/period.h"

#include <algorithm>

Period::Period(int intervalMs, StepClock *clock, QObject *parent)
    : QObject(parent), m_clock(clock), m_interval(intervalMs)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    if (m_clock)
        m_clock->m_periods.push_back(this);
    else
        connect(&m_timer, &QTimer::timeout, this, &Period::timeout);
}

Period::~Period()
{
    if (m_clock)
        std::erase(m_clock->m_periods, this);
}

void Period::setSingleShot(bool single)
{
    m_single = single;
    m_timer.setSingleShot(single);
}

void Period::setInterval(int ms)
{
    m_interval = ms;
    m_timer.setInterval(ms);
}

void Period::start()
{
    if (!m_clock) {
        m_timer.start(m_interval);
        return;
    }
    m_active = true;
    m_due = m_clock->now() + m_interval;
}

void Period::start(int ms)
{
    setInterval(ms);
    start();
}

void Period::stop()
{
    m_timer.stop();
    m_active = false;
}

bool Period::isActive() const
{
    return m_clock ? m_active : m_timer.isActive();
}

void StepClock::advance(qint64 ms)
{
    const qint64 until = m_now + ms;
    for (;;) {
        Period *next = nullptr;
        for (Period *p : m_periods) {
            if (p->m_active && p->m_due <= until && (!next || p->m_due < next->m_due))
                next = p;
        }
        if (!next)
            break;
        m_now = next->m_due;
        if (next->m_single)
            next->m_active = false;
        else
            next->m_due += std::max(next->m_interval, 1);
        emit next->timeout(); // may start, stop or delete periods
    }
    m_now = until;
}
