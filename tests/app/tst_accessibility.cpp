// The window as a screen reader meets it, through the accessibility bus on a display of
// its own: every control a user can focus on every page has a name of its own, and Tab
// reaches each enabled one; Ctrl+Tab goes through all the pages.
#include "ui/pagesetup.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void ctrlTabVisitsEveryPage();
    void countedBoxesSayTheirLimit();
    void everyControlNamedOnceAndReachedByTab_data();
    void everyControlNamedOnceAndReachedByTab();

private:
    QTemporaryDir m_home;
    QProcess m_xvfb;
    QList<QJsonObject> m_pages;
};

void TestAccessibility::initTestCase()
{
    const QString python = QFileInfo::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                                                  : QStringLiteral("python3");
    for (const char *tool : {"Xvfb", "xdotool", "dbus-run-session"})
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(), "run scripts/install-deps.sh");
    QVERIFY2(QProcess::execute(python, {"-c", "import pyatspi"}) == 0, "python3-pyatspi: run scripts/install-deps.sh");

    // -noreset: the accessibility bus's helpers connect to the display and leave at once;
    // a server that resets when its last client leaves drops a window connecting just then.
    m_xvfb.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-noreset", "-screen", "0", "1366x768x24", "-nolisten", "tcp"});
    QVERIFY(m_xvfb.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_xvfb.canReadLine(), 20000);
    const QString display = QStringLiteral(":") + QString::fromLatin1(m_xvfb.readLine()).trimmed();

    QProcess walk;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    // No ports of the machine's own: an empty ports folder and table.
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    walk.setProcessEnvironment(env);
    walk.start(QStringLiteral("dbus-run-session"),
               {"--", python, QStringLiteral(ATSPI_WALK), QStringLiteral(CONFIGURATOR_PATH)});
    QVERIFY(walk.waitForFinished(240000));
    const QByteArray err = walk.readAllStandardError();
    QVERIFY2(walk.exitCode() == 0, err.constData());
    for (const QByteArray &line : walk.readAllStandardOutput().split('\n')) {
        // The bus's own services also talk on this stream.
        if (line.startsWith('{'))
            m_pages << QJsonDocument::fromJson(line).object();
    }
    QCOMPARE(m_pages.size(), pages::count());
}

void TestAccessibility::cleanupTestCase()
{
    m_xvfb.terminate();
    m_xvfb.waitForFinished();
}

void TestAccessibility::ctrlTabVisitsEveryPage()
{
    QStringList captions;
    for (int i = 0; i < pages::count(); ++i)
        captions << pages::caption(i);
    QSet<QString> selected;
    for (const QJsonObject &page : m_pages) {
        for (const QJsonValue &c : page[QStringLiteral("controls")].toArray()) {
            if (c[QStringLiteral("role")] == QStringLiteral("page tab") && c[QStringLiteral("selected")].toBool())
                selected << c[QStringLiteral("name")].toString();
        }
    }
    QCOMPARE(selected, QSet<QString>(captions.begin(), captions.end()));
}

void TestAccessibility::countedBoxesSayTheirLimit()
{
    // Nine phone numbers, nine keys, twelve SMS words and the password have counters.
    QHash<QString, QString> described;
    for (const QJsonObject &page : m_pages) {
        for (const QJsonValue &c : page[QStringLiteral("controls")].toArray()) {
            if (c[QStringLiteral("description")].toString().startsWith(QStringLiteral("Не более ")))
                described.insert(c[QStringLiteral("name")].toString(), c[QStringLiteral("description")].toString());
        }
    }
    QCOMPARE(described.size(), 31);
    QCOMPARE(described.value(QStringLiteral("Номер 3-го абонента")), QStringLiteral("Не более 14 символов"));
    QCOMPARE(described.value(QStringLiteral("Код 5-го ключа")), QStringLiteral("Не более 16 символов"));
}

void TestAccessibility::everyControlNamedOnceAndReachedByTab_data()
{
    QTest::addColumn<int>("walk");
    for (int i = 0; i < pages::count(); ++i)
        QTest::addRow("page %d of the walk", i + 1) << i;
}

void TestAccessibility::everyControlNamedOnceAndReachedByTab()
{
    QFETCH(int, walk);
    const QJsonObject page = m_pages.value(walk);
    const QJsonArray controls = page[QStringLiteral("controls")].toArray();
    QVERIFY(controls.size() > 6); // the connection bar, a tab and the page's own
    QStringList visited;
    for (const QJsonValue &v : page[QStringLiteral("visited")].toArray())
        visited << v.toString();
    QStringList names;
    for (const QJsonValue &c : controls) {
        const QString name = c[QStringLiteral("name")].toString();
        const QString json = QString::fromUtf8(QJsonDocument(c.toObject()).toJson(QJsonDocument::Compact));
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(json));
        // A name says what the control is for, not what it holds.
        const QString value = c[QStringLiteral("value")].toString();
        QVERIFY2(value.isEmpty() || name != value, qPrintable(json));
        // A list's own name on this bus is its chosen item: its name is the label it is
        // labelled by, and a list without one is known by its value alone.
        if (c[QStringLiteral("role")] == QStringLiteral("combo box")) {
            const QJsonArray labels = c[QStringLiteral("labels")].toArray();
            QVERIFY2(!labels.isEmpty() && labels.first().toString() == name, qPrintable(json));
        }
        QVERIFY2(!names.contains(name), qPrintable(name));
        names << name;
        // Tab stops at the chosen one of a set of radio buttons (the arrows choose) and
        // at the selected page tab (the arrows and Ctrl+Tab change pages).
        const bool stop = c[QStringLiteral("role")] == QStringLiteral("radio button") ? c[QStringLiteral("checked")].toBool()
            : c[QStringLiteral("role")] == QStringLiteral("page tab")                   ? c[QStringLiteral("selected")].toBool()
                                                                                       : true;
        if (c[QStringLiteral("enabled")].toBool() && stop)
            QVERIFY2(visited.contains(name), qPrintable(name + " | " + visited.join(", ")));
    }
}

QTEST_GUILESS_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
