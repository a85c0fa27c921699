#include "protocol/records/wiretext.h"

#include <array>
#include <cerrno>
#include <iconv.h>

namespace wire {
namespace {

// The upper half of the code page, decoded once through iconv; the lower half is ASCII.
struct CodePage
{
    std::array<char16_t, 128> upper{};

    CodePage()
    {
        iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1251");
        for (int code = 128; code < 256; ++code) {
            char in = char(code);
            char out[4] = {};
            char *inPtr = &in;
            char *outPtr = out;
            size_t inLeft = 1;
            size_t outLeft = sizeof out;
            // 0x98 is unassigned in Windows-1251; it stands for the C1 control of the same
            // number, so that a byte the device reports goes back to it unchanged.
            char16_t ch = char16_t(code);
            if (cd != iconv_t(-1) && iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
                ch = char16_t(uchar(out[0]) | (uchar(out[1]) << 8));
            upper[size_t(code - 128)] = ch;
        }
        if (cd != iconv_t(-1))
            iconv_close(cd);
    }
};

const CodePage &codePage()
{
    static const CodePage page;
    return page;
}

} // namespace

int codeOf(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 128)
        return u;
    const auto &upper = codePage().upper;
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
    const auto &upper = codePage().upper;
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const uchar code = uchar(b);
        out.append(code < 128 ? QChar(code) : QChar(upper[size_t(code - 128)]));
    }
    return out;
}

} // namespace wire
