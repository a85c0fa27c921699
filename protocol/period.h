#pragma once

#include <QObject>
#include <QTimer>
#include <vector>

class StepClock;

// One of a session's timers. On the event loop it is a precise QTimer (a coarse one may
// fire 5 % early and cut into a reply that is on time). Under a StepClock it fires only
// as the clock is moved on, so that a whole exchange with its repeats runs in a test
// without waiting.
class Period : public QObject
{
    Q_OBJECT

public:
    Period(int intervalMs, StepClock *clock = nullptr, QObject *parent = nullptr);
    ~Period() override;

    void setSingleShot(bool single);
    void setInterval(int ms);
    int interval() const { return m_interval; }
    // (Re)starts the period from now.
    void start();
    void start(int ms);
    void stop();
    bool isActive() const;
    // The timer itself, for those who look at it on the event loop.
    QTimer &timer() { return m_timer; }

signals:
    void timeout();

private:
    friend class StepClock;

    QTimer m_timer;
    StepClock *m_clock;
    int m_interval;
    bool m_single = false;
    bool m_active = false; // stepped only
    qint64 m_due = 0;      // stepped only
};

// Time for periods that are stepped rather than waited for. Periods fire in the order
// of their due times; two due at once fire in the order they were made.
class StepClock
{
public:
    qint64 now() const { return m_now; }
    // Moves time on by ms, firing every period that falls due on the way, as often as it
    // falls due, at its own moment.
    void advance(qint64 ms);

private:
    friend class Period;

    std::vector<Period *> m_periods;
    qint64 m_now = 0;
};
