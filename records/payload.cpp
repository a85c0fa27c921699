#include "records/payload.h"

#include <algorithm>

namespace records {

Payload::Payload(const QByteArray &text, int payloadPos)
    : m_text(text)
{
    const int size = int(text.size());
    m_begin = std::clamp(payloadPos, 0, size);
    m_end = m_begin;
    while (m_end < size && text.at(m_end) != '\r' && text.at(m_end) != '\0')
        ++m_end;
}

QByteArray Payload::mid(int pos, int n) const
{
    if (n <= 0 || pos >= size())
        return {};
    const int from = std::max(pos, 0);
    const int to = std::min(pos + n, size());
    return from < to ? m_text.mid(m_begin + from, to - from) : QByteArray();
}

int Payload::indexOf(const QByteArray &pattern, int from) const
{
    from = std::max(from, 0);
    if (pattern.isEmpty() || from >= size())
        return -1;
    const qsizetype found = m_text.indexOf(pattern, m_begin + from);
    if (found < 0 || found + pattern.size() > m_end)
        return -1;
    return int(found) - m_begin;
}

} // namespace records
