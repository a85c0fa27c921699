#pragma once

#include "protocol/records/recordmap.h"

#include <QByteArray>
#include <QList>

// What "write --verify" compares: the record sent and the record read back, byte for
// byte, so that nothing the reader would pass over (a padding byte behind a number, a
// character after the first space of a slot) can hide a difference.
struct ByteDifference
{
    records::RecordPlace place; // where the run lies in the record sent
    int offset = 0;             // the run's first differing byte
    QByteArray written;         // the bytes of the run as sent (shorter past the record's end)
    QByteArray readBack;        // and as read back
};

// Runs of differing bytes, each within one field or slot of the record sent; a record
// read back longer or shorter differs in every byte that one has and the other lacks.
QList<ByteDifference> compareRecords(const QByteArray &written, const QByteArray &readBack);
