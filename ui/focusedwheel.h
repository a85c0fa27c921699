#pragma once

// A list, spin box or slider takes the mouse wheel only while it has the keyboard focus;
// otherwise the wheel scrolls whatever holds it (the page of a window too small for its
// form), and never gives these controls the focus. Installed once on the application, so
// that every window has it, those made later too.
void useWheelOnlyWithFocus();
