#pragma once

#include "translations/language.h"

#include <QList>
#include <QString>

class PortMap;
class SerialChannel;

// What a COM number stands for on this machine and whether it can be used now. The
// window lists the free ones; `--ports` prints them all, so that an empty list can be
// explained without guessing.
struct PortStatus
{
    enum class State {
        Free,         // opened and closed again
        Absent,       // no link and no device of the default table
        Gone,         // a link whose device no longer exists
        NoPermission, // the device exists but this user may not open it
        Busy,         // another program holds it
        Refused,      // exists, but the open failed otherwise (no hardware behind a ttyS, ...)
    };

    int com = 0;
    // The canonical device; when none exists, the path the COM number would open.
    QString device;
    // The ports-folder link com<N> that named the device, if one did.
    QString link;
    State state = State::Absent;
    // Why it is not free, one line in the user's words; empty when free.
    QString reason;
    // What the device is: "FT232R USB UART · 0403:6001 · A1B2C3", "псевдотерминал", ...
    QString description;

    bool isFree() const { return state == State::Free; }
    // "COM17 — /dev/ttyUSB0 · FT232R USB UART · 0403:6001 · A1B2C3"
    QString summary() const;
};

// Whether the descriptions take in the system's list of devices (what each adapter is)
// now, or leave it for describePorts(): reading it takes longer than all the probes.
enum class DeviceList { Read, Deferred };

// Probes COM1 to COM50, ascending, by opening and closing each through the channel,
// which must be closed. Nothing is written to any port. Reasons and descriptions are in
// the words of `words`: the window's Russian unless a console program speaks English.
// With `list` Deferred, *deferred says whether any description still lacks the list.
QList<PortStatus> diagnosePorts(const PortMap &map, SerialChannel &probe,
                                language::Language words = language::Language::Russian,
                                DeviceList list = DeviceList::Read, bool *deferred = nullptr);
// The descriptions again, with the system's list of devices: what a deferred
// diagnosePorts() left out. Nothing is opened.
void describePorts(QList<PortStatus> &ports, language::Language words = language::Language::Russian);

// Why the channel has just failed to open the device (call right after the failed
// open): gone, no permission (owner group, mode and the command that grants it), busy
// (the program holding it) or the system's own words. Worked out once (lock files and
// /proc looked at once); in() words it in either language.
struct OpenRefusal
{
    enum class Cause {
        Gone,       // the device no longer exists
        Permission, // this user may not open it
        Busy,       // another program holds it
        StaleLock,  // a lock file of a program that has ended bars it
        Other,      // the system's words say why
    };
    // What would let this user open it.
    enum class Remedy { Unknown, Udev, Relogin, JoinGroup };

    PortStatus::State state = PortStatus::State::Refused;
    Cause cause = Cause::Other;
    qint64 pid = 0;   // Busy: the holder (0: unknown); StaleLock: who left it (0: unknown)
    QString program;  // Busy: the holder's name, when known
    QString lockPath; // StaleLock
    // Permission: the device's group and mode, this user (empty: known by uid alone)
    Remedy remedy = Remedy::Unknown;
    QString group;
    QString mode;
    QString user;
    qint64 uid = 0;
    QString system;   // Other: the system's words
    quint32 code = 0; // the system's error code, where it numbers them (Windows)

    QString in(language::Language words) const;
};
OpenRefusal refusalToOpen(const QString &device, const SerialChannel &channel);
// The state and the window's words alone.
PortStatus::State explainRefusal(const QString &device, const SerialChannel &channel, QString *reason);

// The table `tavrix-configurator --ports` and `tavrix-cli ports` print: one row per COM
// number with its device, whether it is free and the reason when it is not.
QString formatPortTable(const QList<PortStatus> &ports, const QString &portsDir,
                        language::Language words = language::Language::Russian);
