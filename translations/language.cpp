#include "translations/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace language {

namespace {

Language g_current = Language::English;

bool load(const QString &name, const QStringList &folders)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    for (const QString &folder : folders) {
        if (translator->load(name, folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace

Language fromUiLanguages(const QStringList &uiLanguages)
{
    // As gettext walks LANGUAGE: a language the program has no words for is passed over,
    // so "de:ru" reads Russian; English is the program's own words, so "en:ru" stays English.
    const auto is = [](const QString &name, QLatin1String language) {
        return name == language || name.startsWith(language + QLatin1Char('-'))
               || name.startsWith(language + QLatin1Char('_'));
    };
    for (const QString &name : uiLanguages) {
        const QString lower = name.toLower();
        if (is(lower, QLatin1String("ru")))
            return Language::Russian;
        if (is(lower, QLatin1String("en")) || lower == QLatin1String("c") || lower == QLatin1String("posix"))
            return Language::English;
    }
    return Language::English;
}

Language ofSystem()
{
    return fromUiLanguages(QLocale::system().uiLanguages());
}

Language current()
{
    return g_current;
}

void set(Language language)
{
    g_current = language;
}

QString inLanguage(Language words, const char *context, const char *source, const char *disambiguation)
{
    if (words == Language::Russian) {
        static const QTranslator *const common = [] {
            auto *translator = new QTranslator;
            if (!translator->load(QStringLiteral(":/tavrix/translations/tavrix-common_ru.qm")))
                qWarning("the libraries' Russian texts are missing from the program");
            return translator;
        }();
        const QString text = common->translate(context, source, disambiguation);
        if (!text.isEmpty())
            return text;
    }
    return QString::fromUtf8(source);
}

QStringList searchPath()
{
    const QString dir = QCoreApplication::applicationDirPath();
    return {dir + QStringLiteral("/translations"),
            QDir::cleanPath(dir + QStringLiteral("/../share/" TAVRIX_SHARE_NAME "/translations"))};
}

bool loadRussian(const QString &program)
{
    load(program + QStringLiteral("_ru"), searchPath());
    // Help, version and usage errors, shared by the programs.
    load(QStringLiteral("tavrix-commandline_ru"), searchPath());
    // The faults of files, records, the line and the sheet, which the window shows too.
    load(QStringLiteral("tavrix-common_ru"), searchPath());
    // Qt's own folder (Debian's qt6-translations-l10n), or one beside the program where
    // Qt is shipped with it.
    return load(QStringLiteral("qtbase_ru"), {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                             QCoreApplication::applicationDirPath() + QStringLiteral("/translations")});
}

Language use(const QString &program)
{
    set(ofSystem());
    if (russian())
        loadRussian(program);
    return current();
}

} // namespace language
