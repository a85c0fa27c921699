#include "commandline/commandline.h"

void commandline::useStartingConsole()
{
}
