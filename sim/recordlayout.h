#pragma once

#include <QByteArray>

// The controller's stored configuration is one settings record; the four blocks that
// also have commands of their own are cut out of it and spliced into it by offset, so
// both forms of a block always agree.
namespace sim::layout {

inline constexpr int kPhonesAt = 90;
inline constexpr int kPhoneWidth = 15;
inline constexpr int kPhoneCount = 9;

inline constexpr int kSmsAt = 225;
inline constexpr int kSmsWidth = 12;
inline constexpr int kSmsCount = 12;

// Nine 16-character codes, key 9 first; carried as they stand in both forms.
inline constexpr int kKeysAt = 369;
inline constexpr int kKeysSize = 144;

inline constexpr int kGprsAt = 513;
// Name plus padding inside the quotes of the access-point field.
inline constexpr int kApnFieldWidth = 46;

inline constexpr int kPeriodAt = 85;
inline constexpr int kPeriodWidth = 3;

// The record of the window's start values.
QByteArray startRecord();

// List form of a block of fixed slots: each slot's text up to its first space, joined
// by "_". A slot missing from a short record reads as empty.
QByteArray readSlots(const QByteArray &record, int at, int width, int count);
// Splits a list on "_" and writes each field into its slot, left-aligned, space-padded,
// cut to the slot. Fields beyond `count` are ignored; missing ones leave empty slots.
void writeSlots(QByteArray &record, int at, int width, int count, const QByteArray &list);

QByteArray readKeys(const QByteArray &record);
// Short payloads are filled with 'F' (no key); longer ones are cut to the block.
void writeKeys(QByteArray &record, const QByteArray &payload);

// The GPRS tail from offset 513 as the controller keeps it:
// "apn"<spaces>"TCP","server","port"<spaces>
struct GprsTail
{
    QByteArray apn;
    QByteArray protocol;
    QByteArray server;
    QByteArray port;
    int trailingSpaces = -1; // -1 when the tail could not be read that far
};
GprsTail parseGprsTail(const QByteArray &record);
QByteArray buildGprsTail(const GprsTail &tail);

// "apn_TCP,server,port_period"
QByteArray readApnList(const QByteArray &record);
// Takes "apn_,server,port_period" (protocol field empty), rebuilds the tail in the
// record's own layout and stores the period at offsets 85 to 87.
void writeApnList(QByteArray &record, const QByteArray &payload);

} // namespace sim::layout
