#pragma once

#include <QByteArray>

class Controls;

// Encoders read the controls at the moment of the call and may write a field's default
// back into its box; decoders overwrite the controls. Payloads are wire bytes: no command
// word and no carriage return. A decoder takes the whole received text and the position
// of the first payload character (right after the reply word); it never reads outside
// the text, and a position past its end reads as NUL.
namespace records {

// The records as they travel: single-byte wire text of fixed layout.
using SettingsRecord = QByteArray;
using PhoneBookRecord = QByteArray;
using KeyRecord = QByteArray;
using SmsTextRecord = QByteArray;
using GprsRecord = QByteArray;

// The whole configuration, "WRITE_SET_" / "READ_SET_".
SettingsRecord buildSettings(Controls &c);
void applySettings(Controls &c, const QByteArray &text, int payloadPos);
// The bare record, as it was sent or as a reply carried it: read as its reply would be.
void applySettingsRecord(Controls &c, const SettingsRecord &record);

// Phone numbers, "WRITE_ABON_" / "READ_ABON_".
PhoneBookRecord buildPhoneList(Controls &c);
void applyPhoneList(Controls &c, const QByteArray &text, int payloadPos);

// iButton keys, "WRITE_DALLAS_" / "READ_DALLAS_".
KeyRecord buildKeyList(Controls &c);
void applyKeyList(Controls &c, const QByteArray &text, int payloadPos);

// SMS words, "WRITE_SMS_" / "READ_SMS_".
SmsTextRecord buildSmsList(Controls &c);
void applySmsList(Controls &c, const QByteArray &text, int payloadPos);

// Internet settings, "WRITE_APN_" / "READ_APN_".
GprsRecord buildGprsList(Controls &c);
void applyGprsList(Controls &c, const QByteArray &text, int payloadPos);

// The reset and preset buttons of the pages; none of them sends anything.
void resetPhones(Controls &c);      // "Сбросить телефоны"
void resetKeys(Controls &c);        // "Сбросить кода ключей"
void resetSmsTexts(Controls &c);    // "Сбросить тексты SMS к заводским"
void setOperatorApn(Controls &c, int operatorNo); // 1..4: "Киевстар", "МТС", "Life", "3моб"
void setGprsDefaults(Controls &c);  // "Настройки Интернет по умолчанию"

} // namespace records
