#pragma once

#include <array>

namespace wire {

// The characters of Windows-1251 codes 128 to 255, as the system's own converter decodes
// them. 0x98 is unassigned; it stands for the C1 control of the same number, so that a
// byte the device reports goes back to it unchanged.
std::array<char16_t, 128> upperHalfOfWindows1251();

} // namespace wire
