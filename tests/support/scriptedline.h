#pragma once

#include "link/portline.h"
#include "protocol/period.h"

#include <QByteArray>
#include <QList>
#include <functional>

// A controller on an in-process line, in stepped time. It answers each command with the
// simulator's responder, one reply after another as a queueing controller does, paced at
// 9600 baud, with the faults of its script. Nothing waits: the clock is moved on by the
// test. A connection opens it by any name, as it would a port, unless the script refuses.
class ScriptedLine : public PortLine
{
    Q_OBJECT

public:
    struct Script
    {
        int latencyMs = 30;       // from the command to the reply's first byte
        int chunkBytes = 0;       // > 0: the reply comes in chunks of this size ...
        int chunkPauseMs = 0;     // ... with this pause between them
        int silentFor = 0;        // the first N commands are not answered
        int truncateTo = -1;      // >= 0: every reply is cut to this many bytes
        QByteArray garbageBefore {}; // sent just before each reply
        int shortWriteAt = -1;    // >= 0: this write (counted from 0) takes a byte less
        int loseAtMs = -1;        // >= 0: the line goes away at this moment
        bool refuseOpen = false;  // an open fails, as for a port another program holds
        int faultyReplies = -1;   // how many replies the latency, chunks, cut and noise
                                  // touch; -1: every one (the rest come at once, whole)
        QByteArray garbageAfter {}; // sent just after each reply
        int corruptOffset = -1;   // >= 0: a write stores another byte here
        bool silent = false;      // nothing is answered (a unit off its cable)
        bool paced = true;        // false: a reply's bytes come at once, after the latency
    };

    // One byte of 8N1 at 9600 baud, in microseconds.
    static constexpr qint64 kUsPerByte = 1'000'000LL * 10 / 9600;

    ScriptedLine(StepClock &clock, QByteArray record, Script script);

    bool open(const QString &port) override;
    void close() override;
    QString path() const override { return m_path; }
    void setJournal(ExchangeJournal *journal, const QString &port) override;
    void setScript(const Script &script) { m_script = script; }
    const Script &script() const { return m_script; }
    // Another controller on the same cable.
    void setRecord(const QByteArray &record) { m_record = record; }
    // The line goes away now, or ms from now, as a pulled adapter does.
    void loseNow();
    void loseIn(int ms) { m_loss.start(ms); }

    bool isOpen() const override { return m_open; }
    qint64 write(const QByteArray &bytes) override;
    qint64 read(char *buffer, qint64 capacity) override;
    qint64 bytesWaiting() const override;

    // Every command written, without its CR, and when.
    const QList<QByteArray> &commands() const { return m_commands; }
    const QList<qint64> &commandTimes() const { return m_commandTimes; }
    // When the last byte of the last reply arrives (or arrived).
    qint64 lastByteAtMs() const { return (m_lineFreeUs + 999) / 1000; }
    // Replies whose last byte has not arrived yet.
    int owedReplies() const;
    int count(const QByteArray &command) const { return int(m_commands.count(command)); }
    const QByteArray &record() const { return m_record; }
    // Called with each command (without its CR) as it comes, before it is answered: the
    // test's controller may change its script or go away in answer to it.
    std::function<void(const QByteArray &command)> onCommand;

private:
    struct Byte
    {
        qint64 atUs;
        char value;
    };

    void arrive() const;

    StepClock &m_clock;
    QByteArray m_record;
    Script m_script;
    Period m_loss;
    bool m_open = true;
    QString m_path;
    ExchangeJournal *m_journal = nullptr;
    QString m_journalPort;
    QList<QByteArray> m_commands;
    QList<qint64> m_commandTimes;
    QList<qint64> m_replyEndsUs;
    mutable QList<Byte> m_inFlight; // in order of arrival
    mutable QByteArray m_arrived;
    qint64 m_lineFreeUs = 0; // when the controller's last queued reply has gone out
};
