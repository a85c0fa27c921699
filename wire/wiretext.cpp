#include "wire/wiretext.h"

#include "wire/codepage.h"

namespace wire {

int codeOf(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 128)
        return u;
    const auto &upper = kWindows1251UpperHalf;
    for (size_t i = 0; i < upper.size(); ++i) {
        if (upper[i] == u)
            return int(i) + 128;
    }
    return -1;
}

QByteArray encode(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const int code = codeOf(ch);
        out.append(code < 0 ? '?' : char(code));
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    const auto &upper = kWindows1251UpperHalf;
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const uchar code = uchar(b);
        out.append(code < 128 ? QChar(code) : QChar(upper[size_t(code - 128)]));
    }
    return out;
}

} // namespace wire
