#include "protocol/records/codepage.h"

#include <iconv.h>

std::array<char16_t, 128> wire::upperHalfOfWindows1251()
{
    std::array<char16_t, 128> upper {};
    iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1251");
    for (int code = 128; code < 256; ++code) {
        char in = char(code);
        char out[4] = {};
        char *inPtr = &in;
        char *outPtr = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        char16_t ch = char16_t(code);
        if (cd != iconv_t(-1) && iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != size_t(-1))
            ch = char16_t((unsigned char)(out[0]) | ((unsigned char)(out[1]) << 8));
        upper[size_t(code - 128)] = ch;
    }
    if (cd != iconv_t(-1))
        iconv_close(cd);
    return upper;
}
