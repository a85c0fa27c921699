#pragma once

#include <QList>
#include <QString>

// What a read of a well-formed settings record can show in each control: found once by
// running the record's own decoders over every byte a reply can carry in every field and
// slot, so that what a file may name follows the decoders and never a list kept by hand.
// The internet texts between quotes are not covered here: what a read shows of them
// depends on the quotes around them (see the configuration catalog).
namespace records {

// The item numbers a read can select in a drop-down list, in ascending order; -1 where
// a byte leaves nothing selected. Empty for a name that is no list of the record.
QList<int> readableIndices(const QString &list);

// Whether a read can show the character in an edit box of the record's fields and slots.
bool readCanShowCharacter(const QString &edit, char32_t ch);

// Whether the edit box is one the settings record's fields and slots carry.
bool readShowsCharactersOf(const QString &edit);

} // namespace records
