#pragma once

#include <QString>

// Tells the window system which menu entry the program's windows belong to, where it
// asks more than the desktop file name Qt passes on (X11's WM_CLASS). Called once.
void useWindowClass(const QString &id);
