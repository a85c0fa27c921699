#pragma once

#include <QByteArray>

// The record of the window's start values, spelled out field by field on its own so the
// tests do not check the simulator against itself.
inline QByteArray spaces(int n)
{
    return QByteArray(n, ' ');
}

inline QByteArray expectedStartRecord()
{
    QByteArray r;
    r += "111111";                     // SMS rows: subscriber 1; status and confirmation SMS on
    r += "000000";                     // inputs 1 to 6 off
    r += "1001";                       // output 1 siren with delay, no confirmation, output 5 SMS, output 2 buzzer
    r += "9" "1" "2" "1" "6" "3" "9";  // microphone, iButton, arming, disarming, siren, dial, listening
    r += "0" "0" "0";                  // no unguarded inputs, entry delays 0
    r += "7913" "0" "0" "40" "07";     // password, thermometer off, thermostat off, thresholds
    r += "0" "0" "0" "1" "0" "0";      // power saving, jammer, empty call, DTMF on, extended SMS, roaming
    r += "0" "0" "0" "0" "00";         // pulse mode and pause, battery action, reserved
    r += "0" "0" "0" "000";            // intercom, reserved
    r += "0" "000" "0" "0000000";      // voice, reserved
    r += "0" "10" "111";               // balance check off, minimum 10, code 111
    r += "0" "0" "000" "0" "000000";   // partial arming, status SMS, reserved
    r += "1" "180" "00";               // server on, period 180, reserved
    for (int k = 0; k < 9; ++k)
        r += "+380" + spaces(11);
    for (const char *word : {"TVX4", "Ohrana", "220V", "AKB", "Temp.", "Alarm!",
                             "Input1", "Input2", "Input3", "Input4", "Input5", "Input6"})
        r += QByteArray(word).leftJustified(12, ' ');
    r += QByteArray(144, 'F');
    r += "\"www.ab.kyivstar.net\"" + spaces(46 - 19);
    r += "\"TCP\",";
    r += "\"203.0.113.100\",\"22222\"" + spaces(17);
    return r;
}
