#pragma once

#include <QString>
#include <QStringList>

// The language a console program speaks: Russian for a user whose messages are in
// Russian, English for everyone else. The window is Russian whatever the system says
// and never asks: its command line and its messages are Russian too.
namespace language {

enum class Language { English, Russian };

// The first of the user's interface languages that the program speaks decides ("ru",
// "ru-RU", "ru_UA" are Russian; "en-US" and "C" English); "de" alone, or none, is English.
Language fromUiLanguages(const QStringList &uiLanguages);

// What QLocale::system() names first: on Unix LANGUAGE, then LC_ALL, LC_MESSAGES and
// LANG; on Windows the user's display language (under Wine, from LANG).
Language ofSystem();

// The language of this program; English until use() or set() chose another.
Language current();
void set(Language language);
inline bool russian()
{
    return current() == Language::Russian;
}

// Chooses the system's language and, for Russian, loads the Russian texts as
// loadRussian() does. Returns the language chosen; a missing .qm leaves the English
// texts in place.
Language use(const QString &program);

// Loads, into the application object that exists, the Russian texts: the program's own
// (<program>_ru.qm), the command line's and the libraries' that every program shares,
// and Qt's (qtbase_ru.qm: the parser's words, the dialogs' buttons). Returns whether
// Qt's were found.
bool loadRussian(const QString &program);

// A text of the libraries in `words`, whatever translators the program has installed:
// English as written, Russian from tavrix-common_ru.ts (built into this library, so that
// a program that chose one language can still word a line in the other). Mark `source`
// with QT_TRANSLATE_NOOP(context, ...) or QT_TRANSLATE_NOOP3 for lupdate.
QString inLanguage(Language words, const char *context, const char *source,
                   const char *disambiguation = nullptr);

// The folders where <program>_ru.qm is looked for: translations beside the program
// (the build folder, Windows), then the installed share folder.
QStringList searchPath();

} // namespace language
