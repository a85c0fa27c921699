#include "report/render.h"

#include <QCoreApplication>
#include <QDir>

namespace report {

QStringList pdfHelperPlaces()
{
    // The helper carries Qt Gui and a platform plugin so that tavrix-cli need not: it is
    // started only for a PDF. Beside the program in the build folder; in the helper folder
    // (TAVRIX_HELPER_DIR, relative to the programs') once installed.
    const QString name = QStringLiteral("tavrix-sheet-pdf");
    const QDir here(QCoreApplication::applicationDirPath());
    return {here.filePath(name),
            QDir::cleanPath(here.filePath(QStringLiteral(TAVRIX_HELPER_DIR) + QLatin1Char('/') + name))};
}

} // namespace report
