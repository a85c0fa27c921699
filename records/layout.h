#pragma once

// Where the parts of a settings record sit: fixed offsets and widths that every part of
// the codec, and whoever builds or checks a record by hand, counts from.
namespace records {

// The four blocks after the settings fields, each at its fixed offset.
inline constexpr int kPhoneOffset = 90;  // 9 x 15
inline constexpr int kSmsOffset = 225;   // 12 x 12
inline constexpr int kKeyOffset = 369;   // 9 x 16, key 9 first
inline constexpr int kGprsOffset = 513;  // access point, "TCP", server, port, spaces

inline constexpr int kPhoneWidth = 15;
inline constexpr int kSmsWidth = 12;
inline constexpr int kKeyWidth = 16;
inline constexpr int kApnField = 46;     // name and spaces together, when the name fits

// Offsets 0 to 566 are there in every record (the access point name padded to its
// field, the protocol text); only the server and port tail varies.
inline constexpr int kSettingsFixedWidth = 567;

} // namespace records
