#pragma once

#include <QByteArray>

namespace records {

// The part of a received text that one reply's decoder may read: from the first
// character after the reply word up to (not including) the carriage return that ends
// the reply, or a zero byte, whichever comes first. Positions are counted from the
// payload's first character; anything outside reads as NUL, so no decoder can reach
// past the text or mistake the end of line for data.
class Payload
{
public:
    Payload(const QByteArray &text, int payloadPos);

    int size() const { return m_end - m_begin; }

    // The byte at a payload position, NUL outside the payload.
    char at(int pos) const
    {
        return (pos >= 0 && pos < size()) ? m_text.at(m_begin + pos) : '\0';
    }

    // Up to n bytes from pos, shorter where the payload ends.
    QByteArray mid(int pos, int n) const;

    // First position >= from holding the pattern, or -1.
    int indexOf(const QByteArray &pattern, int from) const;

private:
    const QByteArray &m_text;
    int m_begin = 0;
    int m_end = 0;
};

} // namespace records
