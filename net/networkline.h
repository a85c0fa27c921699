#pragma once

#include "link/portline.h"
#include "net/telnetcodec.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <optional>

class ExchangeJournal;
class QTcpSocket;

// A serial line behind a network address: "rfc2217://HOST:PORT" (Telnet with the
// COM-PORT-OPTION, the line set to 9600 8N1 and checked) or "socket://HOST:PORT" (raw TCP,
// the server's own settings). The same rules as the serial channel: reads never wait,
// every write starts from a clean line.
class NetworkLine : public PortLine
{
    Q_OBJECT

public:
    enum class Kind { Rfc2217, Raw };
    struct Address
    {
        Kind kind = Kind::Rfc2217;
        QString host;
        quint16 port = 0;
        QString text() const;
    };

    static constexpr int kDefaultTimeoutMs = 5000;

    // Whether the text is meant as a network address (its scheme), valid or not.
    static bool looksLikeAddress(const QString &text);
    // The address, or nothing with the reason when the text is not a valid one.
    static std::optional<Address> parse(const QString &text, QString *why = nullptr);

    explicit NetworkLine(int timeoutMs = kDefaultTimeoutMs, QObject *parent = nullptr);
    ~NetworkLine() override;

    // Connects and, for RFC 2217, negotiates; waits (running the event loop) at most
    // timeoutMs for both. False with errorString() naming the cause.
    bool open(const Address &address, int timeoutMs = kDefaultTimeoutMs);
    // The address as written ("rfc2217://host:2217"), within the timeout given at making.
    bool open(const QString &port) override;
    void close() override;
    QString path() const override { return m_address.text(); }
    QString errorString() const { return m_error; }
    // What the owner should tell once: the server's own settings stand (raw TCP).
    QStringList takeNotices();
    // Why the line was lost, once it was.
    QString lostReason() const { return m_lostReason; }
    // Whether COM-PORT-OPTION is in force (false: raw TCP).
    bool isComPort() const { return m_comPort; }

    bool isOpen() const override { return m_open; }
    qint64 write(const QByteArray &bytes) override;
    qint64 read(char *buffer, qint64 capacity) override;
    qint64 bytesWaiting() const override { return m_data.size(); }

    void setJournal(ExchangeJournal *journal, const QString &port = {}) override;

private:
    void onReadable();
    void onBroken();
    void note(const QString &text);
    void take(const QByteArray &data);

    int m_timeoutMs;
    QTcpSocket *m_socket = nullptr;
    Address m_address;
    TelnetCodec m_codec;
    ComPortClient m_client;
    QByteArray m_data;
    QString m_error;
    QString m_lostReason;
    QStringList m_notices;
    bool m_open = false;
    bool m_comPort = false;
    bool m_losing = false;
    int m_purgesSent = 0;
    int m_purgesAnswered = 0;
    ExchangeJournal *m_journal = nullptr;
    QString m_journalPort;
};
