#pragma once

#include "report/sheet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace report {

// The sheet as one self-contained HTML page (styles inline, A4 when printed); the
// fingerprint also in its meta data.
QByteArray html(const Sheet &sheet);

// The sheet's tables as HTML that both the page and the PDF's text document read.
QString sheetBody(const Sheet &sheet);

// What the PDF of a sheet is drawn from: the HTML body laid out on A4 pages, each with
// the fingerprint and its number at the foot.
struct PdfPage
{
    QString title;
    QString creator;
    QString fingerprint;
    QString body;

    // The form in which tavrix-cli hands a page to the program that draws it.
    QByteArray packed() const;
    static std::optional<PdfPage> unpacked(const QByteArray &bytes);
};
PdfPage pdfPage(const Sheet &sheet);

// Draws a page into PDF bytes (selectable text, embedded fonts); nothing, with the
// reason in *error, when it cannot.
using PdfDrawer = std::optional<QByteArray> (*)(const PdfPage &page, QString *error);

// The drawer of tavrix-cli, which has no GUI application and no Qt Gui: the program
// tavrix-sheet-pdf draws the page, found beside this program or in the installation's
// helper folder. A missing or failing helper is an error that names it.
std::optional<QByteArray> drawPdfByHelper(const PdfPage &page, QString *error);

// Where drawPdfByHelper() looks for the helper, the first that exists first.
QStringList pdfHelperPlaces();

// Writes the sheet as PDF (drawn by `draw`, the fingerprint also in the document's
// keywords) or HTML by the name's ending (.pdf, .html, .htm); false with the reason in
// *error. An HTML sheet never draws.
bool write(const Sheet &sheet, const QString &path, PdfDrawer draw, QString *error);

// Whether the name ends as a sheet's does.
bool isSheetName(const QString &path);

// The fingerprint a sheet made by write() carries in its meta data; nothing for bytes
// that are no such sheet.
std::optional<QString> fingerprintOf(const QByteArray &bytes);

// Whether the bytes start as a PDF or an HTML page do (a configuration file does not).
bool looksLikeSheet(const QByteArray &bytes);

// Adds /Keywords to the document information of a finished PDF by an incremental
// update: the original bytes stay as they are, a new information object and a
// cross-reference section that points back to the old one follow them. Nothing for a
// file in a form this does not know.
std::optional<QByteArray> withKeywords(const QByteArray &pdf, const QString &keywords);

} // namespace report
