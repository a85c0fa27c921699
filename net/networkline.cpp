#include "net/networkline.h"

#include "link/exchangejournal.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <cstring>

namespace {

const QString kRfc2217 = QStringLiteral("rfc2217");
const QString kSocket = QStringLiteral("socket");

QString seconds(int ms)
{
    return QString::number(ms / 1000.0);
}

} // namespace

QString NetworkLine::Address::text() const
{
    const QString shownHost = host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("%1://%2:%3").arg(kind == Kind::Rfc2217 ? kRfc2217 : kSocket, shownHost).arg(port);
}

bool NetworkLine::looksLikeAddress(const QString &text)
{
    return text.startsWith(kRfc2217 + QStringLiteral("://"), Qt::CaseInsensitive)
        || text.startsWith(kSocket + QStringLiteral("://"), Qt::CaseInsensitive);
}

std::optional<NetworkLine::Address> NetworkLine::parse(const QString &text, QString *why)
{
    const auto refuse = [&](const QString &reason) -> std::optional<Address> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != kRfc2217 && scheme != kSocket))
        return refuse(tr("%1: a network port is rfc2217://HOST:PORT or socket://HOST:PORT").arg(text));
    if (url.host().isEmpty())
        return refuse(tr("%1: no host").arg(text));
    if (url.port() < 1 || url.port() > 65535)
        return refuse(tr("%1: the port number goes from 1 to 65535").arg(text));
    if (!url.userInfo().isEmpty() || (!url.path().isEmpty() && url.path() != QLatin1String("/")) || url.hasQuery()
        || url.hasFragment())
        return refuse(tr("%1: only HOST:PORT follows the scheme").arg(text));
    Address address;
    address.kind = scheme == kRfc2217 ? Kind::Rfc2217 : Kind::Raw;
    address.host = url.host();
    address.port = quint16(url.port());
    return address;
}

NetworkLine::NetworkLine(int timeoutMs, QObject *parent) : PortLine(parent), m_timeoutMs(timeoutMs)
{
}

bool NetworkLine::open(const QString &port)
{
    const std::optional<Address> address = parse(port, &m_error);
    return address && open(*address, m_timeoutMs);
}

NetworkLine::~NetworkLine()
{
    close();
}

void NetworkLine::note(const QString &text)
{
    if (m_journal)
        m_journal->note(m_journalPort, text);
}

bool NetworkLine::open(const Address &address, int timeoutMs)
{
    if (m_open)
        return false;
    close();
    m_address = address;
    m_error.clear();
    m_lostReason.clear();
    m_notices.clear();
    m_data.clear();
    m_codec.reset();
    m_client = ComPortClient(SerialLine::kBaudRate);
    m_purgesSent = m_purgesAnswered = 0;
    m_comPort = false;
    m_losing = false;

    m_socket = new QTcpSocket(this);
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    connect(m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    m_socket->connectToHost(address.host, address.port);
    if (m_socket->state() != QAbstractSocket::ConnectedState && m_socket->error() == QAbstractSocket::UnknownSocketError)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    const auto failed = [this](const QString &why) {
        m_error = why;
        note(why);
        close();
        return false;
    };
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        switch (m_socket->error()) {
        case QAbstractSocket::ConnectionRefusedError:
            return failed(tr("connection refused"));
        case QAbstractSocket::HostNotFoundError:
            return failed(tr("host name not found"));
        case QAbstractSocket::UnknownSocketError:
        case QAbstractSocket::SocketTimeoutError:
            return failed(tr("no answer within %1 s").arg(seconds(timeoutMs)));
        default:
            return failed(m_socket->errorString());
        }
    }
    // Small commands go out at once rather than waiting to be joined; a dead peer is found
    // even on a line left idle.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    note(tr("connected to %1").arg(m_socket->peerAddress().toString()));

    if (address.kind == Kind::Raw) {
        const QString notice = tr("raw TCP: the line settings are the server's own");
        m_notices << notice;
        note(notice);
    } else {
        m_socket->write(m_client.start());
        for (const QString &words : m_client.takeNotes())
            note(words);
        connect(m_socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
        connect(m_socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
        while (m_client.state() == ComPortClient::State::Negotiating && deadline.isActive()
               && m_socket->state() == QAbstractSocket::ConnectedState) {
            if (!m_socket->bytesAvailable())
                loop.exec(QEventLoop::ExcludeUserInputEvents);
            m_codec.feed(m_socket->readAll()); // data before the line is set is not the controller's answer
            for (const TelnetCodec::Event &event : m_codec.takeEvents()) {
                const QByteArray answer = m_client.handle(event);
                if (!answer.isEmpty())
                    m_socket->write(answer);
                if (m_client.state() != ComPortClient::State::Negotiating)
                    break;
            }
            for (const QString &words : m_client.takeNotes())
                note(words);
        }
        disconnect(m_socket, nullptr, &loop, nullptr);
        switch (m_client.state()) {
        case ComPortClient::State::Ready:
            m_comPort = true;
            break;
        case ComPortClient::State::Raw: {
            const QString notice = tr("the server refuses COM-PORT-OPTION: used as raw TCP, the line settings are the server's own");
            m_notices << notice;
            break;
        }
        case ComPortClient::State::Refused:
            return failed(m_client.refusal());
        case ComPortClient::State::Negotiating:
            if (m_socket->state() != QAbstractSocket::ConnectedState)
                return failed(tr("the server closed the connection during the Telnet negotiation"));
            if (m_client.comPortAgreed())
                return failed(tr("the server took COM-PORT-OPTION but did not confirm the line settings within %1 s")
                                  .arg(seconds(timeoutMs)));
            return failed(tr("the server did not finish the Telnet negotiation within %1 s (a raw TCP port is socket://)")
                              .arg(seconds(timeoutMs)));
        }
        m_purgesAnswered = m_client.purgesAnswered();
    }
    disconnect(m_socket, nullptr, &loop, nullptr);
    connect(m_socket, &QTcpSocket::readyRead, this, &NetworkLine::onReadable);
    connect(m_socket, &QTcpSocket::disconnected, this, &NetworkLine::onBroken);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &NetworkLine::onBroken);
    m_open = true;
    if (m_socket->bytesAvailable())
        QTimer::singleShot(0, this, &NetworkLine::onReadable);
    return true;
}

void NetworkLine::close()
{
    m_open = false;
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

QStringList NetworkLine::takeNotices()
{
    QStringList notices;
    notices.swap(m_notices);
    return notices;
}

void NetworkLine::setJournal(ExchangeJournal *journal, const QString &port)
{
    m_journal = journal;
    m_journalPort = port;
}

qint64 NetworkLine::write(const QByteArray &bytes)
{
    if (!m_open || !m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return 0;
    m_data.clear();
    QByteArray wire;
    if (m_comPort) {
        // The server drops what it holds in both directions; a server known to confirm
        // purges tells us where the stale bytes end, so those still in flight go too.
        wire = TelnetCodec::subnegotiation(TelnetCodec::ComPort,
                                           comport::payload(comport::PurgeData, comport::kPurgeBoth));
        ++m_purgesSent;
        wire += TelnetCodec::escape(bytes);
    } else {
        wire = bytes;
    }
    const qint64 taken = m_socket->write(wire);
    m_socket->flush();
    const qint64 written = taken == wire.size() ? bytes.size() : 0;
    if (m_journal)
        m_journal->record(ExchangeJournal::Direction::Sent, m_journalPort, bytes, written);
    return written;
}

qint64 NetworkLine::read(char *buffer, qint64 capacity)
{
    const qint64 n = qMin<qint64>(capacity, m_data.size());
    if (n <= 0)
        return 0;
    std::memcpy(buffer, m_data.constData(), size_t(n));
    m_data.remove(0, n);
    if (m_journal)
        m_journal->record(ExchangeJournal::Direction::Received, m_journalPort, QByteArray(buffer, int(n)), n);
    return n;
}

void NetworkLine::onReadable()
{
    if (!m_socket)
        return;
    const QByteArray wire = m_socket->readAll();
    if (!m_comPort) {
        m_data += wire;
        return;
    }
    const QByteArray data = m_codec.feed(wire);
    int from = 0;
    for (const TelnetCodec::Event &event : m_codec.takeEvents()) {
        take(data.mid(from, event.at - from));
        from = event.at;
        if (event.verb == TelnetCodec::SB && event.option == TelnetCodec::ComPort && !event.payload.isEmpty()
            && quint8(event.payload.at(0)) == comport::PurgeData + comport::kServerOffset) {
            ++m_purgesAnswered;
            continue;
        }
        if (event.verb != TelnetCodec::SB) {
            // Asked again after the opening: answered as then, without a loop.
            const QByteArray answer = m_client.handle(event);
            if (!answer.isEmpty())
                m_socket->write(answer);
        }
    }
    take(data.mid(from));
}

void NetworkLine::take(const QByteArray &data)
{
    if (data.isEmpty())
        return;
    // Before the server confirms the last purge, what comes is older than the command.
    if (m_purgesAnswered > 0 && m_purgesAnswered < m_purgesSent)
        return;
    m_data += data;
}

void NetworkLine::onBroken()
{
    if (!m_open || m_losing || !m_socket)
        return;
    m_losing = true;
    m_open = false;
    m_lostReason = m_socket->error() == QAbstractSocket::RemoteHostClosedError
        ? tr("the server closed the connection")
        : tr("the connection broke: %1").arg(m_socket->errorString());
    note(m_lostReason);
    QTimer::singleShot(0, this, [this] {
        close();
        m_losing = false;
        emit lost();
    });
}
