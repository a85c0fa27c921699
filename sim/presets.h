#pragma once

#include <QByteArray>

// The values a freshly configured controller holds, as the configurator's window starts
// with them. Kept here on their own so that the simulator never borrows the configurator's
// copy: a mistake in one shows up as a difference instead of agreeing with itself.
namespace sim::presets {

// Access points of the four operators; the first is the start value.
inline constexpr char kApnKyivstar[] = "www.ab.kyivstar.net";
inline constexpr char kApnMts[] = "www.umc.ua";
inline constexpr char kApnLife[] = "internet";
inline constexpr char kApn3mob[] = "3g.utel.ua";

inline constexpr char kServerAddress[] = "203.0.113.100";
inline constexpr char kServerPort[] = "22222";
inline constexpr char kPeriod[] = "180";

// Spaces after the quoted port: 41 minus the lengths of the last SMS word ("Input6"),
// the server address and the port.
inline constexpr int kTailSpaces = 17;

inline constexpr char kEmptyPhone[] = "+380";
inline constexpr char kNoKey[] = "FFFFFFFFFFFFFFFF";

inline constexpr const char *kSmsWords[12] = {
    "TVX4", "Ohrana", "220V", "AKB", "Temp.", "Alarm!",
    "Input1", "Input2", "Input3", "Input4", "Input5", "Input6",
};

// Offsets 0 to 89, the settings fields. 0-25: SMS rows, input/output modes, times;
// 26-47: password 7913, thermometer off, thresholds 40/07, DTMF on, the rest off;
// 48-89: intercom and voice off, balance 10 / code 111, server on, period 180.
inline constexpr char kSettingsFields[] =
    "11111100000010019121639000"   // 0-25
    "7913" "0" "0" "40" "07"        // 26-35
    "0" "0" "0" "1" "0" "0"         // 36-41
    "0" "0" "0" "0" "00"            // 42-47
    "0" "0" "0" "000"               // 48-53
    "0" "000" "0" "0000000"         // 54-65
    "0" "10" "111"                  // 66-71
    "0" "0" "000"                   // 72-76
    "0" "000000"                    // 77-83
    "1" "180" "00";                 // 84-89

} // namespace sim::presets
