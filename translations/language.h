#pragma once

#include <QString>
#include <QStringList>

// The language a console program speaks: Russian for a user whose messages are in
// Russian, English for everyone else. The window is Russian whatever the system says
// and never asks.
namespace language {

enum class Language { English, Russian };

// The first of the user's interface languages decides ("ru", "ru-RU", "ru_UA" are
// Russian; "en-US", "C", "de" or none are English).
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

// Chooses the system's language and, for Russian, loads the program's own texts
// (<program>_ru.qm) and Qt's (qtbase_ru.qm, for the command line parser's words).
// Returns the language chosen; a missing .qm leaves the English texts in place.
Language use(const QString &program);

// The folders where <program>_ru.qm is looked for: translations beside the program
// (the build folder, Windows), then the installed share folder.
QStringList searchPath();

} // namespace language
