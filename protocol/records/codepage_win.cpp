#include "protocol/records/codepage.h"

#include <windows.h>

std::array<char16_t, 128> wire::upperHalfOfWindows1251()
{
    std::array<char16_t, 128> upper {};
    for (int code = 128; code < 256; ++code) {
        const char in = char(code);
        wchar_t out = 0;
        char16_t ch = char16_t(code);
        if (MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, &in, 1, &out, 1) == 1)
            ch = char16_t(out);
        upper[size_t(code - 128)] = ch;
    }
    return upper;
}
