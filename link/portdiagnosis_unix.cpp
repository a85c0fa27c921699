#include "link/portdiagnosis.h"

#include "link/portmap_unix.h"
#include "link/portscan.h"
#include "link/serialchannel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The folders where serial programs keep their lock files, in the order Qt looks.
const char *const kLockDirs[] = {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                                 "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock"};

// "LCK..ttyUSB0", "LCK..pts_3": the name every program agrees on for the device.
QString lockFileName(const QString &device)
{
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

bool processAlive(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// A lock file for the device and the process it names. Lock files start with the
// process id as text (uucp, lockdev, minicom and Qt all write it so).
struct LockFile
{
    QString path;
    qint64 pid = 0;
    bool alive = false;
};

// The lock file of a live process if there is one, else a stale one, else none.
LockFile findLock(const QString &device)
{
    const QString name = lockFileName(device);
    LockFile stale;
    for (const char *dir : kLockDirs) {
        QFile file(QString::fromLatin1(dir) + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray head = file.read(128).simplified();
        bool ok = false;
        const qint64 pid = head.left(head.indexOf(' ')).toLongLong(&ok);
        if (ok && processAlive(pid))
            return {file.fileName(), pid, true};
        if (stale.path.isEmpty())
            stale = {file.fileName(), ok ? pid : 0, false};
    }
    return stale;
}

// A process that has the device open, found among the open files in /proc, or 0.
// Only the user's own processes are visible unless running as root.
qint64 processHolding(const QString &device)
{
    const QByteArray target = QFile::encodeName(device);
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return 0;
    qint64 found = 0;
    while (dirent *entry = ::readdir(proc)) {
        char *end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        const QByteArray fdDir = QByteArray("/proc/") + entry->d_name + "/fd";
        DIR *fds = ::opendir(fdDir.constData());
        if (!fds)
            continue;
        while (dirent *fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.')
                continue;
            char link[4096];
            const QByteArray path = fdDir + '/' + fd->d_name;
            const ssize_t n = ::readlink(path.constData(), link, sizeof link);
            if (n > 0 && QByteArray(link, int(n)) == target) {
                found = pid;
                break;
            }
        }
        ::closedir(fds);
        if (found)
            break;
    }
    ::closedir(proc);
    return found;
}

// The program's whole name. /proc/PID/comm is cut to 15 characters ("tavrix-configur"),
// so the executable is asked first, then the command line, and comm only as a last resort.
QString programName(qint64 pid)
{
    const QString proc = QStringLiteral("/proc/%1/").arg(pid);
    QString exe = QFileInfo(proc + QStringLiteral("exe")).symLinkTarget();
    const QLatin1String deleted(" (deleted)"); // the file was replaced while it runs
    if (exe.endsWith(deleted))
        exe.chop(deleted.size());
    if (!exe.isEmpty())
        return QFileInfo(exe).fileName();
    QFile cmdline(proc + QStringLiteral("cmdline"));
    if (cmdline.open(QIODevice::ReadOnly)) {
        const QByteArray all = cmdline.read(4096);
        const QString first = QFile::decodeName(all.left(all.indexOf('\0')));
        if (!first.isEmpty())
            return QFileInfo(first).fileName();
    }
    QFile comm(proc + QStringLiteral("comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

// "crw-rw----", as ls shows it.
QString modeText(mode_t mode)
{
    QString text = S_ISCHR(mode) ? QStringLiteral("c") : S_ISDIR(mode) ? QStringLiteral("d") : QStringLiteral("-");
    const mode_t bits[] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
    const char letters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        text += (mode & bits[i]) ? QLatin1Char(letters[i]) : QLatin1Char('-');
    return text;
}

bool processHasGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    QList<gid_t> groups(count);
    const int n = ::getgroups(count, groups.data());
    return n > 0 && groups.first(n).contains(gid);
}

// Listed in the group database, though perhaps not yet in this session.
bool userListedInGroup(const group &gr, const passwd *pw)
{
    if (!pw)
        return false;
    if (pw->pw_gid == gr.gr_gid)
        return true;
    for (char **member = gr.gr_mem; member && *member; ++member) {
        if (qstrcmp(*member, pw->pw_name) == 0)
            return true;
    }
    return false;
}

// The device's group and mode, this user and what would let them open it.
void explainPermission(const QString &device, OpenRefusal &r)
{
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return;
    const group *gr = ::getgrgid(st.st_gid);
    r.group = gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(st.st_gid);
    r.mode = modeText(st.st_mode);
    const passwd *pw = ::getpwuid(::getuid());
    if (pw)
        r.user = QString::fromLocal8Bit(pw->pw_name);
    r.uid = ::getuid();
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (!groupMayUse || st.st_gid == 0 || processHasGroup(st.st_gid))
        r.remedy = OpenRefusal::Remedy::Udev;
    else if (gr && userListedInGroup(*gr, pw))
        r.remedy = OpenRefusal::Remedy::Relogin;
    else
        r.remedy = OpenRefusal::Remedy::JoinGroup;
}

OpenRefusal refusalOf(const QString &device, const SerialChannel &channel)
{
    OpenRefusal r;
    if (device.isEmpty() || !QFileInfo::exists(device)) {
        r.cause = OpenRefusal::Cause::Gone;
        r.state = PortStatus::State::Gone;
        return r;
    }
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        r.cause = OpenRefusal::Cause::Permission;
        r.state = PortStatus::State::NoPermission;
        explainPermission(device, r);
        return r;
    }
    const LockFile lock = findLock(device);
    const bool permissionError = channel.openError() == SerialChannel::OpenError::Permission;
    // A program that ended without removing its lock (a crashed minicom) still bars the
    // device; whoever else has it open is not the cause. Qt reports a device held
    // exclusively (TIOCEXCL) or locked as a permission error.
    if (lock.alive || (permissionError && lock.path.isEmpty())) {
        r.cause = OpenRefusal::Cause::Busy;
        r.state = PortStatus::State::Busy;
        r.pid = lock.alive ? lock.pid : processHolding(device);
        if (r.pid > 0)
            r.program = programName(r.pid);
    } else if (permissionError) {
        r.cause = OpenRefusal::Cause::StaleLock;
        r.lockPath = lock.path;
        r.pid = lock.pid;
    } else {
        r.system = channel.openErrorString();
    }
    return r;
}

QString said(language::Language words, const char *source)
{
    return language::inLanguage(words, "link", source);
}

// A text whose English stands for more than one Russian one, told apart by its comment.
struct Marked
{
    const char *source;
    const char *comment;
};

QString said(language::Language words, Marked text)
{
    return language::inLanguage(words, "link", text.source, text.comment);
}

// English says one line and leaves the remedy to `tavrix-configurator --ports`.
QString permissionIn(language::Language words, const OpenRefusal &r)
{
    const QString general = said(words, QT_TRANSLATE_NOOP("link", "no permission to open it (tavrix-configurator --ports says how to get it)"));
    if (r.remedy == OpenRefusal::Remedy::Unknown || words == language::Language::English)
        return general;
    const QString user = r.user.isEmpty() ? said(words, QT_TRANSLATE_NOOP("link", "with UID %1")).arg(r.uid) : r.user;
    const QString head = said(words, QT_TRANSLATE_NOOP3("link", "no permission to open it (tavrix-configurator --ports says how to get it)",
                                                        "with the group %1 and the mode %2"))
                             .arg(r.group, r.mode);
    switch (r.remedy) {
    case OpenRefusal::Remedy::Unknown:
    case OpenRefusal::Remedy::Udev:
        break;
    case OpenRefusal::Remedy::Relogin:
        return head + said(words, QT_TRANSLATE_NOOP("link", "; the user %1 is in this group already, but the session began "
                                                            "earlier: log out and in again")).arg(user);
    case OpenRefusal::Remedy::JoinGroup:
        return head + said(words, QT_TRANSLATE_NOOP("link", ", and the user %1 is not in it; add them to the group with "
                                                            "sudo usermod -aG %2 $USER, then log out and in again")).arg(user, r.group);
    }
    return head + said(words, QT_TRANSLATE_NOOP("link", ", and its mode does not let the user %1 open it; a udev rule "
                                                        "grants access (for example, GROUP=\"dialout\", MODE=\"0660\")")).arg(user);
}

} // namespace

// By canonical path.
QHash<QString, QString> portscan::knownDevices()
{
    QHash<QString, QString> known;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        QStringList parts;
        const QString description = info.description().trimmed();
        const QString manufacturer = info.manufacturer().trimmed();
        // "FT232R USB UART · 0403:6001 · A1B2C3": the maker only when the device has no name.
        if (!description.isEmpty() && description != QLatin1String("n/a"))
            parts << description;
        else if (!manufacturer.isEmpty() && manufacturer != QLatin1String("n/a"))
            parts << manufacturer;
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            parts << QStringLiteral("%1:%2")
                         .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                         .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        if (!info.serialNumber().trimmed().isEmpty())
            parts << info.serialNumber().trimmed();
        const QString path = QFileInfo(info.systemLocation()).canonicalFilePath();
        if (!path.isEmpty() && !parts.isEmpty())
            known.insert(path, parts.join(QStringLiteral(" · ")));
    }
    return known;
}

QString portscan::describe(const PortStatus &s, const KnownDevices &known, language::Language words)
{
    if (s.state == PortStatus::State::Absent || s.state == PortStatus::State::Gone)
        return {};
    QStringList parts;
    if (s.device.startsWith(QLatin1String("/dev/pts/")))
        parts << said(words, QT_TRANSLATE_NOOP("link", "pseudo-terminal"));
    else if (const QString what = known.value(s.device); !what.isEmpty())
        parts << what;
    if (!s.link.isEmpty())
        parts << said(words, QT_TRANSLATE_NOOP("link", "through the link %1")).arg(s.link);
    return parts.join(QStringLiteral(" · "));
}

bool portscan::noUartBehind(const QString &device, const QString &ttyClass)
{
    if (!device.startsWith(QLatin1String("/dev/ttyS")))
        return false;
    QFile type(ttyClass + QLatin1Char('/') + device.mid(5) + QStringLiteral("/type"));
    return type.open(QIODevice::ReadOnly) && type.readAll().trimmed() == "0";
}

portscan::Place portscan::locate(const PortMap &map, int com, language::Language words)
{
    PortStatus s;
    s.com = com;
    const QFileInfo link(portmap::linkPath(map.portsDir(), com));
    const QString linked = link.canonicalFilePath();
    s.device = map.devicePath(com);
    if (!linked.isEmpty()) {
        s.link = link.filePath();
    } else if (link.isSymLink() && s.device.isEmpty()) {
        s.link = link.filePath();
        s.device = link.symLinkTarget();
        s.state = PortStatus::State::Gone;
        s.reason = said(words, QT_TRANSLATE_NOOP("link", "the link %1 points to %2, which does not exist")).arg(s.link, s.device);
    }
    if (s.device.isEmpty()) {
        s.device = portmap::tableEntry(map, com);
        s.reason = said(words, QT_TRANSLATE_NOOP("link", "no device"));
    }
    if (s.link.isEmpty() && portscan::noUartBehind(s.device)) {
        s.reason = said(words, QT_TRANSLATE_NOOP("link", "no device"));
        return {s, false};
    }
    const bool probe = s.state == PortStatus::State::Absent && !s.device.isEmpty() && QFileInfo::exists(s.device);
    return {s, probe};
}

OpenRefusal refusalToOpen(const QString &device, const SerialChannel &channel)
{
    return refusalOf(device, channel);
}

QString OpenRefusal::in(language::Language words) const
{
    switch (cause) {
    case Cause::Gone:
        return said(words, QT_TRANSLATE_NOOP("link", "the device is gone (the adapter was pulled or the program that "
                                                     "made the port has ended)"));
    case Cause::Permission:
        return permissionIn(words, *this);
    case Cause::Busy:
        if (pid <= 0)
            return said(words, QT_TRANSLATE_NOOP("link", "busy: another program holds it"));
        if (program.isEmpty())
            return said(words, QT_TRANSLATE_NOOP("link", "busy: held by the process with PID %1")).arg(pid);
        return said(words, QT_TRANSLATE_NOOP("link", "busy: held by %1 (PID %2)")).arg(program).arg(pid);
    case Cause::StaleLock:
        // English names no PID here.
        if (pid > 0 && words == language::Language::Russian)
            return said(words, QT_TRANSLATE_NOOP3("link", "the lock file %1 is left from a program that has ended; delete it: sudo rm %1",
                                                  "with the PID %2"))
                .arg(lockPath, QString::number(pid));
        return said(words, QT_TRANSLATE_NOOP("link", "the lock file %1 is left from a program that has ended; delete it: sudo rm %1"))
            .arg(lockPath);
    case Cause::Other:
        break;
    }
    return said(words, QT_TRANSLATE_NOOP("link", "the system refuses it: %1")).arg(system);
}

