// The window on a Wayland compositor (Weston, headless): the test's own window runs on
// the Wayland platform, connects to the simulator and reads its configuration; the
// installed program, started with only a Wayland display, picks Wayland by itself and
// names itself to the compositor by the menu entry's id.
#include "app/desktopidentity.h"
#include "app/tform1.h"
#include "sim/simulator.h"
#include "tests/desktop/programrun.h"
#include "tests/support/recordingdesktop.h"
#include "ui/widgetcontrols.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

const QString kId = QStringLiteral(TAVRIX_APP_ID);
const QString kSocket = QStringLiteral("tavrix-test-0");

// Weston on its headless backend for the life of the test, on a socket in a private
// runtime folder. Started before the application object, which connects to it.
class Weston
{
public:
    Weston()
    {
        const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
        if (weston.isEmpty()) {
            m_problem = QStringLiteral("weston is not installed (scripts/install-deps.sh installs it)");
            return;
        }
        if (!m_runtime.isValid()) {
            m_problem = QStringLiteral("no temporary folder");
            return;
        }
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        const QByteArray program = QFile::encodeName(weston);
        const QByteArray socket = "--socket=" + kSocket.toLatin1();
        const QByteArray logFile = QFile::encodeName(logPath());
        char *argv[] = {const_cast<char *>(program.constData()), const_cast<char *>("--backend=headless-backend.so"),
                        const_cast<char *>(socket.constData()), const_cast<char *>("--idle-time=0"), nullptr};
        posix_spawn_file_actions_t output;
        posix_spawn_file_actions_init(&output);
        posix_spawn_file_actions_addopen(&output, STDOUT_FILENO, logFile.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&output, STDOUT_FILENO, STDERR_FILENO);
        const int failed = posix_spawn(&m_pid, program.constData(), &output, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&output);
        if (failed) {
            m_pid = 0;
            m_problem = QStringLiteral("weston did not start");
            return;
        }
        // The socket appears once Weston accepts clients; a Weston that ends has failed.
        const QString socketPath = m_runtime.filePath(kSocket);
        QDeadlineTimer deadline(30000);
        while (!QFile::exists(socketPath)) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid || deadline.hasExpired()) {
                m_problem = QStringLiteral("weston gave no socket:\n") + log();
                return;
            }
            usleep(20000);
        }
        qputenv("WAYLAND_DISPLAY", kSocket.toLatin1());
        qputenv("QT_QPA_PLATFORM", "wayland");
    }

    ~Weston()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    // Empty while it runs.
    QString problem() const { return m_problem; }
    QString runtimeDir() const { return m_runtime.path(); }
    QString log() const
    {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private:
    QString logPath() const { return m_runtime.filePath(QStringLiteral("weston.log")); }

    QTemporaryDir m_runtime;
    pid_t m_pid = 0;
    QString m_problem;
};

Weston *g_weston = nullptr;

} // namespace

class TestWayland : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void windowReadsTheControllerOnWayland();
    void programPicksWaylandAndNamesItsEntry_data();
    void programPicksWaylandAndNamesItsEntry();
};

void TestWayland::init()
{
    if (!g_weston->problem().isEmpty()) {
        if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty())
            QSKIP(qPrintable(g_weston->problem()));
        QFAIL(qPrintable(g_weston->problem()));
    }
}

void TestWayland::windowReadsTheControllerOnWayland()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));

    QTemporaryDir ports;
    RecordingDesktop desktop;
    sim::Simulator device;
    QVERIFY(device.start(ports.path(), 1));
    QByteArray record = device.record();
    record[20] = '4';                  // siren 40 s
    record.replace(26, 4, "2468");     // password
    device.setRecord(record);

    useDesktopIdentity();
    TForm1 form(PortMap(ports.path(), {}));
    form.show();
    // Exposed only once the compositor has configured the window's surface.
    QVERIFY(QTest::qWaitForWindowExposed(&form, 20000));

    form.control<QPushButton>("OpenClose")->click();
    QVERIFY(form.channel().isOpen());
    QTRY_VERIFY_WITH_TIMEOUT(!desktop.boxes.isEmpty(), 20000);
    QCOMPARE(desktop.boxes.first().text, QStringLiteral("Чтение НАСТРОЕК прошло успешно"));
    QCOMPARE(form.controls().index("ComboBox22"), 4);
    QCOMPARE(form.controls().text("Edit31"), QStringLiteral("2468"));
}

void TestWayland::programPicksWaylandAndNamesItsEntry_data()
{
    QTest::addColumn<QByteArray>("file"); // the configuration file's text; empty: none given
    QTest::addColumn<QStringList>("requests");
    const QString appId = QStringLiteral("set_app_id(\"%1\")").arg(kId);
    QTest::newRow("no file") << QByteArray() << QStringList{appId};
    // A file refused at start shows the same error box as the menu, on top of the window.
    QTest::newRow("file with an unknown control")
        << QByteArray("# tavrix-configuration 1\nNoSuchControl = 1\n")
        << QStringList{appId, QStringLiteral("set_title(\"Error\")")};
}

void TestWayland::programPicksWaylandAndNamesItsEntry()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, requests);

    QTemporaryDir config;
    QStringList arguments;
    if (!file.isEmpty()) {
        QFile cfg(config.filePath(QStringLiteral("site.cfg")));
        QVERIFY(cfg.open(QIODevice::WriteOnly));
        cfg.write(file);
        arguments << cfg.fileName();
    }
    // Only a Wayland display, as a Wayland session gives it; the client's side of the
    // protocol goes to stderr.
    QProcessEnvironment environment = withoutSerialPorts(QProcessEnvironment::systemEnvironment(), config);
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), g_weston->runtimeDir());
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), kSocket);
    environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("client"));

    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CONFIGURATOR_PATH), arguments);
    QVERIFY(program.waitForStarted());
    QByteArray err;
    const auto allSent = [&] {
        err += program.readAllStandardError();
        for (const QString &request : requests) {
            if (!err.contains(request.toUtf8()))
                return false;
        }
        return true;
    };
    const bool sent = QTest::qWaitFor(allSent, 30000);
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished();
    QVERIFY2(sent, err.right(3000).constData());
    QVERIFY(running);
}

int main(int argc, char *argv[])
{
    Weston weston;
    g_weston = &weston;
    QApplication app(argc, argv);
    TestWayland test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wayland.moc"
