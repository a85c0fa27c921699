#pragma once

#include "config/catalog.h"
#include "config/configfile.h"
#include "records/recordmap.h"

#include <QByteArray>
#include <QList>

class Controls;

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
    Configuration writtenBack; // what building the record wrote back into its boxes (a default into an empty one)
    QString fault;             // why a read would take `record` for a malformed reply; empty: it may go

    // The file text of what the controller holds: the backup taken before the write.
    QByteArray backupText() const;
    // The controls whose value the write changes, as a read before and after shows them.
    QStringList changedControls() const;
    // What is stored otherwise than named, a line each; a control the rules changed once.
    QStringList notes() const;
};

// How the wanted values reach the record: through the pages' rules, as a file's, a
// template's or a snapshot's do; or as the window's pages hold them, whose rules ran as
// they were set, so that the record is byte for byte the one the pages build.
enum class Rules { Run, Ran };

// `held` is the settings record the controller holds (bare, without the reply word);
// `wanted` a file's values, a template with a unit's row, a snapshot, or the pages'.
WritePlan planWrite(const QByteArray &held, const Configuration &wanted, Rules rules = Rules::Run);

// What a read of a controller holding the settings record `record` (bare) shows on the
// pages, their rules run as the record sets them.
Configuration shownBy(const QByteArray &record);

// The configuration a read of a controller shows once the record these controls build
// has been written to it: what a write stores, in the forms a file takes (a short
// threshold zero-padded, an empty key as the erased code, an empty SMS word as its
// default). The controls themselves are not touched.
Configuration storedForm(const Controls &c);

// A run of bytes read back otherwise than sent; `written` is shorter past the record's
// end. Page and caption are its control's, or what the place's meaning names.
struct ByteDifference
{
    records::RecordPlace place;
    int offset = 0;
    QByteArray written;
    QByteArray readBack;
    QString page;
    QString caption;

    int length() const { return int(qMax(written.size(), readBack.size())); }
};

// The record sent against the one read back, byte for byte, so that nothing a reader
// would pass over (a padding byte behind a number, a character after the first space
// of a slot) can hide a difference. Runs lie each within one field or slot of the
// record sent; a record read back longer or shorter differs in every byte that one has
// and the other lacks. Empty: the write is verified.
QList<ByteDifference> verifyWrite(const QByteArray &sent, const QByteArray &readBack);

int differingBytes(const QList<ByteDifference> &diffs);

} // namespace config
