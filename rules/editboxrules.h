#pragma once

#include <vector>

// What an edit box accepts is judged by the character's Windows-1251 code, the code
// the controller receives. Cyrillic (128-255) and characters the code page lacks
// belong to no class.
enum class CharClass {
    Phone,   // backspace, "+", digits
    Digits,  // backspace, digits
    KeyCode, // backspace, digits, "A" to "F"
    Text,    // backspace, space and "!" to "~" without "_" (the list commands' separator)
};

// One edit box of the pages: its class and its counter label (nullptr: the box has
// no counter). The most characters that may be typed are the box's own (typedLimit).
struct EditBoxRule
{
    const char *edit;
    CharClass cls;
    const char *counter;
};

const std::vector<EditBoxRule> &editBoxRules();
