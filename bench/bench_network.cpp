// A full read over rfc2217:// on loopback against the same read on the pseudo-terminal,
// and the cost of latency: with every segment held L ms each way, how many round trips
// the opening and the read's exchange take. The simulator paces its reply at 9600 baud;
// the server is tavrix-cli serve's, in this process, so nothing outside is needed.
//
//   bench_network [--reps R]
//
// Prints the median times and the ratios; the README quotes them.
#include "cli/devicejob.h"
#include "net/comportserver.h"
#include "sim/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Holds every segment `delayMs` in each direction, in order.
class DelayProxy : public QObject
{
public:
    DelayProxy(quint16 upstream, int delayMs) : m_upstream(upstream), m_delayMs(delayMs)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *client = m_server.nextPendingConnection();
            auto *server = new QTcpSocket(client);
            for (QTcpSocket *s : {client, server})
                s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            server->connectToHost(QHostAddress::LocalHost, m_upstream);
            pass(client, server);
            pass(server, client);
            connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
            connect(server, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void pass(QTcpSocket *from, QTcpSocket *to)
    {
        connect(from, &QTcpSocket::readyRead, to, [this, from, to] {
            const QByteArray bytes = from->readAll();
            QTimer::singleShot(m_delayMs, Qt::PreciseTimer, to, [to, bytes] { to->write(bytes); });
        });
    }

    quint16 m_upstream;
    int m_delayMs;
    QTcpServer m_server;
};

struct Timing
{
    qint64 openMs = -1;
    qint64 readMs = -1;
};

Timing readOnce(const QString &port, const PortMap &map)
{
    Timing t;
    DeviceJob job(port, map, 10000);
    QEventLoop loop;
    bool ok = false;
    job.onSettings = [&](const QByteArray &, int) {
        ok = true;
        loop.quit();
    };
    job.onFailed = [&](const QString &why) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(job.portName()), qPrintable(why));
        loop.quit();
    };
    QElapsedTimer clock;
    clock.start();
    if (!job.open())
        return t;
    t.openMs = clock.elapsed();
    clock.restart();
    job.readSettings();
    loop.exec();
    if (ok)
        t.readMs = clock.elapsed();
    job.close();
    return t;
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int reps = 5;
    const QStringList args = app.arguments();
    if (const int at = args.indexOf(QStringLiteral("--reps")); at > 0 && at + 1 < args.size())
        reps = qMax(1, args.at(at + 1).toInt());

    QTemporaryDir dir;
    const QString portsDir = dir.filePath(QStringLiteral("ports"));
    sim::Simulator controller;
    if (!controller.start(portsDir, 3)) {
        std::fprintf(stderr, "the simulator does not start\n");
        return 1;
    }
    const PortMap map(portsDir, {});

    // The pseudo-terminal first: the server holds the port once it starts.
    QList<qint64> pty, net;
    for (int i = 0; i < reps; ++i)
        pty << readOnce(QStringLiteral("COM3"), map).readMs;

    ComPortServer server;
    if (!server.start(controller.slavePath(), QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "%s\n", qPrintable(server.errorString()));
        return 1;
    }
    const QString netPort = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.listeningPort());
    for (int i = 0; i < reps; ++i) {
        const Timing t = readOnce(netPort, map);
        net << (t.readMs < 0 ? -1 : t.openMs + t.readMs);
    }
    const qint64 p = median(pty), n = median(net);
    std::printf("full read: pty %lld ms, rfc2217:// loopback %lld ms (opening included), ratio %.3f\n",
                static_cast<long long>(p), static_cast<long long>(n), p > 0 ? double(n) / double(p) : 0.0);

    for (int delay : {0, 300}) {
        DelayProxy proxy(server.listeningPort(), delay);
        const QString port = QStringLiteral("rfc2217://127.0.0.1:%1").arg(proxy.port());
        QList<qint64> opens, reads;
        for (int i = 0; i < reps; ++i) {
            const Timing t = readOnce(port, map);
            opens << t.openMs;
            reads << t.readMs;
        }
        const qint64 o = median(opens), r = median(reads);
        // One round trip is the delay twice: there and back.
        const double rtt = 2.0 * delay;
        std::printf("%d ms per segment: opening %lld ms%s, read exchange %lld ms (%+.2f round trips over the pty's %lld ms)\n",
                    delay, static_cast<long long>(o),
                    delay ? qPrintable(QStringLiteral(" (%1 round trips)").arg(o / rtt, 0, 'f', 2)) : "",
                    static_cast<long long>(r), delay ? (r - p) / rtt : 0.0, static_cast<long long>(p));
    }
    return 0;
}
