// `cmake --install` into a private prefix: the programs, the menu entry, the icon at
// every size and the metainfo are where a desktop looks for them, the entry and the
// metainfo pass the freedesktop.org validators, and the installed window starts.
#include "tests/desktop/programrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
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
    void installedConfiguratorRuns();
    void windowIsMatchedToTheMenuEntry();

private:
    QString installed(const QString &path) const { return m_prefix.path() + QLatin1Char('/') + path; }

    QTemporaryDir m_prefix;
    QTemporaryDir m_config;
};

namespace {

const QString kId = QStringLiteral(TAVRIX_APP_ID);

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

void TestInstall::windowIsMatchedToTheMenuEntry()
{
    const QString xvfb = tool("Xvfb");
    if (xvfb.isEmpty())
        QSKIP("Xvfb is not installed (scripts/install-deps.sh installs it)");
    QProcess server;
    server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    QVERIFY(server.waitForStarted());
    // The server writes its display number once it accepts clients.
    QTRY_VERIFY_WITH_TIMEOUT(server.canReadLine(), 20000);
    const QByteArray display = ':' + server.readLine().trimmed();

    QProcessEnvironment environment = withoutSerialPorts(QProcessEnvironment::systemEnvironment(), m_config);
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
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
