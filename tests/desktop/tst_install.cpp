// `cmake --install` into a private prefix: the programs, the menu entry, the icon at
// every size, the metainfo and the type of configuration files are where a desktop
// looks for them, the entry and the metainfo pass the freedesktop.org validators, a
// configuration file is recognised and opened with the configurator, and the installed
// window starts.
#include "tests/desktop/programrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QXmlStreamReader>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void programsAndIconsAreInPlace();
    void menuEntryAndMetainfoValidate_data();
    void menuEntryAndMetainfoValidate();
    void menuEntryAndMetainfoNameWhatWasInstalled();
    void configurationFilesOpenWithTheConfigurator_data();
    void configurationFilesOpenWithTheConfigurator();
    void installedConfiguratorRuns();
    void installedToolDrawsAPdfSheet();
    void selftestNamesWhatIsNotAsShipped_data();
    void selftestNamesWhatIsNotAsShipped();
    void windowIsMatchedToTheMenuEntry_data();
    void windowIsMatchedToTheMenuEntry();

private:
    QString installed(const QString &path) const { return m_prefix.path() + QLatin1Char('/') + path; }

    QTemporaryDir m_prefix;
    QTemporaryDir m_config;
    QTemporaryDir m_files;
    // The prefix before the system's data folders, and no folder of the user's.
    QProcessEnvironment m_dataDirs;
};

namespace {

const QString kId = QStringLiteral(TAVRIX_APP_ID);
const QString kFileType = QStringLiteral("application/x-tavrix-configuration");

QString tool(const char *name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// The [Desktop Entry] keys, without the translated ones.
QMap<QString, QString> desktopEntry(const QString &path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && !line.left(equals).contains(QLatin1Char('[')))
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}

template<typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// WM_CLASS of the first window shown on the display (empty while there is none).
QByteArray shownWindowClass(xcb_connection_t *connection)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr), &std::free);
    if (!tree)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, children[i]), nullptr),
            &std::free);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const XcbReply<xcb_get_property_reply_t> property(
            xcb_get_property_reply(connection,
                                   xcb_get_property(connection, 0, children[i], XCB_ATOM_WM_CLASS,
                                                    XCB_ATOM_STRING, 0, 256),
                                   nullptr),
            &std::free);
        if (property && xcb_get_property_value_length(property.get()) > 0)
            return QByteArray(static_cast<const char *>(xcb_get_property_value(property.get())),
                              xcb_get_property_value_length(property.get()));
    }
    return {};
}

} // namespace

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    const ProgramRun run = runProgram(QStringLiteral(CMAKE_COMMAND_PATH),
                                      {"--install", QStringLiteral(BUILD_DIR), "--prefix", m_prefix.path()},
                                      QProcessEnvironment::systemEnvironment(), 120000);
    QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());

    // What the package's triggers do on a system: the type database and the list of
    // programs for each type. Both complain on stderr about a definition they skip, and
    // about a folder that the data folders do not name.
    m_dataDirs = QProcessEnvironment::systemEnvironment();
    m_dataDirs.insert(QStringLiteral("XDG_DATA_DIRS"), installed("share") + QStringLiteral(":/usr/share"));
    m_dataDirs.insert(QStringLiteral("XDG_DATA_HOME"), m_config.filePath(QStringLiteral("data")));
    for (const auto &[name, folder] : {std::pair{"update-mime-database", "share/mime"},
                                       std::pair{"update-desktop-database", "share/applications"}}) {
        const QString updater = tool(name);
        QVERIFY2(!updater.isEmpty(), "run scripts/install-deps.sh");
        const ProgramRun update = runProgram(updater, {installed(folder)}, m_dataDirs);
        QVERIFY2(update.finished && update.exitCode == 0 && update.err.isEmpty(), update.err.constData());
    }

    // A configuration named as the window and tavrix-cli name them, one named without
    // the ending, a text that is not one, and another program's .cfg.
    for (const auto &[name, text] : {std::pair{"site.cfg", "# tavrix-configuration 1\nEdit34 = internet\n"},
                                     std::pair{"backup-COM3", "# tavrix-configuration 1\nEdit31 = 7913\n"},
                                     std::pair{"notes.txt", "Edit34 = internet\n"},
                                     std::pair{"router.cfg", "hostname gw\ninterface eth0\n"}}) {
        QFile file(m_files.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
}

void TestInstall::programsAndIconsAreInPlace()
{
    const QStringList programs = QStringLiteral(PROGRAMS).split(QLatin1Char(' '));
    QVERIFY(programs.contains(QStringLiteral("tavrix-configurator")) && programs.contains(QStringLiteral("tavrix-sim")));
    for (const QString &program : programs)
        QVERIFY2(QFileInfo(installed("bin/" + program)).isExecutable(), qPrintable(program));
    QVERIFY(QFileInfo::exists(installed("share/icons/hicolor/scalable/apps/" + kId + ".svg")));
    const QStringList sizes = QStringLiteral(ICON_SIZES).split(QLatin1Char(' '));
    QCOMPARE(sizes.first(), QStringLiteral("16"));
    QCOMPARE(sizes.last(), QStringLiteral("256"));
    for (const QString &size : sizes) {
        const QString png = installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size, kId));
        QImageReader reader(png);
        QCOMPARE(reader.format(), QByteArray("png"));
        QCOMPARE(reader.size(), QSize(size.toInt(), size.toInt()));
    }
}

void TestInstall::menuEntryAndMetainfoValidate_data()
{
    QTest::addColumn<QString>("validator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::newRow("desktop entry") << tool("desktop-file-validate") << QStringList{}
                                   << "share/applications/" + kId + ".desktop";
    QTest::newRow("metainfo") << tool("appstreamcli") << QStringList{"validate", "--no-net"}
                              << "share/metainfo/" + kId + ".metainfo.xml";
}

void TestInstall::menuEntryAndMetainfoValidate()
{
    QFETCH(QString, validator);
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QVERIFY2(!validator.isEmpty(), "validator missing: run scripts/install-deps.sh");
    QVERIFY(QFileInfo::exists(installed(file)));
    const ProgramRun run = runProgram(validator, arguments << installed(file), QProcessEnvironment::systemEnvironment());
    QVERIFY2(run.finished && run.exitCode == 0, (run.out + run.err).constData());
    // The desktop entry validator passes warnings with status 0; take none.
    if (!arguments.contains(QStringLiteral("validate")))
        QVERIFY2(run.out.isEmpty() && run.err.isEmpty(), (run.out + run.err).constData());
}

void TestInstall::menuEntryAndMetainfoNameWhatWasInstalled()
{
    const QMap<QString, QString> entry = desktopEntry(installed("share/applications/" + kId + ".desktop"));
    QCOMPARE(entry.value("Name"), QStringLiteral("Конфигуратор Tavrix"));
    QVERIFY(QFileInfo(installed("bin/" + entry.value("Exec").section(' ', 0, 0))).isExecutable());
    QCOMPARE(entry.value("Icon"), kId);
    // The task bar finds the entry by the class the windows carry: the entry's own name.
    QCOMPARE(entry.value("StartupWMClass"), kId);
    // A file manager hands the entry the file the user opened, of the type installed
    // beside it, which it shows with the program's icon.
    QCOMPARE(entry.value("Exec").section(' ', 1), QStringLiteral("%f"));
    QCOMPARE(entry.value("MimeType"), kFileType + ';');
    QFile icons(installed("share/mime/icons"));
    QVERIFY(icons.open(QIODevice::ReadOnly | QIODevice::Text));
    QVERIFY(QString::fromUtf8(icons.readAll()).split('\n').contains(kFileType + ':' + kId));

    QFile metainfo(installed("share/metainfo/" + kId + ".metainfo.xml"));
    QVERIFY(metainfo.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&metainfo);
    QStringList ids, launchables, binaries, releases;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"id")
            ids << xml.readElementText();
        else if (xml.name() == u"launchable")
            launchables << xml.readElementText();
        else if (xml.name() == u"binary")
            binaries << xml.readElementText();
        else if (xml.name() == u"release")
            releases << xml.attributes().value("version").toString();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(ids, QStringList{kId});
    QCOMPARE(launchables, QStringList{kId + ".desktop"});
    QCOMPARE(releases.value(0), QStringLiteral("2.0"));
    QVERIFY(!binaries.isEmpty());
    for (const QString &binary : binaries)
        QVERIFY2(QFileInfo(installed("bin/" + binary)).isExecutable(), qPrintable(binary));
}

void TestInstall::configurationFilesOpenWithTheConfigurator_data()
{
    QTest::addColumn<QStringList>("query");
    QTest::addColumn<QString>("answer");
    QTest::newRow("by its name") << QStringList{"filetype", m_files.filePath("site.cfg")} << kFileType;
    QTest::newRow("by its first line") << QStringList{"filetype", m_files.filePath("backup-COM3")} << kFileType;
    QTest::newRow("another text") << QStringList{"filetype", m_files.filePath("notes.txt")} << "text/plain";
    QTest::newRow("another program's .cfg") << QStringList{"filetype", m_files.filePath("router.cfg")} << "text/plain";
    QTest::newRow("the program that opens it") << QStringList{"default", kFileType} << kId + ".desktop";
}

void TestInstall::configurationFilesOpenWithTheConfigurator()
{
    QFETCH(QStringList, query);
    QFETCH(QString, answer);
    const QString xdgMime = tool("xdg-mime");
    QVERIFY2(!xdgMime.isEmpty(), "xdg-mime missing: run scripts/install-deps.sh");
    // No desktop named, so that xdg-mime reads the databases itself.
    QProcessEnvironment environment = m_dataDirs;
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config.path());
    for (const char *name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                             "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    const ProgramRun run = runProgram(xdgMime, QStringList{"query"} + query, environment);
    QVERIFY2(run.finished && run.exitCode == 0, run.err.constData());
    QCOMPARE(QString::fromUtf8(run.out.trimmed()), answer);
}

void TestInstall::installedConfiguratorRuns()
{
    const QString program = installed("bin/tavrix-configurator");
    QProcessEnvironment environment = withoutSerialPorts(QProcessEnvironment::systemEnvironment(), m_config);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    const ProgramRun version = runProgram(program, {"--version"}, environment);
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("tavrix-configurator 2.0\n"));

    // The window's event loop keeps running until it is stopped.
    const ProgramRun window = runProgram(program, {}, environment, 3000);
    QVERIFY2(!window.finished, window.err.constData());
}

// The tool finds the program that draws its PDF sheets in the helper folder, off the PATH.
void TestInstall::selftestNamesWhatIsNotAsShipped_data()
{
    QTest::addColumn<QString>("change"); // "", "tamper", "remove", "add" or "append" (path: a line for the list)
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line"); // the line selftest must print

    QTest::newRow("as installed") << "" << "" << 0 << "The program's files are intact.";
    QTest::newRow("a program changed") << "tamper" << "bin/tavrix-sim" << 1 << "changed: bin/tavrix-sim";
    QTest::newRow("a translation changed") << "tamper" << "share/tavrix-configurator/translations/tavrix-cli_ru.qm"
                                           << 1 << "changed: share/tavrix-configurator/translations/tavrix-cli_ru.qm";
    QTest::newRow("a man page missing") << "remove" << "share/man/man1/tavrix-cli.1.gz" << 1
                                        << "missing: share/man/man1/tavrix-cli.1.gz";
    // Qt searches the program's own folder for plugins too: one put there would be loaded.
    QTest::newRow("a plugin put beside the programs") << "add" << "bin/platforms/libqevil.so" << 1
                                                      << "not shipped, yet Qt would load it: bin/platforms/libqevil.so";
    QTest::newRow("the list itself cut short") << "append" << "3f2a9" << 1
                                               << "The list of shipped files .* is damaged: line \\d+ is not .*";
    // A list that reaches outside the installation is refused as a whole, not followed.
    QTest::newRow("the list names a file outside")
        << "append" << QString(64, QLatin1Char('0')) + "  ../../etc/passwd" << 1
        << "The list of shipped files .* is damaged: line \\d+ is not .*";
}

void TestInstall::selftestNamesWhatIsNotAsShipped()
{
    QFETCH(QString, change);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QString, line);
    // A copy of its own for each row: the other tests use the first one as installed.
    QTemporaryDir prefix;
    const ProgramRun install = runProgram(QStringLiteral(CMAKE_COMMAND_PATH),
                                          {"--install", QStringLiteral(BUILD_DIR), "--prefix", prefix.path()},
                                          QProcessEnvironment::systemEnvironment(), 120000);
    QVERIFY2(install.finished && install.exitCode == 0, install.err.constData());
    const QString target = prefix.filePath(path);
    if (change == QLatin1String("tamper")) {
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(file.size() / 2);
        char byte = 0;
        QVERIFY(file.getChar(&byte));
        file.seek(file.size() / 2);
        QVERIFY(file.putChar(char(byte ^ 0x20)));
    } else if (change == QLatin1String("remove")) {
        QVERIFY(QFile::remove(target));
    } else if (change == QLatin1String("append")) {
        QFile list(prefix.filePath("share/tavrix-configurator/tavrix-files.sha256"));
        QVERIFY(list.open(QIODevice::Append));
        list.write(path.toUtf8() + '\n');
    } else if (change == QLatin1String("add")) {
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x7f" "ELF");
    }

    QProcessEnvironment english = QProcessEnvironment::systemEnvironment();
    english.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    const ProgramRun run = runProgram(prefix.filePath("bin/tavrix-cli"), {"selftest"}, english, 120000);
    QVERIFY2(run.finished, run.err.constData());
    QCOMPARE(run.exitCode, status);
    QVERIFY2(QRegularExpression("(?m)^" + line + "$").match(QString::fromUtf8(run.out)).hasMatch(), run.out.constData());
    // Only what was changed is named, and the verdict agrees with the status.
    const QStringList named = QString::fromUtf8(run.out).split('\n').filter(QRegularExpression("^(changed|missing|not shipped)"));
    QCOMPARE(named.size(), status == 0 || line.contains(QLatin1String("damaged")) ? 0 : 1);
    QCOMPARE(run.out.contains("The program's files are intact."), status == 0);
    // The list is what sha256sum checks as well.
    if (status == 0) {
        QProcess check;
        check.setWorkingDirectory(prefix.path());
        check.start(QStringLiteral("sha256sum"), {"--check", "--quiet", "share/tavrix-configurator/tavrix-files.sha256"});
        QVERIFY(check.waitForFinished(120000));
        QVERIFY2(check.exitCode() == 0, check.readAllStandardOutput().constData());
    }
}

void TestInstall::installedToolDrawsAPdfSheet()
{
    QVERIFY(QFileInfo(installed("libexec/tavrix/tavrix-sheet-pdf")).isExecutable());
    QVERIFY(!QFileInfo::exists(installed("bin/tavrix-sheet-pdf")));
    const QString cli = installed("bin/tavrix-cli");
    QProcessEnvironment environment = withoutSerialPorts(QProcessEnvironment::systemEnvironment(), m_config);
    const QString cfg = m_files.filePath("installed.cfg");
    const QString sheet = m_files.filePath("installed.pdf");
    QCOMPARE(runProgram(cli, {"defaults", "-o", cfg}, environment).exitCode, 0);
    const ProgramRun report = runProgram(cli, {"report", cfg, "-o", sheet}, environment, 60000);
    QVERIFY2(report.exitCode == 0, report.err.constData());
    QFile pdf(sheet);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
}

void TestInstall::windowIsMatchedToTheMenuEntry_data()
{
    QTest::addColumn<QString>("waylandDisplay");
    QTest::newRow("X11") << QString();
    // A Wayland display named but not there: the window falls back to X11.
    QTest::newRow("Wayland gone") << QStringLiteral("tavrix-no-such-wayland");
}

void TestInstall::windowIsMatchedToTheMenuEntry()
{
    QFETCH(QString, waylandDisplay);
    const QString xvfb = tool("Xvfb");
    if (xvfb.isEmpty())
        QSKIP("Xvfb is not installed (scripts/install-deps.sh installs it)");
    QProcess server;
    server.start(xvfb, {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    QVERIFY(server.waitForStarted());
    // The server writes its display number once it accepts clients.
    QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 20000);
    const QByteArray display = ':' + server.readLine().trimmed();

    QProcessEnvironment environment = withoutSerialPorts(QProcessEnvironment::systemEnvironment(), m_config);
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!waylandDisplay.isEmpty()) {
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), waylandDisplay);
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_config.path());
    }
    environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(installed("bin/tavrix-configurator"));
    QVERIFY(program.waitForStarted());

    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(display.constData(), nullptr), &xcb_disconnect);
    QVERIFY(!xcb_connection_has_error(connection.get()));
    QByteArray wmClass;
    QTRY_VERIFY2_WITH_TIMEOUT(!(wmClass = shownWindowClass(connection.get())).isEmpty(),
                              program.readAllStandardError().constData(), 20000);
    program.kill();
    program.waitForFinished();
    server.terminate();
    server.waitForFinished();

    // Instance: the program; class: the entry's name, as its StartupWMClass says.
    const QList<QByteArray> halves = wmClass.split('\0');
    QCOMPARE(halves.value(0), QByteArray("tavrix-configurator"));
    QCOMPARE(halves.value(1), kId.toLatin1());
    const QMap<QString, QString> entry = desktopEntry(installed("share/applications/" + kId + ".desktop"));
    QCOMPARE(entry.value("StartupWMClass").toLatin1(), halves.value(1));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
