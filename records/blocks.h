#pragma once

#include "records/layout.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

class Controls;

namespace records {

class Payload;

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

// What a box sends, in the settings record and in its list form alike. An empty box (for
// a phone, one too short to be a number) takes its default, and shows it.
QString phoneToSend(Controls &c, int k);
QString smsToSend(Controls &c, int k);
QString orDefault(Controls &c, const QString &name, const QString &fallback);

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
