#pragma once

#include <QProcessEnvironment>

// Whether the session names a display the window can open on without being told: on
// Linux an X11 or Wayland display in the environment; Windows always has its desktop.
bool displayToOpen(const QProcessEnvironment &environment);
