#include "protocol/conversation.h"

#include "link/serialline.h"
#include "protocol/commands.h"

Conversation::Conversation(SerialLine &line) : m_channel(line)
{
}

Conversation::SendResult Conversation::send(const QByteArray &command, int expectedReplyBytes)
{
    m_replies.clear();
    const qint64 written = m_channel.write(command);
    m_receivedAtRepeat = m_bytesRead;
    m_receivedSinceSend = 0;
    m_expected = expectedReplyBytes;
    if (written == command.size())
        return SendResult::Sent;
    return m_channel.isOpen() ? SendResult::ShortWrite : SendResult::PortLost;
}

Conversation::SendResult Conversation::ask(const QByteArray &request, int expectedReplyBytes)
{
    m_asking = true;
    ++m_requests;
    return send(request, expectedReplyBytes);
}

bool Conversation::mayRepeat()
{
    const qint64 waiting = m_channel.bytesWaiting();
    const qint64 received = m_bytesRead + waiting;
    const bool grew = received > m_receivedAtRepeat;
    m_receivedAtRepeat = received;
    return !(grew && (waiting > 0 || !m_replies.pending().isEmpty()));
}

void Conversation::end()
{
    // A round that got no answer may still get one for each of its requests.
    if (m_asking)
        m_owedCopies += m_requests;
    m_asking = false;
    m_requests = 0;
    m_replies.clear();
}

std::optional<Conversation::Received> Conversation::collect()
{
    char bytes[ReplyBuffer::kCapacity];
    const qint64 n = m_channel.read(bytes, sizeof bytes);
    m_bytesRead += n;
    m_receivedSinceSend += n;
    const auto text = m_replies.append(QByteArray(bytes, int(n)));
    if (!text)
        return std::nullopt;
    Received received {*text, {}};
    for (const FoundReply &found : findReplies(*text)) {
        if (found.row->reply == Reply::Settings && isOwedCopy(found, *text))
            continue;
        received.replies.push_back(found);
    }
    return received;
}

bool Conversation::isOwedCopy(const FoundReply &found, const QByteArray &text)
{
    // A controller that queues requests answers every repeat that went out before its
    // first answer was read; those copies would overwrite what was edited since. The
    // first answer of a round is always taken. Later, only a copy of what was taken is
    // passed over: a controller that answers just once (so that the count never runs
    // out) or a record that differs is never lost.
    const qsizetype end = text.indexOf(command::kCarriageReturn, found.payloadPos);
    const QByteArray payload = text.mid(found.payloadPos, end - found.payloadPos);
    if (m_asking) {
        m_owedCopies += m_requests - 1;
        m_asking = false;
        m_requests = 0;
    } else if (m_owedCopies > 0) {
        --m_owedCopies;
        if (payload == m_lastSettings)
            return true;
    }
    m_lastSettings = payload;
    return false;
}
