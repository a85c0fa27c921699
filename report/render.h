#pragma once

#include "report/sheet.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace report {

// The sheet as one self-contained HTML page (styles inline, A4 when printed); the
// fingerprint also in its meta data.
QByteArray html(const Sheet &sheet);

// The sheet as an A4 PDF through Qt's own writer: selectable text, embedded fonts, the
// fingerprint also in the document's keywords. False with the reason in *error.
bool writePdf(const Sheet &sheet, const QString &path, QString *error);

// Writes the sheet as PDF or HTML by the name's ending (.pdf, .html, .htm); false
// with the reason in *error.
bool write(const Sheet &sheet, const QString &path, QString *error);

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
