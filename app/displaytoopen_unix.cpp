#include "app/displaytoopen.h"

bool displayToOpen(const QProcessEnvironment &environment)
{
    return environment.contains(QStringLiteral("DISPLAY")) || environment.contains(QStringLiteral("WAYLAND_DISPLAY"));
}
