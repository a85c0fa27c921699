#pragma once

// The window's font: "MS Sans Serif" at 8 pt (11 px). On Linux a metric-alike stands in,
// so captions laid out for it keep fitting. Set once, before the window is built.
void useWindowFont();
