#pragma once

#include <QByteArray>

// The record the window sends as it starts, written out by hand field by field, so that
// the tests check the codecs and the simulator against it and not against themselves.
namespace expected {

inline QByteArray spaces(int n)
{
    return QByteArray(n, ' ');
}

// Offsets 0 to 89 of startRecord().
inline QByteArray startFields()
{
    QByteArray r;
    r += "1111";      // 0-3   one SMS recipient per event
    r += "11";        // 4-5   status SMS on call, confirmations
    r += "000000";    // 6-11  every input off
    r += "1";         // 12    output 1: siren with delay
    r += "0";         // 13    no siren confirmation
    r += "0";         // 14    output 5: SMS and DTMF
    r += "1";         // 15    output 2: buzzer
    r += "9";         // 16    microphone sensitivity
    r += "1";         // 17    iButton keys on
    r += "21639";     // 18-22 arming, disarming, siren, dial attempts, listening
    r += "0";         // 23    no input watched while disarmed
    r += "00";        // 24-25 entry delays
    r += "7913";      // 26-29 password
    r += "0";         // 30    thermometer off
    r += "0";         // 31    no thermostat
    r += "40";        // 32-33 upper threshold
    r += "07";        // 34-35 lower threshold
    r += "0";         // 36    power saving
    r += "0";         // 37    jammer detector off
    r += "0";         // 38    no empty-call arming
    r += "1";         // 39    DTMF on
    r += "0";         // 40    extended SMS
    r += "0";         // 41    roaming allowed
    r += "0";         // 42    no pulse mode
    r += "00";        // 43-44 pulse pause
    r += "0";         // 45    low battery: stay on
    r += "00";        // 46-47 reserved
    r += "000";       // 48-50 intercom off
    r += "000";       // 51-53 reserved
    r += "0000";      // 54-57 voice messages off
    r += "0";         // 58    listening-in
    r += "0000000";   // 59-65 reserved
    r += "0";         // 66    balance check off
    r += "10";        // 67-68 minimum balance
    r += "111";       // 69-71 request code
    r += "00";        // 72-73 partial arming off
    r += "000";       // 74-76 reserved
    r += "0";         // 77    no status SMS
    r += "000000";    // 78-83 reserved
    r += "1";         // 84    send to the server
    r += "180";       // 85-87 transmission time
    r += "00";        // 88-89 reserved
    return r;
}

// The whole record: fixed part 567 characters, then the server tail.
inline QByteArray startRecord()
{
    QByteArray r = startFields();
    for (int k = 0; k < 9; ++k)
        r += "+380           ";                     // 4 + 11 spaces
    r += "TVX4        " "Ohrana      " "220V        " "AKB         "
         "Temp.       " "Alarm!      " "Input1      " "Input2      "
         "Input3      " "Input4      " "Input5      " "Input6      ";
    r += QByteArray(144, 'F');
    r += "\"www.ab.kyivstar.net\"" "                           "; // 21 + 27
    r += "\"TCP\",";
    r += "\"203.0.113.100\",";
    r += "\"22222\"";
    r += "                 ";                       // 17: 41 - (6 + 13 + 5)
    return r;
}

} // namespace expected
