#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool useQtTranslations()
{
    auto *loaded = new QTranslator(QCoreApplication::instance());
    // Qt's own folder (Debian's qt6-translations-l10n), or one beside the program where
    // Qt is shipped with it.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    for (const QString &folder : {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                  QCoreApplication::applicationDirPath() + QStringLiteral("/translations")}) {
        if (loaded->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            QCoreApplication::installTranslator(loaded);
            return true;
        }
    }
    delete loaded;
    return false;
}
