#include "cli/serve.h"

#include "net/comportserver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>

#include <csignal>

namespace {

struct Cli
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};

volatile std::sig_atomic_t g_stop = 0;

void onStop(int)
{
    g_stop = 1;
}

} // namespace

int runServe(const PortMap &map, int com, const QString &listen, QTextStream &out, QTextStream &err)
{
    // "ADDRESS:PORT", "[v6]:PORT", or a port alone on the loopback address.
    QString host = QStringLiteral("127.0.0.1");
    QString portText = QString::number(ComPortServer::kDefaultPort);
    if (!listen.isEmpty()) {
        const int colon = listen.lastIndexOf(QLatin1Char(':'));
        host = colon < 0 ? host : listen.left(colon);
        portText = colon < 0 ? listen : listen.mid(colon + 1);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
    }
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    QHostAddress address;
    if (!ok || port > 65535 || !address.setAddress(host)) {
        err << QStringLiteral("tavrix-cli: ")
            << Cli::tr("--listen takes ADDRESS:PORT with a numeric address (127.0.0.1:2217), not '%1'").arg(listen) << '\n';
        return 2;
    }
    const QString device = map.devicePath(com);
    if (device.isEmpty()) {
        err << QStringLiteral("COM%1: ").arg(com) << Cli::tr("no such port") << '\n';
        return 1;
    }

    ComPortServer server;
    server.onEvent = [&out](const QString &line) {
        out << line << '\n';
        out.flush();
    };
    if (!server.start(device, address, quint16(port))) {
        err << QStringLiteral("COM%1: ").arg(com) << server.errorString() << '\n';
        return 1;
    }
    const QString where = QStringLiteral("%1:%2").arg(address.protocol() == QAbstractSocket::IPv6Protocol
                                                          ? QStringLiteral("[%1]").arg(address.toString())
                                                          : address.toString())
                              .arg(server.listeningPort());
    if (!address.isLoopback())
        err << Cli::tr("Warning: %1 is reachable from other machines, and the link has neither encryption nor "
                       "authentication: anyone who reaches it can change the controller. Prefer 127.0.0.1 "
                       "and an SSH tunnel.")
                   .arg(where)
            << '\n';
    out << Cli::tr("Serving COM%1 (%2) as rfc2217://%3 until Ctrl+C").arg(com).arg(device, where) << '\n';
    out.flush();
    err.flush();

    g_stop = 0;
    const auto previousInt = std::signal(SIGINT, onStop);
    const auto previousTerm = std::signal(SIGTERM, onStop);
    QEventLoop loop;
    int status = 0;
    QObject::connect(&server, &ComPortServer::portLost, &loop, [&] {
        err << QStringLiteral("COM%1: ").arg(com) << Cli::tr("the port went away") << '\n';
        status = 1;
        loop.quit();
    });
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, &loop, [&] {
        if (g_stop)
            loop.quit();
    });
    stop.start(50);
    loop.exec();
    server.stop();
    std::signal(SIGINT, previousInt);
    std::signal(SIGTERM, previousTerm);
    out << Cli::tr("Stopped serving COM%1").arg(com) << '\n';
    out.flush();
    err.flush();
    return status;
}
