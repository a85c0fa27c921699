#pragma once

#include <QString>
#include <optional>

namespace testsupport {

// Runs this test program again on an X display of its own of `screen` ("1366x768") at
// `scale`, with `mode` set in its environment (and TAVRIX_FIT_WIDTH/HEIGHT the screen's
// size); what it printed, or nothing when it failed (its standard error in `errors`).
std::optional<QString> runOnDisplay(const QString &screen, const QString &scale, const char *mode, QString *errors);

} // namespace testsupport
