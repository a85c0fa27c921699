#pragma once

#include "protocol/conversation.h"
#include "protocol/period.h"

#include <QObject>
#include <functional>

class SerialLine;

// One controller on one line, from connect to disconnect: the read request repeated
// until the record comes, the poll that gathers replies, the acknowledgement a write
// waits for, the copies a queueing controller still owes, and the faults of the line.
// The window, the tool and each station of a production line observe it and derive
// their buttons, messages and exit codes from its state and its signals. Sessions
// share nothing, so any number run side by side on one event loop.
class Session : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Disconnected,   // no line, nothing runs
        AwaitingRecord, // the read request goes again every repeat period until answered
        Ready,          // connected, nothing owed
        AwaitingAck,    // a write went out and its acknowledgement has not come back
    };
    Q_ENUM(State)

    // How a session keeps time. The window polls once a second and reads everything
    // that comes; the tool polls fast, only while it waits, and takes what has come
    // before a repeat purges the line.
    struct Timing
    {
        int pollMs = 1000;
        int repeatMs = Conversation::kRepeatMs;
        bool pollWhenIdle = true;
        bool takeBeforeRepeat = false;
        // How long an awaited record or acknowledgement may take; 0 waits for ever.
        int timeLimitMs = 0;

        static Timing window() { return {}; }
        static Timing tool(int timeLimitMs) { return {20, Conversation::kRepeatMs, false, true, timeLimitMs}; }
        // A station of the production line: polls fast all the time, so that a unit's
        // cycle is timed from its first byte and its silence is noticed.
        static Timing station(int repeatMs, int timeLimitMs) { return {10, repeatMs, true, false, timeLimitMs}; }
    };

    explicit Session(SerialLine &line, Timing timing = Timing::window(), StepClock *clock = nullptr,
                     QObject *parent = nullptr);

    // The owner has opened the line: the poll runs from now. start() also asks for the
    // record, as a connect in the window does.
    void attach();
    void start(int expectedReplyBytes = 0);
    // The owner has closed the line (or it was lost): everything stops. Answers still
    // owed to unanswered requests stay counted for the next connect.
    void end();

    // Asks for the record and repeats the request until an answer is taken.
    void readRecord(int expectedReplyBytes = 0);
    // Asks for the record every repeat period for as long as nothing else is asked: each
    // record that comes is reported by recordTaken() and the asking goes on, so that the
    // owner learns both that a controller has come and when it has gone quiet. Whatever
    // was awaited is given up; no time limit runs. The first request goes at once unless
    // a reply is arriving. A write, readRecord() or the end stops it.
    void probe(int expectedReplyBytes = 0);
    // The next settings answer is taken whatever it holds: a new controller may well
    // hold what the last one did.
    void welcomeAnyAnswer() { m_conversation.welcomeAnyAnswer(); }
    // Asks for the record once, on the user's word: whatever settings answer comes is
    // welcome, and nothing is repeated.
    Conversation::SendResult reread();
    // A command that owes an acknowledgement ("WRITE_…_OK").
    Conversation::SendResult write(const QByteArray &command, int expectedReplyBytes = 0);
    // A command whose answer is only reported (the block reads).
    Conversation::SendResult send(const QByteArray &command, int expectedReplyBytes = 0);

    // The two ticks, run by the session's own periods (the window's Timer1Timer and
    // Timer2Timer are these).
    void poll();
    void repeat();

    // When set, an awaited record it finds a fault in is not taken: the request goes
    // again at once and refused() names the fault.
    std::function<QString(const QByteArray &text, int payloadPos)> checkRecord;

    State state() const;
    bool isConnected() const { return m_connected; }
    bool isProbing() const { return m_probing; }
    // A record has been taken since the connect.
    bool hasRecord() const { return m_hasRecord; }
    // Clear while a poll or a send is under way, so that a poll nested under one of the
    // owner's message boxes skips one read.
    bool mayRead() const { return m_mayRead; }
    const Conversation &conversation() const { return m_conversation; }
    // The last command written.
    const QByteArray &lastCommand() const { return m_lastCommand; }
    Period &pollPeriod() { return m_poll; }
    Period &repeatPeriod() { return m_repeat; }

signals:
    void stateChanged(Session::State state, Session::State before);
    // Every reply word found in a complete text, in reply-table order; the session's own
    // bookkeeping for it is done before this is emitted.
    void replied(const FoundReply &found, const QByteArray &text);
    // The record that was awaited has been taken.
    void recordTaken(const QByteArray &text, int payloadPos);
    // The awaited acknowledgement came.
    void acknowledged();
    // An awaited record was refused by checkRecord; asked again.
    void refused(const QString &fault);
    // Bytes came in that do not complete a text yet.
    void receiving();
    // Bytes came in, whether they complete a text or not (a copy passed over too).
    void heard();
    // After every write, before the poll restarts: result says whether it all went out.
    void sent(Conversation::SendResult result);
    // The awaited answer did not come within the time limit.
    void timedOut();
    // The line went away; the session has ended. was: the state it was in.
    void lost(Session::State was);

private:
    enum class Kind { Plain, Ask, Write };

    void beginAsking(int expectedReplyBytes, bool probing);
    void askAgain();
    Conversation::SendResult transmit(const QByteArray &command, Kind kind, int expectedReplyBytes);
    // What one reply word does to the session; false when the rest of the text predates
    // a command sent meanwhile, or the record was refused.
    bool take(const FoundReply &found, const QByteArray &text);
    void changed(State before);
    void onLost();

    SerialLine &m_line;
    Timing m_timing;
    Conversation m_conversation;
    Period m_poll;
    Period m_repeat;
    Period m_deadline;
    bool m_connected = false;
    bool m_reading = false;   // a round of read requests is under way
    bool m_probing = false;   // ... which no record ends
    bool m_ackOwed = false;
    QByteArray m_ackWord;     // the acknowledgement the last write waits for
    bool m_hasRecord = false;
    bool m_mayRead = false;
    quint64 m_sends = 0;
    QByteArray m_lastCommand;
    int m_recordBytes = 0;   // how long the record's answer is about to be, for progress
};
