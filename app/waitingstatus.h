#pragma once

#include "protocol/period.h"
#include "protocol/session.h"

#include <QObject>
#include <QString>

// What the status bar says while the session waits for the controller: the seconds
// waited so far, and past the limit that nothing answers (the asking goes on). Empty
// when nothing is awaited: after the answer, before a connect, after a disconnect.
class WaitingStatus : public QObject
{
    Q_OBJECT

public:
    // After this long without the awaited answer the controller is taken as silent.
    static constexpr int kSilentAfterSeconds = 10;

    explicit WaitingStatus(Session &session, StepClock *clock = nullptr, QObject *parent = nullptr);

    // What the bar says after this many seconds of waiting.
    static QString textAfter(int seconds);

    QString text() const { return m_text; }
    int secondsWaited() const { return m_seconds; }

signals:
    void changed(const QString &text);

private:
    void follow(Session::State state, Session::State before);
    void show();

    Period m_second;
    int m_seconds = 0;
    bool m_waiting = false;
    QString m_text;
};
