#include "app/displaytoopen.h"

bool displayToOpen(const QProcessEnvironment &)
{
    return true;
}
