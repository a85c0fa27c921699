#include "integrity/shippedfiles.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace shippedfiles {

namespace {

bool safeRelativePath(const QString &path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.contains(QLatin1Char('\\')) ||
        path.contains(QLatin1Char(':')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString &part) {
        return part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
    });
}

// The file's SHA-256, or empty when it cannot be read.
QByteArray fileSha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return hash.result().toHex();
}

bool isPlugin(const QString &fileName)
{
#ifdef Q_OS_WIN
    return fileName.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive);
#else
    return fileName.endsWith(QLatin1String(".so"));
#endif
}

} // namespace

bool parseManifest(const QByteArray &text, QList<Entry> *entries, QString *why)
{
    static const QRegularExpression line(QStringLiteral("^([0-9a-f]{64}) [ *](.+)$"));
    QList<Entry> read;
    QSet<QString> seen;
    int number = 0;
    for (const QByteArray &raw : text.split('\n')) {
        ++number;
        const QString content = QString::fromUtf8(raw).remove(QLatin1Char('\r'));
        if (content.isEmpty())
            continue;
        const QRegularExpressionMatch match = line.match(content);
        const QString path = match.hasMatch() ? match.captured(2) : QString();
        if (!match.hasMatch() || !safeRelativePath(path)) {
            *why = QStringLiteral("line %1 is not \"<sha256>  <relative path>\"").arg(number);
            return false;
        }
        if (seen.contains(path)) {
            *why = QStringLiteral("line %1 names %2 again").arg(number).arg(path);
            return false;
        }
        seen.insert(path);
        read.append({match.captured(1).toLatin1(), path});
    }
    if (read.isEmpty()) {
        *why = QStringLiteral("the list names no file");
        return false;
    }
    *entries = read;
    return true;
}

QByteArray formatManifest(QList<Entry> entries)
{
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.path < b.path; });
    QByteArray text;
    for (const Entry &entry : std::as_const(entries))
        text += entry.sha256 + "  " + entry.path.toUtf8() + '\n';
    return text;
}

Report check(const QString &manifestPath, const QString &root, const QStringList &pluginFolders)
{
    Report report;
    report.manifestPath = QDir::cleanPath(manifestPath);
    report.root = QDir::cleanPath(root);
    QFile file(manifestPath);
    if (!file.open(QIODevice::ReadOnly))
        return report;
    report.manifestFound = true;
    QList<Entry> entries;
    if (!parseManifest(file.readAll(), &entries, &report.manifestProblem))
        return report;

    const QDir base(report.root);
    QSet<QString> listed;
    for (const Entry &entry : std::as_const(entries)) {
        listed.insert(entry.path);
        const QString path = base.filePath(entry.path);
        ++report.checked;
        if (!QFileInfo(path).isFile()) {
            report.missing << entry.path;
            continue;
        }
        if (fileSha256(path) != entry.sha256)
            report.changed << entry.path;
    }

    // A plugin Qt finds in a folder it loads from is loaded whether or not it was shipped.
    for (const QString &folder : pluginFolders) {
        const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
        const QString relative = base.relativeFilePath(clean);
        if (!QFileInfo(clean).isDir())
            continue;
        // A folder none of whose files were shipped is the system's (Debian's Qt below /usr).
        const QString prefix = relative == QLatin1String(".") ? QString() : relative + QLatin1Char('/');
        const bool ours = !relative.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(relative) &&
                          std::any_of(listed.cbegin(), listed.cend(),
                                      [&prefix](const QString &path) { return path.startsWith(prefix); });
        if (!ours) {
            report.systemPluginFolders << clean;
            continue;
        }
        QDirIterator it(clean, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString found = it.next();
            const QString path = base.relativeFilePath(found);
            if (isPlugin(found) && !listed.contains(path))
                report.foreignPlugins << path;
        }
    }
    report.foreignPlugins.sort();
    report.systemPluginFolders.removeDuplicates();
    return report;
}

Location locate(const QString &applicationDir)
{
    const QString beside = QDir(applicationDir).filePath(QLatin1String(kManifestName));
    if (QFileInfo::exists(beside))
        return {beside, applicationDir};
    const QString root = QDir::cleanPath(applicationDir + QStringLiteral("/.."));
    return {QDir(root).filePath(QStringLiteral("share/" TAVRIX_SHARE_NAME "/") + QLatin1String(kManifestName)), root};
}

Report checkThisInstallation()
{
    const Location where = locate(QCoreApplication::applicationDirPath());
    // Qt's plugin folder and the program's own, which Qt also searches.
    return check(where.manifest, where.root, QCoreApplication::libraryPaths());
}

QString russianSummary(const Report &report)
{
    if (!report.manifestFound)
        return QStringLiteral("файлы программы: не проверены (нет списка %1)").arg(report.manifestPath);
    if (!report.manifestProblem.isEmpty())
        return QStringLiteral("файлы программы: список испорчен (%1)").arg(report.manifestProblem);
    if (report.intact())
        return QStringLiteral("файлы программы: целы");
    QStringList parts;
    if (!report.missing.isEmpty())
        parts << QStringLiteral("нет %1").arg(report.missing.join(QStringLiteral(", ")));
    if (!report.changed.isEmpty())
        parts << QStringLiteral("изменены %1").arg(report.changed.join(QStringLiteral(", ")));
    if (!report.foreignPlugins.isEmpty())
        parts << QStringLiteral("чужие модули Qt %1").arg(report.foreignPlugins.join(QStringLiteral(", ")));
    return QStringLiteral("файлы программы: ") + parts.join(QStringLiteral("; "));
}

} // namespace shippedfiles
