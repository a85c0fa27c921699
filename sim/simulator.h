#pragma once

#include "sim/pseudoterminal.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace sim {

// The controller on a pseudo-terminal, linked into a ports folder as "com<N>". It runs
// on the caller's event loop (no threads): a socket notifier reads the commands, a timer
// paces the replies at 9600 baud and plays the configured faults.
class Simulator : public QObject
{
    Q_OBJECT

public:
    // Faults apply to the replies of commands received after they are set.
    struct Faults
    {
        int latencyMs = 0;          // wait before a reply starts
        int chunkBytes = 0;         // > 0: deliver in chunks of this size ...
        int chunkPauseMs = 0;       // ... with this pause between them
        QByteArray garbageBefore;   // sent just before the reply
        QByteArray garbageAfter;    // sent just after the reply
        bool dropReply = false;     // the reply is not sent at all
        int truncateTo = -1;        // >= 0: only the first N bytes of the reply are sent
        bool silent = false;        // commands are read but never answered
        int corruptOffset = -1;     // >= 0: a settings write stores this byte changed, acknowledged all the same
        bool once = false;          // only the next reply has these faults, later ones none
    };

    // One byte of 8N1 at 9600 baud: ten bit times.
    static constexpr qint64 kNsPerByte = 1'000'000'000LL * 10 / 9600;
    // A line without CR that grows past this is thrown away.
    static constexpr int kMaxLineBytes = 64 * 1024;

    explicit Simulator(QObject *parent = nullptr);
    ~Simulator() override;

    // Opens the pseudo-terminal and links it as <portsDir>/com<com> (1 to 50), creating
    // the folder if needed. A link that another simulator left behind when it did not
    // exit cleanly is replaced; any other file of that name makes the start fail.
    bool start(const QString &portsDir, int com, QString *error = nullptr);
    // Removes the link (if it is still ours) and closes the terminal.
    void stop();
    // The port disappears under a connected client, as a pulled USB adapter does.
    void hangUp();
    bool isRunning() const { return m_pty.isOpen(); }

    // Off: no controller is on the cable. Commands are read and thrown away without
    // effect, and a reply still on its way is cut off.
    bool answering() const { return m_answering; }
    void setAnswering(bool on);

    QString slavePath() const { return m_slavePath; }
    QString linkPath() const { return m_linkPath; }

    // The stored settings record payload (no command word, no CR).
    QByteArray record() const { return m_record; }
    void setRecord(const QByteArray &record);

    Faults faults() const { return m_faults; }
    void setFaults(const Faults &faults) { m_faults = faults; }

    // On by default: replies leave at the rate of the real line.
    bool pacing() const { return m_pacing; }
    void setPacing(bool on) { m_pacing = on; }

    // Traffic trace on stderr; off by default.
    bool trace() const { return m_trace; }
    void setTrace(bool on) { m_trace = on; }

    // Replies queued or being written.
    int pendingReplies() const { return int(m_jobs.size()); }

signals:
    void commandReceived(QByteArray line);
    // Everything written for one reply (garbage included), once the last byte is out.
    void replySent(QByteArray bytes);
    void recordChanged();

private:
    struct Job
    {
        QByteArray bytes;
        qint64 dueMs = 0;
        int chunkBytes = 0;
        int chunkPauseMs = 0;
    };

    void onReadable();
    void handleLine(QByteArray line);
    void pump();
    void schedulePump(qint64 ms);
    void resetOutput();
    void traceLine(const QString &text) const;
    void close(const char *why);

    PseudoTerminal m_pty;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    QString m_slavePath;
    QString m_linkPath;
    QByteArray m_record;
    QByteArray m_input;
    Faults m_faults;
    bool m_pacing = true;
    bool m_trace = false;
    bool m_answering = true;

    QList<Job> m_jobs;
    QTimer m_pump;
    QElapsedTimer m_clock;
    qint64 m_sent = 0;          // bytes of the front job written
    qint64 m_chunkSent = 0;     // bytes of the current chunk written
    qint64 m_pauseUntilMs = 0;
    bool m_burstPending = true; // the next byte starts a new paced burst
    qint64 m_burstStartNs = 0;
    qint64 m_burstBytes = 0;
};

} // namespace sim
