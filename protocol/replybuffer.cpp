#include "protocol/replybuffer.h"

#include "protocol/commands.h"

std::optional<QByteArray> ReplyBuffer::append(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    m_pending.append(bytes);
    if (m_pending.endsWith(command::kCarriageReturn)) {
        QByteArray complete;
        complete.swap(m_pending);
        return complete;
    }
    if (m_pending.size() > kCapacity)
        m_pending.clear();
    return std::nullopt;
}
