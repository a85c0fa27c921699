// Network ports against servers nobody here wrote (ser2net, pyserial's example) and
// against `tavrix-cli serve`, each in front of the simulator's pseudo-terminal; and the
// faults a network brings, made by a small proxy.
#include "protocol/replies.h"
#include "sim/simulator.h"
#include "tests/support/loopback.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

using loopback::accepts;
using loopback::freePort;

// Between the tool and a server: passes both ways, or makes one fault.
class FaultProxy : public QObject
{
public:
    enum class Mode {
        Pass,
        OneByteSegments, // the server's bytes one segment each
        Latency,         // every segment held 300 ms, in order
        KeepSpeed,       // the server's speed answer turned into 115200
        NoSpeedAnswer,   // the server's speed answer taken out
        WontEverything,  // answers every option command with WONT, then passes raw
        Silent,          // takes the connection and says nothing
        ResetInWrite,    // resets the connection in the middle of WRITE_SET_
        CloseOnCommand,  // closes as soon as a command comes
    };

    FaultProxy(Mode mode, quint16 upstream) : m_mode(mode), m_upstream(upstream)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &FaultProxy::accept);
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void accept()
    {
        QTcpSocket *client = m_server.nextPendingConnection();
        client->setParent(this);
        client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        if (m_mode == Mode::Silent)
            return;
        auto *server = new QTcpSocket(this);
        server->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        server->connectToHost(QHostAddress::LocalHost, m_upstream);
        connect(client, &QTcpSocket::readyRead, this, [=] { fromClient(client, server); });
        connect(server, &QTcpSocket::readyRead, this, [=] { fromServer(server, client); });
        connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
    }

    void fromClient(QTcpSocket *client, QTcpSocket *server)
    {
        QByteArray bytes = client->readAll();
        if (m_mode == Mode::WontEverything) {
            // Option commands are three bytes each: IAC, verb, option.
            QByteArray rest;
            for (int i = 0; i < bytes.size(); ++i) {
                if (quint8(bytes[i]) == 255 && i + 2 < bytes.size() && quint8(bytes[i + 1]) >= 251) {
                    client->write(QByteArray("\xff\xfc") + bytes[i + 2]);
                    i += 2;
                } else {
                    rest += bytes[i];
                }
            }
            bytes = rest;
        }
        if (m_mode == Mode::CloseOnCommand && bytes.contains("READ_SET")) {
            client->disconnectFromHost();
            return;
        }
        if (m_mode == Mode::ResetInWrite && bytes.contains("WRITE_SET_")) {
            server->write(bytes.left(bytes.indexOf("WRITE_SET_") + 20));
            server->flush();
            // SO_LINGER 0: the close is a reset, as a cable pulled from a serial server.
            const linger hard{1, 0};
            ::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            client->abort();
            server->abort();
            return;
        }
        server->write(bytes);
    }

    void fromServer(QTcpSocket *server, QTcpSocket *client)
    {
        QByteArray bytes = server->readAll();
        switch (m_mode) {
        case Mode::OneByteSegments:
            // Each byte on its own turn of the event loop, so that each leaves as a segment.
            m_held += bytes;
            if (!m_trickle.isActive()) {
                m_trickle.disconnect();
                connect(&m_trickle, &QTimer::timeout, client, [this, client] {
                    client->write(m_held.left(1));
                    client->flush();
                    m_held.remove(0, 1);
                    if (m_held.isEmpty())
                        m_trickle.stop();
                });
                m_trickle.start(0);
            }
            return;
        case Mode::Latency:
            m_held += bytes;
            QTimer::singleShot(300, client, [this, client, n = bytes.size()] {
                client->write(m_held.left(n));
                m_held.remove(0, n);
            });
            return;
        case Mode::KeepSpeed:
        case Mode::NoSpeedAnswer: {
            const QByteArray asked = QByteArray::fromHex("fffa2c6500002580fff0"); // 9600 answered
            bytes.replace(asked, m_mode == Mode::KeepSpeed ? QByteArray::fromHex("fffa2c650001c200fff0") // as 115200
                                                           : QByteArray());
            break;
        }
        default:
            break;
        }
        client->write(bytes);
    }

    Mode m_mode;
    quint16 m_upstream;
    QTcpServer m_server;
    QByteArray m_held;
    QTimer m_trickle;
};

} // namespace

class TestNetPorts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void serverAndCommand_data();
    void serverAndCommand();
    void faults_data();
    void faults();
    void pyserialClientAgainstServe();
    void serveTakesOneClientAtATime();

private:
    struct Result
    {
        int status = -1;
        QString out;
        QString err;
    };
    enum class Server { Ser2netTelnet, Ser2netTcp, Pyserial, Serve };

    Result cli(const QStringList &args);
    QProcessEnvironment environment() const;
    // Starts the server in front of the simulator's terminal; its port, 0 when it failed.
    quint16 startServer(Server server);
    void stopServers();
    QString path(const QString &name) const { return m_home->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<sim::Simulator> m_sim;
    std::vector<std::unique_ptr<QProcess>> m_servers;
    QByteArray m_serveSaid; // what serve printed while it was started
};

void TestNetPorts::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty(),
             "ser2net is not installed (scripts/install-deps.sh)");
    QVERIFY2(QProcess::execute(kPython, {QStringLiteral("-c"), QStringLiteral("import serial.rfc2217")}) == 0,
             "python3-serial is not installed (scripts/install-deps.sh)");
    QVERIFY(QFile::exists(QStringLiteral("/usr/share/doc/python3-serial/examples/rfc2217_server.py")));
}

void TestNetPorts::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    m_sim = std::make_unique<sim::Simulator>();
    QVERIFY(m_sim->start(path(QStringLiteral("tavrix/ports")), 3));
    m_sim->setPacing(false);
    // A record with 0xFF ("я" in the wire's code page) in an SMS text: doubled on the wire.
    QByteArray record = m_sim->record();
    const int at = record.indexOf("Ohrana");
    QVERIFY(at > 0);
    record[at + 5] = char(0xff);
    m_sim->setRecord(record);
}

void TestNetPorts::cleanup()
{
    stopServers();
    m_serveSaid.clear();
    m_sim.reset();
    m_home.reset();
}

QProcessEnvironment TestNetPorts::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->path());
    env.insert(QStringLiteral("TAVRIX_DEFAULT_PORTS"), QString());
    env.insert(QStringLiteral("XDG_STATE_HOME"), path(QStringLiteral("state")));
    return env;
}

TestNetPorts::Result TestNetPorts::cli(const QStringList &args)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    QSignalSpy finished(&process, &QProcess::finished);
    process.start(QStringLiteral(TAVRIX_CLI_PATH), args);
    // The simulator and the proxy work from this event loop while the program runs.
    if (!finished.wait(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

quint16 TestNetPorts::startServer(Server server)
{
    const quint16 port = freePort();
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QString slave = m_sim->slavePath();
    switch (server) {
    case Server::Ser2netTelnet:
    case Server::Ser2netTcp: {
        const QString accepter = server == Server::Ser2netTelnet ? QStringLiteral("telnet(rfc2217),tcp") : QStringLiteral("tcp");
        QFile config(path(QStringLiteral("ser2net.yaml")));
        if (!config.open(QIODevice::WriteOnly))
            return 0;
        config.write(QStringLiteral("connection: &port\n  accepter: %1,127.0.0.1,%2\n  connector: serialdev,%3,9600n81,local\n")
                         .arg(accepter)
                         .arg(port)
                         .arg(slave)
                         .toUtf8());
        config.close();
        process->start(QStringLiteral("ser2net"), {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("-c"), config.fileName()});
        break;
    }
    case Server::Pyserial:
        process->start(kPython, {QStringLiteral(NET_TESTS_DIR "/pyserial_server.py"), QStringLiteral("-p"),
                                 QString::number(port), slave});
        break;
    case Server::Serve:
        process->start(QStringLiteral(TAVRIX_CLI_PATH),
                       {QStringLiteral("serve"), QStringLiteral("COM3"), QStringLiteral("--listen"),
                        QStringLiteral("127.0.0.1:%1").arg(port)});
        break;
    }
    if (!process->waitForStarted(10000))
        return 0;
    QProcess *p = process.get();
    m_servers.push_back(std::move(process));
    // Listening once a connection is taken; the simulator answers meanwhile.
    for (int tries = 0; tries < 200 && p->state() == QProcess::Running; ++tries) {
        if (accepts(port)) {
            // serve takes one client at a time: the probe must be gone before the next.
            while (server == Server::Serve && !m_serveSaid.contains("disconnected") && p->waitForReadyRead(10000))
                m_serveSaid += p->readAllStandardOutput();
            return port;
        }
        QTest::qWait(50);
    }
    return 0;
}

void TestNetPorts::stopServers()
{
    for (auto &process : m_servers) {
        process->terminate();
        if (!process->waitForFinished(10000))
            process->kill();
    }
    m_servers.clear();
}

void TestNetPorts::serverAndCommand_data()
{
    QTest::addColumn<int>("server");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("command");
    const QList<std::tuple<const char *, Server, const char *>> servers{
        {"ser2net rfc2217", Server::Ser2netTelnet, "rfc2217"},
        {"ser2net tcp", Server::Ser2netTcp, "socket"},
        {"pyserial server", Server::Pyserial, "rfc2217"},
        {"tavrix-cli serve", Server::Serve, "rfc2217"},
    };
    for (const auto &[name, server, scheme] : servers) {
        for (const char *command : {"read", "write", "diff", "show", "watch"})
            QTest::addRow("%s, %s", name, command) << int(server) << QString::fromLatin1(scheme) << QString::fromLatin1(command);
    }
}

void TestNetPorts::serverAndCommand()
{
    QFETCH(int, server);
    QFETCH(QString, scheme);
    QFETCH(QString, command);

    // First the same command on the COM port itself.
    const Result direct = cli({QStringLiteral("read"), QStringLiteral("COM3"), QStringLiteral("-o"), path(QStringLiteral("com.cfg"))});
    QCOMPARE(direct.status, 0);
    QFile comFile(path(QStringLiteral("com.cfg")));
    QVERIFY(comFile.open(QIODevice::ReadOnly));
    const QByteArray comText = comFile.readAll();
    const Result comShow = command == QLatin1String("show") ? cli({QStringLiteral("show"), QStringLiteral("COM3")}) : Result{};

    const quint16 port = startServer(Server(server));
    QVERIFY(port);
    const QString address = QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port);

    if (command == QLatin1String("read")) {
        const Result r = cli({QStringLiteral("read"), address, QStringLiteral("-o"), path(QStringLiteral("net.cfg"))});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QFile netFile(path(QStringLiteral("net.cfg")));
        QVERIFY(netFile.open(QIODevice::ReadOnly));
        QCOMPARE(netFile.readAll(), comText);
        // Raw TCP says once that the settings are the server's.
        QCOMPARE(r.err.count(QStringLiteral("the server's own")), scheme == QLatin1String("socket") ? 1 : 0);
    } else if (command == QLatin1String("write") || command == QLatin1String("watch")) {
        // A change with "я" in it goes over the network and is read back.
        QByteArray wanted = comText;
        const int at = wanted.indexOf("Edit20 = ");
        QVERIFY(at > 0);
        const int end = wanted.indexOf(' ', at + 9);
        wanted.replace(at + 9, end - at - 9, QStringLiteral("Охраняя").toUtf8());
        QFile file(path(QStringLiteral("wanted.cfg")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(wanted);
        file.close();
        const QByteArray before = m_sim->record();
        // watch: a station for the address, the unit present once it answers.
        const Result r = command == QLatin1String("write")
            ? cli({QStringLiteral("write"), address, file.fileName(), QStringLiteral("--verify")})
            : cli({QStringLiteral("watch"), file.fileName(), address, QStringLiteral("--count"), QStringLiteral("1"),
                   QStringLiteral("--settle"), QStringLiteral("0")});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        if (command == QLatin1String("watch"))
            QVERIFY2(r.out.contains(address + QStringLiteral("  controller 1  written and verified")), qPrintable(r.out));
        QVERIFY(m_sim->record() != before);
        QVERIFY(m_sim->record().contains("\xce\xf5\xf0\xe0\xed\xff\xff")); // "Охраняя" in the wire's code page
        stopServers();
        const Result check = cli({QStringLiteral("diff"), QStringLiteral("COM3"), file.fileName()});
        QVERIFY2(check.status == 0, qPrintable(check.err));
    } else if (command == QLatin1String("diff")) {
        const Result r = cli({QStringLiteral("diff"), address, comFile.fileName()});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("No differences.")));
    } else {
        const Result r = cli({QStringLiteral("show"), address});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out, comShow.out);
        QVERIFY(!r.out.isEmpty());
    }
}

void TestNetPorts::faults_data()
{
    using M = FaultProxy::Mode;
    QTest::addColumn<int>("mode");  // -1: nothing listens; -2: a name that is not found
    QTest::addColumn<bool>("rawUpstream");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    QTest::newRow("connection refused") << -1 << false << "read" << 1 << "cannot connect: connection refused";
    QTest::newRow("name not found") << -2 << false << "read" << 1 << "cannot connect: host name not found";
    QTest::newRow("no answer") << int(M::Silent) << false << "read" << 1 << "did not finish the Telnet negotiation within 1 s";
    QTest::newRow("WONT to everything") << int(M::WontEverything) << true << "read" << 0
                                        << "the server refuses COM-PORT-OPTION";
    QTest::newRow("speed kept") << int(M::KeepSpeed) << false << "write" << 1 << "the server kept speed 115200";
    QTest::newRow("speed not answered") << int(M::NoSpeedAnswer) << false << "read" << 1
                                        << "did not confirm the line settings within 1 s";
    QTest::newRow("sub-negotiation split") << int(M::OneByteSegments) << false << "write" << 0 << "written and verified";
    QTest::newRow("300 ms per segment") << int(M::Latency) << false << "read" << 0 << "read, saved";
    // A reset reads as the server's close: the socket layer tells them apart no better.
    QTest::newRow("reset in a write") << int(M::ResetInWrite) << false << "write" << 1 << "the server closed the connection";
    QTest::newRow("server closes") << int(M::CloseOnCommand) << false << "read" << 1 << "the server closed the connection";
}

void TestNetPorts::faults()
{
    QFETCH(int, mode);
    QFETCH(bool, rawUpstream);
    QFETCH(QString, command);
    QFETCH(int, status);
    QFETCH(QString, message);

    std::unique_ptr<FaultProxy> proxy;
    QString address;
    if (mode == -1) {
        address = QStringLiteral("rfc2217://127.0.0.1:%1").arg(freePort());
    } else if (mode == -2) {
        address = QStringLiteral("rfc2217://no-such-host.invalid:2217");
    } else {
        const quint16 upstream = startServer(rawUpstream ? Server::Ser2netTcp : Server::Ser2netTelnet);
        QVERIFY(upstream);
        proxy = std::make_unique<FaultProxy>(FaultProxy::Mode(mode), upstream);
        address = QStringLiteral("rfc2217://127.0.0.1:%1").arg(proxy->port());
    }

    const QByteArray before = m_sim->record();
    Result r;
    if (command == QLatin1String("read")) {
        r = cli({QStringLiteral("read"), address, QStringLiteral("-o"), path(QStringLiteral("net.cfg")),
                 QStringLiteral("--timeout"), QStringLiteral("1")});
    } else {
        // Every control as the controller holds it, one changed.
        const Result read = cli({QStringLiteral("read"), QStringLiteral("COM3"), QStringLiteral("-o"), path(QStringLiteral("com.cfg"))});
        QCOMPARE(read.status, 0);
        QFile file(path(QStringLiteral("com.cfg")));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray text = file.readAll();
        const int at = text.indexOf("Edit20 = ");
        text.insert(at + 9, "X");
        file.resize(0);
        file.write(text);
        file.close();
        r = cli({QStringLiteral("write"), address, file.fileName(), QStringLiteral("--verify"), QStringLiteral("--timeout"),
                 QStringLiteral("5")});
    }
    QVERIFY2(r.status == status, qPrintable(r.err));
    // One message, naming the address and the cause.
    const QStringList lines = r.err.split(QLatin1Char('\n')).filter(message);
    QVERIFY2(lines.size() == 1, qPrintable(r.err));
    QVERIFY2(lines.first().startsWith(address), qPrintable(lines.first()));
    if (status != 0) {
        QVERIFY(!r.err.contains(QStringLiteral("written and verified")));
        if (command == QLatin1String("write") && mode == int(FaultProxy::Mode::KeepSpeed))
            QCOMPARE(m_sim->record(), before); // refused before anything was sent
    }
}

void TestNetPorts::pyserialClientAgainstServe()
{
    const quint16 port = startServer(Server::Serve);
    QVERIFY(port);
    const QByteArray expected = settingsReply(m_sim->record()).text;
    for (int baud : {9600, 19200}) {
        QProcess client;
        QSignalSpy finished(&client, &QProcess::finished);
        client.start(kPython, {QStringLiteral(NET_TESTS_DIR "/pyserial_client.py"), QStringLiteral("rfc2217://127.0.0.1:%1").arg(port),
                               QString::number(baud), QStringLiteral("READ_SET"), QString::number(expected.size())});
        QVERIFY(finished.wait(30000));
        const QString out = QString::fromUtf8(client.readAllStandardOutput());
        QVERIFY2(client.exitCode() == 0, qPrintable(out + QString::fromUtf8(client.readAllStandardError())));
        // The setting acknowledged with the value in force, and the controller's own answer.
        QVERIFY2(out.contains(QStringLiteral("baud %1\n").arg(baud)), qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("answer %1\n").arg(QString::fromLatin1(expected.toHex()))), qPrintable(out));
    }
    QProcess *serve = m_servers.back().get();
    serve->terminate(); // as Ctrl+C
    QVERIFY(serve->waitForFinished(10000));
    QCOMPARE(serve->exitCode(), 0);
    const QString said = QString::fromUtf8(m_serveSaid + serve->readAllStandardOutput());
    // The readiness probe, and the client twice.
    QCOMPARE(said.count(QStringLiteral(" connected")), 3);
    QCOMPARE(said.count(QStringLiteral(" disconnected")), 3);
    QVERIFY2(said.contains(QStringLiteral("set speed 19200 → 19200")), qPrintable(said));
    QVERIFY(said.contains(QStringLiteral("Stopped serving COM3")));
}

void TestNetPorts::serveTakesOneClientAtATime()
{
    const quint16 port = startServer(Server::Serve);
    QVERIFY(port);
    QTcpSocket first;
    first.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(first.waitForConnected(5000));
    QVERIFY(first.waitForReadyRead(5000)); // the server's opening
    first.readAll();
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QAbstractSocket::UnconnectedState, 10000);
    QVERIFY2(second.readAll().contains("in use by 127.0.0.1:"), "no refusal");
    // The first still reaches the controller.
    first.write("READ_SET\r");
    QByteArray got;
    const QByteArray expected = settingsReply(m_sim->record()).text;
    QTRY_VERIFY_WITH_TIMEOUT((got += first.readAll()).size() >= expected.size(), 10000);
    QCOMPARE(first.state(), QAbstractSocket::ConnectedState);
    // 0xFF comes doubled on the wire.
    QCOMPARE(got.size(), expected.size() + expected.count(char(0xff)));

    // A client that comes the moment the first has gone is taken, not refused.
    first.abort();
    QTcpSocket third;
    third.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(third.waitForConnected(5000));
    QVERIFY(third.waitForReadyRead(5000));
    QCOMPARE(third.readAll(), QByteArray::fromHex("fffd2c")); // DO COM-PORT-OPTION
}

QTEST_GUILESS_MAIN(TestNetPorts)
#include "tst_netports.moc"
