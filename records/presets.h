#pragma once

#include <array>

// Values the configurator puts into fields on its own: start texts, reset buttons and
// the defaults that replace an empty or unusable box when a record is written. Kept in
// one place so that the window, the writers and the tests agree.
namespace presets {

// Access points of the four operators, in the order of the buttons
// "Киевстар", "МТС", "Life", "3моб". The first one is also the start text and the
// replacement for an empty access-point box.
inline constexpr std::array<const char *, 4> kOperatorApn = {
    "www.ab.kyivstar.net",
    "www.umc.ua",
    "internet",
    "3g.utel.ua",
};

// The server address the window starts with, and what "WRITE_SET_" sends for an
// empty box. "WRITE_APN_" falls back to the maker's own host name instead.
inline constexpr const char *kServerAddress = "203.0.113.100";
inline constexpr const char *kMakerServerHost = "gprs.tavrix.example";

inline constexpr const char *kServerPort = "22222";     // start text, settings writer
inline constexpr const char *kApnCommandPort = "2020";  // "WRITE_APN_" for an empty box
inline constexpr const char *kTransmissionTime = "180"; // start text, "Настройки Интернет по умолчанию"
inline constexpr const char *kApnCommandPeriod = "030"; // "WRITE_APN_" for an empty box

// A phone place without a subscriber.
inline constexpr const char *kEmptyPhone = "+380";
// A key place without a key.
inline constexpr const char *kNoKey = "FFFFFFFFFFFFFFFF";

// The twelve SMS words, Edit19 to Edit30.
inline constexpr std::array<const char *, 12> kSmsWords = {
    "TVX4", "Ohrana", "220V", "AKB", "Temp.", "Alarm!",
    "Input1", "Input2", "Input3", "Input4", "Input5", "Input6",
};

// Shown by the list-form readers for a field of fewer than two characters (UTF-8).
inline constexpr const char *kNoEntry = "Нет записи";

} // namespace presets
