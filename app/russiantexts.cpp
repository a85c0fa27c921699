#include "app/russiantexts.h"

#include "translations/language.h"

bool useRussianTexts()
{
    language::set(language::Language::Russian);
    return language::loadRussian(QStringLiteral("tavrix-configurator"));
}
