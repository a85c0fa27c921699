#pragma once

#include "link/serialline.h"
#include "protocol/replies.h"
#include "protocol/replybuffer.h"

#include <QByteArray>
#include <optional>
#include <vector>


// The talk with one controller on one serial channel, held alike by the window and by
// the command-line tool: how a command goes out, how its reply is gathered, when a
// repeated read request may go again, and which settings answers are copies that a
// queueing controller still owed to earlier repeats. It owns no timers: its owner calls
// it on its own ticks and decides what a reply means.
class Conversation
{
public:
    enum class SendResult {
        Sent,       // the whole command went out
        ShortWrite, // the port is open but took less than the whole command
        PortLost,   // the port went away under the write (the channel reports it)
    };

    // One complete text and the replies in it that are news, in reply-table order.
    struct Received
    {
        QByteArray text;
        std::vector<FoundReply> replies;
    };

    static constexpr int kBaudRate = SerialLine::kBaudRate;
    // A read request that is not answered goes again after this long; mayRepeat() is
    // asked once a period.
    static constexpr int kRepeatMs = 2000;

    explicit Conversation(SerialLine &line);

    // Writes one command; the channel purges the line first, and the partial reply
    // gathered so far goes with it. expectedReplyBytes is how long its answer is about to
    // be (0 when unknown), for progress.
    SendResult send(const QByteArray &command, int expectedReplyBytes = 0);
    // Sends the settings read request that the owner repeats until it is answered. Every
    // request of one round beyond the first may bring a copy of the answer.
    SendResult ask(const QByteArray &request, int expectedReplyBytes = 0);
    // Whether the owner's repeat may go now: not while a reply is arriving, that is while
    // bytes have come in since the last repeat and are not part of a text taken since.
    // A partial text that has not grown for a whole period is stale, and may go.
    bool mayRepeat();
    // The user asked on purpose: whatever settings answer comes is welcome.
    void welcomeAnyAnswer() { m_owedCopies = 0; }
    // The connection ends. The partial reply goes; the answers still owed to its
    // requests stay counted, so that a queueing controller's late copies do not show
    // the record again after the next connect.
    void end();

    // Reads what has arrived, never waiting; a text once it ends with a carriage return.
    std::optional<Received> collect();

    // Bytes received since the last command, and how many its answer is about to have.
    qint64 received() const { return m_receivedSinceSend; }
    int expected() const { return m_expected; }
    // The partial reply gathered so far.
    const ReplyBuffer &replies() const { return m_replies; }

private:
    bool isOwedCopy(const FoundReply &found, const QByteArray &text);

    SerialLine &m_channel;
    ReplyBuffer m_replies;
    qint64 m_bytesRead = 0;
    // How many had been received at the last repeat or purge.
    qint64 m_receivedAtRepeat = 0;
    qint64 m_receivedSinceSend = 0;
    int m_expected = 0;
    // A round of read requests that is not answered yet, and how many it sent.
    bool m_asking = false;
    int m_requests = 0;
    // Settings answers still due to requests that an earlier answer made redundant.
    int m_owedCopies = 0;
    QByteArray m_lastSettings; // the settings payload last taken
};
