#include "commandline/commandline.h"

#include <cstdio>
#include <io.h>
#include <windows.h>

namespace {

bool hasHandle(DWORD which)
{
    const HANDLE h = GetStdHandle(which);
    return h != nullptr && h != INVALID_HANDLE_VALUE;
}

} // namespace

void commandline::useStartingConsole()
{
    // Output redirected to a file or a pipe already has its handles; only a window
    // program started from a console prompt has none and borrows the prompt's.
    if (!hasHandle(STD_OUTPUT_HANDLE) && !hasHandle(STD_ERROR_HANDLE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    if (GetConsoleWindow() != nullptr)
        SetConsoleOutputCP(CP_UTF8);
}

bool commandline::errorsOnTerminal()
{
    return _isatty(_fileno(stderr)) != 0;
}
