#include "report/render.h"

#include <QCoreApplication>
#include <QDir>

namespace report {

QStringList pdfHelperPlaces()
{
    // The helper carries Qt Gui and a platform plugin so that tavrix-cli need not: it is
    // started only for a PDF. The package puts it beside the program.
    const QDir here(QCoreApplication::applicationDirPath());
    return {here.filePath(QStringLiteral("tavrix-sheet-pdf.exe"))};
}

} // namespace report
