#include "protocol/replybuffer.h"

#include "protocol/commands.h"

std::optional<QByteArray> ReplyBuffer::append(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    m_pending.append(bytes);
    // Whatever follows the last CR (noise, an LF, the start of the next reply) must not
    // hold back the reply that has ended: it stays for the next text.
    const qsizetype end = m_pending.lastIndexOf(command::kCarriageReturn);
    std::optional<QByteArray> complete;
    if (end >= 0) {
        complete = m_pending.left(end + 1);
        m_pending.remove(0, end + 1);
    }
    if (m_pending.size() > kCapacity)
        m_pending.clear();
    return complete;
}
