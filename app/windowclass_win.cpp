#include "app/windowclass.h"

// Windows matches a window to its Start-menu entry by the program's path: nothing to tell.
void useWindowClass(const QString &)
{
}
