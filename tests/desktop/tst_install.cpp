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
    // The window's X11 instance name is the program's file name.
    QCOMPARE(entry.value("StartupWMClass"), entry.value("Exec").section(' ', 0, 0));

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

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
