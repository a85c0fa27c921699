#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Snapshots of what a controller held, taken before anything is written to it: one
// configuration file each, in one folder shared by the window, the tool and the
// production line, named "<date>-<time>-COMn.cfg" (20261207-205501-COM3.cfg, local time)
// so that a listing sorts by age.
namespace backups {

// How many of the newest snapshots are always kept, and how old the others may get.
inline constexpr int kKeepNewest = 500;
inline constexpr int kKeepDays = 365;

// $XDG_STATE_HOME/tavrix/backups (~/.local/state/tavrix/backups when unset); on
// Windows %LOCALAPPDATA%\Tavrix\backups.
QString folder();

// "20261207-205501-COM3.cfg"
QString fileName(const QDateTime &when, int com);
// "20261207-205501-rfc2217-host-2217.cfg" for a port named by its network address.
QString fileName(const QDateTime &when, const QString &port);

// When a snapshot of that name was taken; invalid for a file that is no snapshot.
QDateTime takenAt(const QString &fileName);

struct Saved
{
    bool ok = false;
    QString path;   // the snapshot written
    QString folder; // where it was to go (also on failure, for the message)
    QString reason; // why it could not be written
};

// Writes `text` (a configuration file's text) whole or not at all as a new snapshot of
// port `com` in `dir` (folder() when empty), never over an older one; the folder is made
// when missing. Prunes the folder afterwards.
Saved save(const QByteArray &text, int com, const QDateTime &when = QDateTime::currentDateTime(),
           const QString &dir = QString());
// The same for a port named by its network address ("rfc2217://host:2217").
Saved save(const QByteArray &text, const QString &port, const QDateTime &when = QDateTime::currentDateTime(),
           const QString &dir = QString());

// Removes the snapshots beyond the newest kKeepNewest that are older than kKeepDays
// before `now`; files that are no snapshots are left alone. Returns the paths removed.
QStringList prune(const QString &dir, const QDateTime &now = QDateTime::currentDateTime());

} // namespace backups
