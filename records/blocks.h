#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class Controls;

namespace records {

class Payload;

// The four blocks as they sit inside the settings record, each at its fixed offset.
inline constexpr int kPhoneOffset = 90;  // 9 x 15
inline constexpr int kSmsOffset = 225;   // 12 x 12
inline constexpr int kKeyOffset = 369;   // 9 x 16, key 9 first
inline constexpr int kGprsOffset = 513;  // access point, "TCP", server, port, spaces

inline constexpr int kPhoneWidth = 15;
inline constexpr int kSmsWidth = 12;
inline constexpr int kKeyWidth = 16;
inline constexpr int kApnField = 46;     // name and spaces together, when the name fits

// What a block carries and the boxes that carry it, each box with its own meaning.
// Meanings read "Page: meaning" (UTF-8), the page as its tab reads.
struct Block
{
    const char *name; // "phones", "sms", "keys", "gprs"
    QString meaning;
    QStringList controls;  // in the order of the list form
    QStringList meanings;  // one per control
};

// The phone, SMS, key and GPRS blocks, in record order.
const std::vector<Block> &blocks();

void encodePhoneSlots(Controls &c, QByteArray &out);
void decodePhoneSlots(Controls &c, const Payload &p);
void encodeSmsSlots(Controls &c, QByteArray &out);
void decodeSmsSlots(Controls &c, const Payload &p);
// The key slots have the same layout in the settings record and in the key command.
void encodeKeySlots(Controls &c, QByteArray &out);
void decodeKeySlots(Controls &c, const Payload &p, int base);
void encodeGprsTail(Controls &c, QByteArray &out);

void decodeGprsTail(Controls &c, const Payload &p);

} // namespace records
