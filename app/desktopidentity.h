#pragma once

#include <QString>

// The id of the desktop entry, icon and metainfo the program installs.
QString desktopApplicationId();

// Names the program to the desktop: the id lets the window manager and the task bar
// match its windows to the menu entry, and every window carries the icon drawn for it.
// Called once the application object exists.
void useDesktopIdentity();
