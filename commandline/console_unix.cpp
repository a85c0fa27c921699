#include "commandline/commandline.h"

#include <unistd.h>

void commandline::useStartingConsole()
{
}

bool commandline::errorsOnTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}
