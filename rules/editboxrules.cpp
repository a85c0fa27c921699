#include "rules/editboxrules.h"

#include "records/controlnames.h"

const std::vector<EditBoxRule> &editBoxRules()
{
    static const std::vector<EditBoxRule> rules = {
        {"Edit1", CharClass::Phone, "Label127"},
        {"Edit2", CharClass::Phone, "Label19"},
        {"Edit3", CharClass::Phone, "Label29"},
        {"Edit4", CharClass::Phone, "Label33"},
        {"Edit5", CharClass::Phone, "Label35"},
        {"Edit6", CharClass::Phone, "Label37"},
        {"Edit7", CharClass::Phone, "Label39"},
        {"Edit8", CharClass::Phone, "Label41"},
        {"Edit9", CharClass::Phone, "Label43"},
        {"Edit10", CharClass::KeyCode, "Label48"},
        {"Edit11", CharClass::KeyCode, "Label50"},
        {"Edit12", CharClass::KeyCode, "Label52"},
        {"Edit13", CharClass::KeyCode, "Label54"},
        {"Edit14", CharClass::KeyCode, "Label56"},
        {"Edit15", CharClass::KeyCode, "Label58"},
        {"Edit16", CharClass::KeyCode, "Label60"},
        {"Edit17", CharClass::KeyCode, "Label62"},
        {"Edit18", CharClass::KeyCode, "Label64"},
        {"Edit19", CharClass::Text, "Label112"},
        {"Edit20", CharClass::Text, "Label113"},
        {"Edit21", CharClass::Text, "Label114"},
        {"Edit22", CharClass::Text, "Label115"},
        {"Edit23", CharClass::Text, "Label116"},
        {"Edit24", CharClass::Text, "Label117"},
        {"Edit25", CharClass::Text, "Label118"},
        {"Edit26", CharClass::Text, "Label119"},
        {"Edit27", CharClass::Text, "Label120"},
        {"Edit28", CharClass::Text, "Label121"},
        {"Edit29", CharClass::Text, "Label122"},
        {"Edit30", CharClass::Text, "Label123"},
        {"Edit31", CharClass::Digits, "Label85"},
        {"Edit32", CharClass::Digits, nullptr},
        {"Edit33", CharClass::Digits, nullptr},
        {names::kApnEdit, CharClass::Text, nullptr},
        {names::kServerEdit, CharClass::Text, nullptr},
        {"Edit36", CharClass::Digits, nullptr},
        {names::kPeriodEdit, CharClass::Digits, nullptr},
        {"Edit38", CharClass::Digits, nullptr},
        {names::kPortEdit, CharClass::Digits, nullptr},
    };
    return rules;
}
