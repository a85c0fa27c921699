#pragma once

#include <QString>
#include <vector>

class Controls;

// The factory values of the settings controls, in the order they are applied. The
// phone numbers, keys, SMS words and the GPRS page are not among them: they have reset
// buttons of their own.
struct FactoryValue
{
    enum Kind {
        Check,   // a check box on (value 1) or off (0); its interlock runs
        Radio,   // a radio button switched on (the rest of its set go off)
        Index,   // a drop-down list's item index
        Text,    // an edit box's text
        Disable, // a control disabled outright
    };
    Kind kind;
    QString name;
    int value = 0;
    QString text;
};

const std::vector<FactoryValue> &factoryValues();

// "Заводские настройки": sets the factory values, in order, through the controls (so
// the interlocks run as on clicks). Sends nothing.
void applyFactoryDefaults(Controls &controls);
