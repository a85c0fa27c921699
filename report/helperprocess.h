#pragma once

namespace report {

// Makes tavrix-sheet-pdf's process ready to draw before its application is made: its
// standard streams carry the page and the PDF unchanged, and the platform plugin is one
// that needs no screen or is the one the package ships.
void prepareHelperProcess();

} // namespace report
