#pragma once

#include "link/portmap.h"
#include "net/networkline.h"
#include "protocol/connection.h"

#include <QElapsedTimer>
#include <QObject>
#include <functional>

// One controller on one port, driven by the event loop so that several run side by
// side: "READ_SET" repeated every two seconds until the record comes, "WRITE_SET_" until
// its acknowledgement, each within the time limit. The session does the talking; the job
// resolves the port, words the faults in English and reports progress. What a record
// means is up to its owner.
class DeviceJob : public QObject
{
    Q_OBJECT

public:
    static constexpr int kProgressMs = 250;

    // port: its name, "COM3" or a network address ("rfc2217://host:2217").
    // connection: the line to talk over, made with the tool's timing for timeoutMs; none:
    // the port's own line (the COM number's device, or the address's network line).
    DeviceJob(const QString &port, const PortMap &map, int timeoutMs, QObject *parent = nullptr,
              std::unique_ptr<Connection> connection = {});

    // "COM3", or the network address.
    QString portName() const { return m_port; }

    // Opens the port and reads the settings record; false when the port cannot be opened.
    bool open();
    void readSettings();
    void writeSettings(const QByteArray &record);
    void close();
    // How long a command has gone without a byte of answer (asked again included); -1
    // while nothing is awaited or bytes are coming.
    qint64 silentMs() const { return m_waiting.isValid() ? m_waiting.elapsed() : -1; }
    // The job's exchange goes into the journal under the job's port name.
    void setJournal(ExchangeJournal *journal) { m_connection->setJournal(journal, portName()); }

    // Called with the whole received text and where the record starts in it.
    std::function<void(const QByteArray &text, int payloadPos)> onSettings;
    // When set, a settings reply it finds a fault in is not taken: the job asks again at
    // once, within the same time limit, and fails naming the fault if no answer passes.
    std::function<QString(const QByteArray &text, int payloadPos)> checkSettings;
    std::function<void()> onWritten;
    std::function<void(const QString &why)> onFailed;
    // Called first whenever the controller is heard from or the job fails, before any
    // of the above: a line that says the controller is awaited can go.
    std::function<void()> onHeard;
    // What is under way and how far it got, at most every kProgressMs.
    std::function<void(const QString &line)> onProgress;

private:
    void fail(const QString &why);
    void report(bool force);
    void heard();

    QString m_port;
    // Resolved once, so that the job talks to one device even if its link changes.
    QString m_device;
    QString m_missing; // why there is no device, when a link names one that has gone
    std::optional<NetworkLine::Address> m_address; // when the port is a network address
    std::unique_ptr<Connection> m_connection;
    Session &m_session;
    QElapsedTimer m_lastProgress;
    QElapsedTimer m_waiting; // since the command that is not answered yet was first sent
    int m_timeoutMs;
    bool m_failed = false;
    QString m_refused; // the fault of the last settings reply refused
};
