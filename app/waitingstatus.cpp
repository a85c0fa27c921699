#include "app/waitingstatus.h"

namespace {

bool awaits(Session::State state)
{
    return state == Session::State::AwaitingRecord || state == Session::State::AwaitingAck;
}

} // namespace

WaitingStatus::WaitingStatus(Session &session, StepClock *clock, QObject *parent)
    : QObject(parent), m_second(1000, clock, this)
{
    connect(&session, &Session::stateChanged, this, &WaitingStatus::follow);
    connect(&m_second, &Period::timeout, this, [this] {
        ++m_seconds;
        show();
    });
    follow(session.state(), Session::State::Disconnected);
}

void WaitingStatus::follow(Session::State state, Session::State before)
{
    const bool waiting = awaits(state);
    // A write while the record is still awaited: the controller has still said nothing,
    // and the count goes on. An acknowledgement that leaves the record awaited was an
    // answer: it starts again.
    if (waiting && m_waiting && before == Session::State::AwaitingRecord)
        return;
    if (!waiting && !m_waiting)
        return;
    m_waiting = waiting;
    m_seconds = 0;
    if (m_waiting)
        m_second.start();
    else
        m_second.stop();
    show();
}

QString WaitingStatus::textAfter(int seconds)
{
    return seconds < kSilentAfterSeconds
        ? QStringLiteral("Ожидание ответа контроллера… %1 с").arg(seconds)
        : QStringLiteral("Контроллер не отвечает — проверьте кабель, питание и номер порта");
}

void WaitingStatus::show()
{
    const QString text = m_waiting ? textAfter(m_seconds) : QString();
    if (text != m_text) {
        m_text = text;
        emit changed(m_text);
    }
}
