#pragma once

#include "records/layout.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where each byte of a settings record belongs, and what a record that a controller
// sends must look like.
namespace records {

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

// A byte as a message quotes it: 'R', or \xNN for a byte that is not printable ASCII.
QString quotedByte(char byte);

} // namespace records
