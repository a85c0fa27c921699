// `cpack -G DEB` in the build folder: the package holds what `cmake --install` puts in
// place, under /usr, with the dependencies a Debian system needs, lintian finds no
// error in it, and apt installs it onto the PATH and removes it again.
#include "tests/desktop/programrun.h"

#include <QDir>
#include <QDirIterator>
#include <QLockFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsWhatIsInstalled();
    void controlFields_data();
    void controlFields();
    void lintianFindsNoError();
    void packedAgainTheSameBytes();
    void aptInstallsAndRemovesIt();

private:
    QTemporaryDir m_out;
    QString m_deb;
};

namespace {

const QString kPackage = QStringLiteral("tavrix-configurator");
const QStringList kPrograms = QStringLiteral(PROGRAMS).split(QLatin1Char(' '));

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

ProgramRun run(const char *program, const QStringList &arguments, int waitMs = 120000,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    const QString path = tool(program);
    return runProgram(path.isEmpty() ? QString::fromLatin1(program) : path, arguments, environment, waitMs);
}

QByteArray shown(const ProgramRun &r)
{
    return "status " + QByteArray::number(r.exitCode) + "\n" + r.out.right(4000) + r.err.right(4000);
}

// Files and links below a folder, as paths relative to it.
QStringList filesBelow(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

bool packageInstalled()
{
    const ProgramRun query = run("dpkg-query", {"-W", "-f", "${db:Status-Status}", kPackage});
    return query.out == "installed";
}

} // namespace

void TestPackage::initTestCase()
{
    QVERIFY(m_out.isValid());
    const ProgramRun arch = run("dpkg", {"--print-architecture"});
    QCOMPARE(arch.exitCode, 0);

    // As the README says: cpack in the build folder (here with the package put aside).
    QProcess cpack;
    cpack.setWorkingDirectory(QStringLiteral(BUILD_DIR));
    cpack.start(QStringLiteral(CPACK_COMMAND_PATH), {"-G", "DEB", "-B", m_out.path()});
    QVERIFY(cpack.waitForFinished(600000));
    QVERIFY2(cpack.exitCode() == 0, (cpack.readAllStandardOutput() + cpack.readAllStandardError()).constData());

    m_deb = m_out.filePath(QStringLiteral("tavrix-configurator_%1_%2.deb")
                               .arg(QStringLiteral(TAVRIX_VERSION), QString::fromLatin1(arch.out.trimmed())));
    QVERIFY2(QFileInfo::exists(m_deb), qPrintable(QDir(m_out.path()).entryList(QDir::Files).join(' ')));
    qInfo("%s: %lld bytes", qPrintable(QFileInfo(m_deb).fileName()), QFileInfo(m_deb).size());
}

void TestPackage::holdsWhatIsInstalled()
{
    QTemporaryDir unpacked;
    const ProgramRun extract = run("dpkg-deb", {"-x", m_deb, unpacked.path()});
    QVERIFY2(extract.exitCode == 0, shown(extract).constData());
    QTemporaryDir prefix;
    const ProgramRun install = runProgram(QStringLiteral(CMAKE_COMMAND_PATH),
                                          {"--install", QStringLiteral(BUILD_DIR), "--prefix", prefix.path() + "/usr"},
                                          QProcessEnvironment::systemEnvironment(), 120000);
    QVERIFY2(install.exitCode == 0, shown(install).constData());
    const QStringList packaged = filesBelow(unpacked.path());
    QCOMPARE(packaged, filesBelow(prefix.path()));

    for (const QString &program : kPrograms) {
        QVERIFY2(packaged.contains("usr/bin/" + program), qPrintable(program));
        QVERIFY2(packaged.contains("usr/share/man/man1/" + program + ".1.gz"), qPrintable(program));
    }
    QVERIFY(packaged.contains("usr/share/doc/tavrix-configurator/copyright"));
    // The list of shipped files names every other file of the package, with the sums
    // of the files as packed (stripped).
    const QString list = QStringLiteral("usr/share/tavrix-configurator/tavrix-files.sha256");
    QVERIFY(packaged.contains(list));
    QFile listFile(unpacked.filePath(list));
    QVERIFY(listFile.open(QIODevice::ReadOnly));
    QStringList listed;
    for (const QByteArray &line : listFile.readAll().split('\n')) {
        if (!line.isEmpty())
            listed << "usr/" + QString::fromUtf8(line.mid(66));
    }
    QStringList others = packaged;
    others.removeAll(list);
    QCOMPARE(listed, others);
    QProcess sums;
    sums.setWorkingDirectory(unpacked.filePath(QStringLiteral("usr")));
    sums.start(QStringLiteral("sha256sum"), {"--check", "--quiet", list.mid(4)});
    QVERIFY(sums.waitForFinished(120000));
    QVERIFY2(sums.exitCode() == 0, (sums.readAllStandardOutput() + sums.readAllStandardError()).constData());
    const ProgramRun selftest = runProgram(unpacked.filePath(QStringLiteral("usr/bin/tavrix-cli")), {"selftest"},
                                           QProcessEnvironment::systemEnvironment());
    QVERIFY2(selftest.exitCode == 0, shown(selftest).constData());
    QVERIFY(packaged.contains("usr/share/mime/packages/" TAVRIX_APP_ID ".xml"));

    // Installed, each console program finds its Russian texts from its own folder.
    QProcessEnvironment russian = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        russian.remove(QString::fromLatin1(name));
    russian.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
    QVERIFY(packaged.contains("usr/share/tavrix-configurator/translations/tavrix-commandline_ru.qm"));
    for (const QString &program : {QStringLiteral("tavrix-cli"), QStringLiteral("tavrix-sim")}) {
        QVERIFY2(packaged.contains("usr/share/tavrix-configurator/translations/" + program + "_ru.qm"), qPrintable(program));
        const ProgramRun help = runProgram(prefix.path() + "/usr/bin/" + program, {"--help"}, russian);
        QVERIFY2(help.out.startsWith("Использование: " + program.toUtf8()), help.out.constData());
        // The shared command-line texts come from a file of their own.
        QVERIFY2(help.out.contains("Показать эту справку и выйти."), help.out.constData());
    }
    // The window is Russian on an English system too, and finds the shared texts installed.
    QVERIFY(packaged.contains("usr/share/tavrix-configurator/translations/tavrix-common_ru.qm"));
    QProcessEnvironment english = russian;
    english.insert(QStringLiteral("LANG"), QStringLiteral("en_GB.UTF-8"));
    const ProgramRun windowHelp = runProgram(prefix.path() + "/usr/bin/tavrix-configurator", {"--help"}, english);
    QVERIFY2(windowHelp.out.startsWith("Использование: tavrix-configurator"), windowHelp.out.constData());
    QVERIFY2(windowHelp.out.contains("Показать эту справку и выйти."), windowHelp.out.constData());
}

void TestPackage::controlFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("name") << "Package" << "^tavrix-configurator$";
    QTest::newRow("version") << "Version" << "^" + QRegularExpression::escape(TAVRIX_VERSION) + "$";
    QTest::newRow("section") << "Section" << "^comm$";
    // Libraries found by dpkg-shlibdeps, with versions.
    QTest::newRow("Qt libraries") << "Depends" << "(^|, )libqt6widgets6 \\(>= [^)]+\\)(, |$)";
    QTest::newRow("serial port library") << "Depends" << "(^|, )libqt6serialport6 \\(>= [^)]+\\)(, |$)";
    QTest::newRow("network library") << "Depends" << "(^|, )libqt6network6 \\(>= [^)]+\\)(, |$)";
    QTest::newRow("libjpeg") << "Depends" << "(^|, )libjpeg62-turbo \\(>= [^)]+\\)(, |$)";
    QTest::newRow("Qt's Russian texts") << "Depends" << "(^|, )qt6-translations-l10n(, |$)";
    QTest::newRow("Qt on Wayland") << "Depends" << "(^|, )qt6-wayland(, |$)";
    QTest::newRow("description") << "Description" << "^configurator for Tavrix GSM alarm controllers(\\n [^\\n]+)+\\n \\.(\\n [^\\n]+)+$";
    QTest::newRow("home page") << "Homepage" << "^https://";
}

void TestPackage::controlFields()
{
    QFETCH(QString, field);
    QFETCH(QString, pattern);
    const ProgramRun fields = run("dpkg-deb", {"--field", m_deb, field});
    QVERIFY2(fields.exitCode == 0, shown(fields).constData());
    const QString value = QString::fromUtf8(fields.out).trimmed();
    QVERIFY2(QRegularExpression(pattern).match(value).hasMatch(), qPrintable(field + ": " + value));
}

void TestPackage::lintianFindsNoError()
{
    if (tool("lintian").isEmpty())
        QFAIL("lintian is not installed: run scripts/install-deps.sh");
    const ProgramRun lintian = run("lintian", {"--fail-on", "error", "--tag-display-limit", "0", m_deb}, 600000);
    // What remains (warnings, information) goes to the log.
    for (const QByteArray &line : lintian.out.split('\n')) {
        if (!line.isEmpty())
            qInfo("%s", line.constData());
    }
    QVERIFY2(lintian.finished && lintian.exitCode == 0, shown(lintian).constData());
    QVERIFY2(!lintian.out.contains("\nE: ") && !lintian.out.startsWith("E: "), lintian.out.constData());
}

void TestPackage::packedAgainTheSameBytes()
{
    // SHA256SUMS beside the package names it with its sum.
    QFile sums(m_out.filePath(QStringLiteral("SHA256SUMS")));
    QVERIFY(sums.open(QIODevice::ReadOnly));
    const ProgramRun sum = run("sha256sum", {m_deb});
    QCOMPARE(sums.readAll(), sum.out.left(64) + "  " + QFileInfo(m_deb).fileName().toUtf8() + "\n");

    // Packed again under another umask and time zone: the times in the package are the
    // commit's, the modes fixed.
    QTemporaryDir again;
    QProcess cpack;
    cpack.setWorkingDirectory(QStringLiteral(BUILD_DIR));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Vladivostok"));
    cpack.setProcessEnvironment(environment);
    cpack.start(QStringLiteral("/bin/sh"), {"-c", "umask 077 && exec \"$0\" -G DEB -B \"$1\"",
                                            QStringLiteral(CPACK_COMMAND_PATH), again.path()});
    QVERIFY(cpack.waitForFinished(600000));
    QVERIFY2(cpack.exitCode() == 0, (cpack.readAllStandardOutput() + cpack.readAllStandardError()).constData());
    QFile first(m_deb);
    QFile second(again.filePath(QFileInfo(m_deb).fileName()));
    QVERIFY(first.open(QIODevice::ReadOnly));
    QVERIFY(second.open(QIODevice::ReadOnly));
    const QByteArray a = first.readAll();
    const QByteArray b = second.readAll();
    QVERIFY(!a.isEmpty());
    if (a != b) {
        qsizetype at = 0;
        while (at < qMin(a.size(), b.size()) && a[at] == b[at])
            ++at;
        QFAIL(qPrintable(QStringLiteral("the packages differ from byte %1 (scripts/reproduce.sh deb shows how)").arg(at)));
    }
}

void TestPackage::aptInstallsAndRemovesIt()
{
    if (geteuid() != 0)
        QSKIP("needs root: apt-get installs the package into this system (CI runs as root)");
    if (tool("apt-get").isEmpty())
        QSKIP("no apt-get on this system");
    // Other builds on this machine may be at the same step with the same package.
    QLockFile lock(QDir::temp().filePath(QStringLiteral("tavrix-package-test.lock")));
    lock.setStaleLockTime(0);
    QVERIFY(lock.tryLock(900000));
    if (packageInstalled())
        QSKIP("a tavrix-configurator package is installed on this system already; the test would replace it");

    // apt reads a local package as its own unprivileged user.
    QTemporaryDir readable;
    const QString deb = readable.filePath(QFileInfo(m_deb).fileName());
    QVERIFY(QFile::copy(m_deb, deb));
    QVERIFY(QFile::setPermissions(readable.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                       QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                                       QFile::ExeGroup));
    QVERIFY(QFile::setPermissions(deb, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DEBIAN_FRONTEND"), QStringLiteral("noninteractive"));
    const QStringList apt{"-y", "-o", "DPkg::Lock::Timeout=600", "--no-install-recommends"};
    auto removePackage = qScopeGuard([&] {
        if (packageInstalled())
            run("apt-get", apt + QStringList{"remove", kPackage}, 600000, environment);
    });

    const ProgramRun install = run("apt-get", apt + QStringList{"install", deb}, 600000, environment);
    QVERIFY2(install.exitCode == 0, shown(install).constData());
    QVERIFY(packageInstalled());

    // Found on an ordinary PATH, as a user's shell finds it.
    QProcessEnvironment user = QProcessEnvironment::systemEnvironment();
    user.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    const ProgramRun version = runProgram(QStringLiteral("/bin/sh"), {"-c", "tavrix-configurator --version"}, user);
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("tavrix-configurator " TAVRIX_VERSION "\n"));
    // The system's triggers took the type of configuration files in.
    QVERIFY(QFileInfo::exists(QStringLiteral("/usr/share/mime/application/x-tavrix-configuration.xml")));

    const ProgramRun remove = run("apt-get", apt + QStringList{"remove", kPackage}, 600000, environment);
    QVERIFY2(remove.exitCode == 0, shown(remove).constData());
    QVERIFY(!packageInstalled());
    const ProgramRun gone = runProgram(QStringLiteral("/bin/sh"), {"-c", "tavrix-configurator --version"}, user);
    QCOMPARE(gone.exitCode, 127);
    QVERIFY(!QFileInfo::exists(QStringLiteral("/usr/share/mime/application/x-tavrix-configuration.xml")));
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
