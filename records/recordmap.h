#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where each byte of a settings record belongs, and what a record that a controller
// sends must look like.
namespace records {

class Payload;

// Offsets 0 to 566 are there in every record (the access point name padded to its
// field, the protocol text); only the server and port tail varies.
inline constexpr int kSettingsFixedWidth = 567;

// The field or slot that holds one byte of a record.
struct RecordPlace
{
    int offset = 0;       // the field's or slot's first byte
    int width = 0;
    QStringList controls; // the controls it carries; none for fixed text and reserved bytes
    QString meaning;      // "Page: meaning"
    bool padding = false; // a space that fills the slot after its text
};

// The place of the byte at offset in this record (a payload: no command word, no CR).
// The record's own text settles where the internet block's parts lie; an offset past
// its end has no place of its own.
RecordPlace placeAt(const QByteArray &record, int offset);

// Why a received record is not one in the layout a controller keeps, or empty when it
// is: shorter than the fixed part, or the internet block's quotes and separators away
// from their offsets (what a record shifted by a lost or stray byte looks like). A field
// holding an unexpected character is no fault: it reads as its decoder says.
QString settingsRecordFault(const QByteArray &payload);

// The internet block at the end of a settings record, from kGprsOffset: the access point
// in quotes, padded with spaces to its field; the protocol group "TCP",; the server and
// the port in quotes; spaces to the end. What the writer sends, what a read takes and
// where each part lies are all worked out here.

// The block as the writer sends it, without the spaces that end the record.
QByteArray gprsTail(const QString &apn, const QString &server, const QString &port);

// Where a read finds the parts of the block: the access point's quotes, the protocol
// group, the quoted server and port; -1 for a part it does not find. serverPort says
// whether the server and port stand as "server","port" followed by nothing but spaces.
struct GprsShape
{
    int open = -1;      // the access point's opening quote
    int close = -1;     // and its closing one
    int group = -1;     // the protocol group's opening quote
    int groupEnd = -1;  // the server's opening quote
    int serverEnd = -1; // the server's closing quote
    int portEnd = -1;   // the port's closing quote
    bool serverPort = false;
    QString server;
    QString port;
};
GprsShape gprsShape(const Payload &p);

// A byte as a message quotes it: 'R', or \xNN for a byte that is not printable ASCII.
QString quotedByte(char byte);

} // namespace records
