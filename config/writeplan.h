#pragma once

#include "config/catalog.h"
#include "config/configfile.h"
#include "protocol/records/recordmap.h"

#include <QByteArray>
#include <QList>

namespace config {

// A settings write as the window, the tool and the line make it, worked out before a
// byte is sent: the wanted values go onto what the controller holds, so that a
// template changes only what it names, and what the pages' rules or the record's own
// forms store otherwise is told, never hidden.
struct WritePlan
{
    QByteArray record;         // the settings record to send
    Configuration held;        // what the controller holds, as a read shows it
    Configuration stored;      // what a read of `record` will show
    QList<Change> ruleChanges; // named values the pages' rules set otherwise
    QList<Change> formChanges; // named values the record's forms store otherwise, the rules' not told again
    QString fault;             // why a read would take `record` for a malformed reply; empty: it may go

    // The file text of what the controller holds: the backup taken before the write.
    QByteArray backupText() const;
    // The controls whose value the write changes, as a read before and after shows them.
    QStringList changedControls() const;
    // What is stored otherwise than named, a line each; a control the rules changed once.
    QStringList notes() const;
};

// `held` is the settings record the controller holds (bare, without the reply word);
// `wanted` a file's values, a template with a unit's row, or a snapshot.
WritePlan planWrite(const QByteArray &held, const Configuration &wanted);

// A run of bytes that a read after a write shows otherwise than it was sent.
struct ByteDifference
{
    records::RecordPlace place; // where the run lies in the record sent
    int offset = 0;             // the run's first differing byte
    QByteArray written;         // the bytes of the run as sent (shorter past the record's end)
    QByteArray readBack;        // and as read back
    QString page;               // the page and caption of its control, or what its meaning names
    QString caption;

    int length() const { return int(qMax(written.size(), readBack.size())); }
};

// The record sent against the one read back, byte for byte, so that nothing a reader
// would pass over (a padding byte behind a number, a character after the first space
// of a slot) can hide a difference. Runs lie each within one field or slot of the
// record sent; a record read back longer or shorter differs in every byte that one has
// and the other lacks. Empty: the write is verified.
QList<ByteDifference> verifyWrite(const QByteArray &sent, const QByteArray &readBack);

// How many bytes the runs hold together.
int differingBytes(const QList<ByteDifference> &diffs);

} // namespace config
