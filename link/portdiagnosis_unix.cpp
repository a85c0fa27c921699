#include "link/portdiagnosis.h"

#include "link/portmap.h"
#include "link/serialchannel.h"

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

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

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

QString busyReason(qint64 pid)
{
    if (pid <= 0)
        return u("занят другой программой");
    const QString name = programName(pid);
    if (name.isEmpty())
        return u("занят процессом с PID %1").arg(pid);
    return u("занят программой %1 (PID %2)").arg(name).arg(pid);
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

QString permissionReason(const QString &device)
{
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0)
        return u("нет доступа");
    const group *gr = ::getgrgid(st.st_gid);
    const QString groupName = gr ? QString::fromLocal8Bit(gr->gr_name) : QString::number(st.st_gid);
    const passwd *pw = ::getpwuid(::getuid());
    const QString userName = pw ? QString::fromLocal8Bit(pw->pw_name) : u("с UID %1").arg(::getuid());
    const QString head = u("нет доступа: устройство принадлежит группе %1 (%2)").arg(groupName, modeText(st.st_mode));
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (!groupMayUse || st.st_gid == 0 || processHasGroup(st.st_gid))
        return head + u(", и его права не дают открыть его пользователю %1; доступ открывает правило udev "
                        "(например, GROUP=\"dialout\", MODE=\"0660\")").arg(userName);
    if (gr && userListedInGroup(*gr, pw))
        return head + u("; пользователь %1 уже в этой группе, но сеанс начат раньше: выйдите из системы и "
                        "войдите снова").arg(userName);
    return head + u(", а пользователь %1 в неё не входит; добавьте его в группу командой "
                    "sudo usermod -aG %2 $USER, затем выйдите из системы и войдите снова").arg(userName, groupName);
}

// Descriptions of the devices the system knows, by canonical path.
QHash<QString, QString> knownDevices()
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

QString describe(const PortStatus &s, const QHash<QString, QString> &known)
{
    QStringList parts;
    if (s.device.startsWith(QLatin1String("/dev/pts/")))
        parts << u("псевдотерминал");
    else if (const QString what = known.value(s.device); !what.isEmpty())
        parts << what;
    if (!s.link.isEmpty())
        parts << u("по ссылке %1").arg(s.link);
    return parts.join(QStringLiteral(" · "));
}

} // namespace

PortStatus::State explainRefusal(const QString &device, const SerialChannel &channel, QString *reason)
{
    const QByteArray path = QFile::encodeName(device);
    if (device.isEmpty() || !QFileInfo::exists(device)) {
        *reason = u("устройства больше нет: адаптер отключён или программа, создавшая порт, завершилась; "
                    "откройте список портов, чтобы найти их заново");
        return PortStatus::State::Gone;
    }
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        *reason = permissionReason(device);
        return PortStatus::State::NoPermission;
    }
    const LockFile lock = findLock(device);
    if (lock.alive) {
        *reason = busyReason(lock.pid);
        return PortStatus::State::Busy;
    }
    // A program that ended without removing its lock (a crashed minicom) still bars the
    // device; whoever else has it open is not the cause.
    if (!lock.path.isEmpty() && channel.openError() == SerialChannel::OpenError::Permission) {
        const QString who = lock.pid > 0 ? u(" (PID %1)").arg(lock.pid) : QString();
        *reason = u("файл блокировки %1 остался от программы, которая уже завершилась%2; удалите его: sudo rm %1")
                      .arg(lock.path, who);
        return PortStatus::State::Refused;
    }
    // Qt reports a device held exclusively (TIOCEXCL) or locked as a permission error.
    if (channel.openError() == SerialChannel::OpenError::Permission) {
        *reason = busyReason(processHolding(device));
        return PortStatus::State::Busy;
    }
    *reason = u("не открывается: %1").arg(channel.openErrorString());
    return PortStatus::State::Refused;
}

QString refusalInEnglish(PortStatus::State state, const QString &device, const SerialChannel &channel)
{
    switch (state) {
    case PortStatus::State::Free:
    case PortStatus::State::Absent:
    case PortStatus::State::Gone:
        return QStringLiteral("the device is gone (the adapter was pulled or the program that made the port has ended)");
    case PortStatus::State::NoPermission:
        return QStringLiteral("no permission to open it (tavrix-configurator --ports says how to get it)");
    case PortStatus::State::Busy: {
        const LockFile lock = findLock(device);
        const qint64 pid = lock.alive ? lock.pid : processHolding(device);
        if (pid <= 0)
            return QStringLiteral("busy: another program holds it");
        const QString name = programName(pid);
        if (name.isEmpty())
            return QStringLiteral("busy: held by the process with PID %1").arg(pid);
        return QStringLiteral("busy: held by %1 (PID %2)").arg(name).arg(pid);
    }
    case PortStatus::State::Refused:
        break;
    }
    const LockFile lock = findLock(device);
    if (!lock.path.isEmpty() && !lock.alive && channel.openError() == SerialChannel::OpenError::Permission)
        return QStringLiteral("the lock file %1 is left from a program that has ended; delete it: sudo rm %1").arg(lock.path);
    return QStringLiteral("the system refuses it: %1").arg(channel.openErrorString());
}

QList<PortStatus> diagnosePorts(const PortMap &map, SerialChannel &probe)
{
    const QHash<QString, QString> known = knownDevices();
    QList<PortStatus> out;
    for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com) {
        PortStatus s;
        s.com = com;
        const QFileInfo link(map.linkPath(com));
        const QString linked = link.canonicalFilePath();
        s.device = map.devicePath(com);
        if (!linked.isEmpty()) {
            s.link = link.filePath();
        } else if (link.isSymLink() && s.device.isEmpty()) {
            s.link = link.filePath();
            s.device = link.symLinkTarget();
            s.state = PortStatus::State::Gone;
            s.reason = u("ссылка %1 указывает на %2, а такого устройства нет").arg(s.link, s.device);
        }
        if (s.device.isEmpty()) {
            s.device = map.tableEntry(com);
            s.reason = u("нет устройства");
        }
        if (s.state == PortStatus::State::Absent && !s.device.isEmpty() && QFileInfo::exists(s.device)) {
            if (probe.open(s.device, 9600)) {
                probe.close();
                s.state = PortStatus::State::Free;
                s.reason.clear();
            } else {
                s.state = explainRefusal(s.device, probe, &s.reason);
            }
        }
        if (s.state != PortStatus::State::Absent && s.state != PortStatus::State::Gone)
            s.description = describe(s, known);
        out << s;
    }
    return out;
}
