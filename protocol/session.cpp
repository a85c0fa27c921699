#include "protocol/session.h"

#include "link/serialline.h"
#include "protocol/commands.h"
#include "protocol/replies.h"

#include <QPointer>

namespace {

// Clears the may-read flag for as long as a poll or a send is under way and sets it
// again on the way out, so that a poll nested under a message box skips one read.
class ReadHold
{
public:
    ReadHold(QObject *owner, bool &mayRead) : m_owner(owner), m_mayRead(mayRead) { m_mayRead = false; }
    // A handler of the session's signals may have deleted it meanwhile.
    ~ReadHold()
    {
        if (m_owner)
            m_mayRead = true;
    }
    ReadHold(const ReadHold &) = delete;
    ReadHold &operator=(const ReadHold &) = delete;

private:
    QPointer<QObject> m_owner;
    bool &m_mayRead;
};

bool isAcknowledgement(Reply reply)
{
    return reply == Reply::SettingsWritten || reply == Reply::PhonesWritten || reply == Reply::KeysWritten
        || reply == Reply::SmsWritten || reply == Reply::GprsWritten;
}

} // namespace

Session::Session(SerialLine &line, Timing timing, StepClock *clock, QObject *parent)
    : QObject(parent),
      m_line(line),
      m_timing(timing),
      m_conversation(line),
      m_poll(timing.pollMs, clock),
      m_repeat(timing.repeatMs, clock),
      m_deadline(timing.timeLimitMs, clock)
{
    m_deadline.setSingleShot(true);
    QObject::connect(&m_poll, &Period::timeout, this, &Session::poll);
    QObject::connect(&m_repeat, &Period::timeout, this, &Session::repeat);
    QObject::connect(&m_deadline, &Period::timeout, this, [this] {
        if (m_connected && (m_reading || m_ackOwed))
            emit timedOut();
    });
    QObject::connect(&line, &SerialLine::lost, this, &Session::onLost);
}

Session::State Session::state() const
{
    if (!m_connected)
        return State::Disconnected;
    if (m_ackOwed)
        return State::AwaitingAck;
    if (m_reading)
        return State::AwaitingRecord;
    return State::Ready;
}

void Session::changed(State before)
{
    const State now = state();
    if (now != before)
        emit stateChanged(now, before);
}

void Session::attach()
{
    const State before = state();
    m_connected = true;
    m_hasRecord = false;
    m_poll.start();
    changed(before);
}

void Session::start(int expectedReplyBytes)
{
    // The repeat counts from the connect, the poll from the request.
    const State before = state();
    m_connected = true;
    m_hasRecord = false;
    m_reading = true;
    m_probing = false;
    m_recordBytes = expectedReplyBytes;
    m_repeat.start();
    m_poll.start();
    changed(before);
    transmit(QByteArray(command::kReadSettings) + command::kCarriageReturn, Kind::Ask, m_recordBytes);
}

void Session::end()
{
    const State before = state();
    m_connected = false;
    m_reading = false;
    m_probing = false;
    m_ackOwed = false;
    m_conversation.end();
    m_repeat.stop();
    m_poll.stop();
    m_deadline.stop();
    changed(before);
}

void Session::onLost()
{
    // One end and one report, however the owner learns of it.
    if (!m_connected)
        return;
    const State was = state();
    end();
    emit lost(was);
}

void Session::readRecord(int expectedReplyBytes)
{
    beginAsking(expectedReplyBytes, false);
}

void Session::probe(int expectedReplyBytes)
{
    beginAsking(expectedReplyBytes, true);
}

void Session::beginAsking(int expectedReplyBytes, bool probing)
{
    const State before = state();
    m_reading = true;
    m_probing = probing;
    m_recordBytes = expectedReplyBytes;
    if (probing) {
        // Whatever was awaited is given up; no time limit runs.
        m_ackOwed = false;
        m_deadline.stop();
    }
    changed(before);
    if (!probing && m_timing.timeLimitMs > 0)
        m_deadline.start(m_timing.timeLimitMs);
    // A probe does not purge a reply that is arriving: it goes at the next period.
    if (!probing || m_conversation.mayRepeat())
        askAgain();
    else
        m_repeat.start();
}

void Session::askAgain()
{
    // The repeat counts from this request; not if the owner ended the session on its send.
    QPointer<Session> alive(this);
    transmit(QByteArray(command::kReadSettings) + command::kCarriageReturn, Kind::Ask, m_recordBytes);
    if (alive && m_connected && m_reading)
        m_repeat.start();
}

Conversation::SendResult Session::reread()
{
    m_conversation.welcomeAnyAnswer();
    return transmit(QByteArray(command::kReadSettings) + command::kCarriageReturn, Kind::Plain, m_recordBytes);
}

Conversation::SendResult Session::write(const QByteArray &command, int expectedReplyBytes)
{
    return transmit(command, Kind::Write, expectedReplyBytes);
}

Conversation::SendResult Session::send(const QByteArray &command, int expectedReplyBytes)
{
    return transmit(command, Kind::Plain, expectedReplyBytes);
}

Conversation::SendResult Session::transmit(const QByteArray &command, Kind kind, int expectedReplyBytes)
{
    ReadHold hold(this, m_mayRead);
    m_poll.stop();
    ++m_sends;
    m_lastCommand = command;
    if (kind == Kind::Write) {
        const State before = state();
        // "WRITE_SET_…" is answered by "WRITE_SET_OK".
        m_ackWord = command.left(command.indexOf('_', command.indexOf('_') + 1) + 1) + "OK";
        m_ackOwed = true;
        if (m_probing) {
            m_probing = false;
            m_reading = false;
            m_repeat.stop();
        }
        if (m_timing.timeLimitMs > 0)
            m_deadline.start(m_timing.timeLimitMs);
        changed(before);
    }
    const Conversation::SendResult result = kind == Kind::Ask ? m_conversation.ask(command, expectedReplyBytes)
                                                              : m_conversation.send(command, expectedReplyBytes);
    QPointer<Session> alive(this);
    emit sent(result);
    if (alive && m_line.isOpen() && m_connected)
        m_poll.start();
    return result;
}

void Session::repeat()
{
    QPointer<Session> alive(this);
    if (m_timing.takeBeforeRepeat)
        poll();
    // The repeat purges the line, so it waits while a reply is arriving.
    if (alive && m_reading && m_connected && m_conversation.mayRepeat())
        transmit(QByteArray(command::kReadSettings) + command::kCarriageReturn, Kind::Ask, m_recordBytes);
}

void Session::poll()
{
    // A tick nested under a message box of the outer tick skips one read.
    if (!m_mayRead) {
        m_mayRead = true;
        return;
    }
    if (!m_timing.pollWhenIdle && !(m_connected && (m_reading || m_ackOwed)))
        return;
    if (!m_line.isOpen())
        return;
    ReadHold hold(this, m_mayRead);
    const qint64 before = m_conversation.received();
    const auto received = m_conversation.collect();
    const bool grew = m_conversation.received() > before;
    QPointer<Session> alive(this);
    if (grew) {
        emit heard();
        if (!alive || !m_line.isOpen())
            return;
    }
    if (!received) {
        if (grew)
            emit receiving();
        return;
    }
    for (const FoundReply &found : received->replies) {
        if (!take(found, received->text) || !alive || !m_line.isOpen())
            return; // or the port was lost while the owner's message box was open
    }
}

bool Session::take(const FoundReply &found, const QByteArray &text)
{
    const Reply reply = found.row->reply;
    const State before = state();
    bool awaited = false;
    if (reply == Reply::Settings) {
        if (m_reading && checkRecord) {
            const QString fault = checkRecord(text, found.payloadPos);
            if (!fault.isEmpty()) {
                QPointer<Session> alive(this);
                emit refused(fault);
                if (alive && m_connected)
                    askAgain();
                return false;
            }
        }
        awaited = m_reading;
        m_hasRecord = true;
        if (!m_probing) {
            m_reading = false;
            m_repeat.stop();
        }
    } else if (isAcknowledgement(reply) && m_ackOwed && m_ackWord == found.row->word) {
        awaited = true;
        m_ackOwed = false;
    }
    if (awaited && !m_reading && !m_ackOwed)
        m_deadline.stop();
    changed(before);

    QPointer<Session> alive(this);
    emit replied(found, text);
    if (!alive || !awaited)
        return bool(alive);
    const quint64 sends = m_sends;
    if (reply == Reply::Settings)
        emit recordTaken(text, found.payloadPos);
    else
        emit acknowledged();
    // What the owner sent on hearing this makes the rest of the text an answer to an
    // earlier command.
    return alive && m_sends == sends;
}
