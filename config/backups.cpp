#include "config/backups.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

namespace backups {

namespace {

const QString kDateTimeForm = QStringLiteral("yyyyMMdd-HHmmss");

const QRegularExpression &namePattern()
{
    // An optional "-2", "-3"... keeps two snapshots of one port within a second apart.
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}-\\d{6})-(COM\\d{1,2}|(?:rfc2217|socket)-[A-Za-z0-9._\\[\\]-]+-\\d{1,5})(?:-(\\d+))?\\.cfg$"));
    return pattern;
}

} // namespace

QString fileName(const QDateTime &when, int com)
{
    return fileName(when, QStringLiteral("COM%1").arg(com));
}

QString fileName(const QDateTime &when, const QString &port)
{
    // An address's scheme, host and port, with nothing a file name cannot hold.
    QString stem = port;
    stem.replace(QStringLiteral("://"), QStringLiteral("-")).replace(QLatin1Char(':'), QLatin1Char('-'));
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._\\[\\]-]"));
    stem.replace(unsafe, QStringLiteral("_"));
    return QStringLiteral("%1-%2.cfg").arg(when.toString(kDateTimeForm), stem);
}

QDateTime takenAt(const QString &name)
{
    const auto m = namePattern().match(name);
    if (!m.hasMatch())
        return {};
    return QDateTime::fromString(m.captured(1), kDateTimeForm);
}

Saved save(const QByteArray &text, int com, const QDateTime &when, const QString &dir)
{
    return save(text, QStringLiteral("COM%1").arg(com), when, dir);
}

Saved save(const QByteArray &text, const QString &port, const QDateTime &when, const QString &dir)
{
    Saved result;
    result.folder = QDir::toNativeSeparators(dir.isEmpty() ? folder() : dir);
    const QString where = QDir::fromNativeSeparators(result.folder);
    if (!QDir().mkpath(where)) {
        result.reason = QFileInfo::exists(where) ? QCoreApplication::translate("config", "it is not a folder")
                                                 : QCoreApplication::translate("config", "the folder cannot be made");
        return result;
    }
    const QDir d(where);
    QString path = d.filePath(fileName(when, port));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = d.filePath(fileName(when, port).chopped(4) + QStringLiteral("-%1.cfg").arg(n));

    QSaveFile file(path);
    // A snapshot is written whole (a full disk leaves no half file behind) and
    // never replaces another.
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        result.reason = file.errorString();
        if (result.reason.isEmpty())
            result.reason = QCoreApplication::translate("config", "the file cannot be written");
        return result;
    }
    result.ok = true;
    result.path = QDir::toNativeSeparators(path);
    prune(where, when);
    return result;
}

QStringList prune(const QString &dir, const QDateTime &now)
{
    struct Snapshot
    {
        QString path;
        QDateTime taken;
        int serial;
    };
    QList<Snapshot> found;
    const QFileInfoList files = QDir(dir).entryInfoList({QStringLiteral("*.cfg")}, QDir::Files);
    for (const QFileInfo &info : files) {
        const auto m = namePattern().match(info.fileName());
        const QDateTime taken = takenAt(info.fileName());
        if (taken.isValid())
            found.append({info.filePath(), taken, m.captured(3).toInt()});
    }
    std::sort(found.begin(), found.end(), [](const Snapshot &a, const Snapshot &b) {
        return a.taken != b.taken ? a.taken > b.taken : a.serial > b.serial;
    });
    const QDateTime limit = now.addDays(-kKeepDays);
    QStringList removed;
    for (qsizetype i = kKeepNewest; i < found.size(); ++i) {
        if (found[i].taken < limit && QFile::remove(found[i].path))
            removed << found[i].path;
    }
    return removed;
}

} // namespace backups
