#pragma once

#include "report/render.h"

namespace report {

// Draws the page in this process: needs a QGuiApplication (the window's, or the one
// tavrix-sheet-pdf makes). Library tavrix_report_pdf, the only part of the sheet that
// needs Qt Gui.
std::optional<QByteArray> drawPdf(const PdfPage &page, QString *error);

} // namespace report
