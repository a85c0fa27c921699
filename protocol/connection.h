#pragma once

#include "link/portdiagnosis.h"
#include "link/portline.h"
#include "protocol/session.h"

#include <QHash>
#include <functional>
#include <memory>

class ExchangeJournal;

// One controller's connection as its owner holds it: the line a port's name calls for,
// the session on it, the journal the line writes into, why an open was refused, and the
// loss of the line. The window, a job of the tool and a station of the production line
// each own one; the session sees the connection as its line, whichever line is behind.
//
// New kinds of line plug in by scheme: Connection::addKind("socket", {make, refusal})
// makes "socket://…" ports with that kind; a name without a registered scheme is a device.
class Connection : public SerialLine
{
    Q_OBJECT

public:
    // How one kind of line is made, and why an open of it was refused (asked right after).
    struct LineKind
    {
        std::function<std::unique_ptr<PortLine>()> make;
        std::function<OpenRefusal(const QString &port, const PortLine &line)> refusal;
    };

    // Serial devices: a COM number's device, a pseudo-terminal, "/dev/ttyUSB0", "COM3".
    static LineKind deviceKind();
    // Ports named "<scheme>://…" are made by `kind` from now on.
    static void addKind(const QString &scheme, LineKind kind);
    // The scheme a port's name carries; empty for a device.
    static QString schemeOf(const QString &port);

    // Every port is made by the kinds registered, by its name.
    explicit Connection(Session::Timing timing, StepClock *clock = nullptr, QObject *parent = nullptr);
    // Every port, whatever its name, is made by `only` (an in-process line in tests).
    Connection(LineKind only, Session::Timing timing, StepClock *clock = nullptr, QObject *parent = nullptr);
    ~Connection() override;

    // Opens the port; false when it cannot be opened (or is open already), and refusal()
    // says why. The session is the owner's to start.
    bool open(const QString &port);
    // Closes the line and ends the session.
    void close();
    // Why the last open failed.
    const OpenRefusal &refusal() const { return m_refusal; }
    // What the open port is, followed to its target; the last one after a close.
    QString path() const { return m_line ? m_line->path() : QString(); }
    // The line behind, made by the first open; null before.
    PortLine *line() const { return m_line.get(); }
    Session &session() { return m_session; }
    const Session &session() const { return m_session; }
    StepClock *clock() const { return m_clock; }
    // The exchange goes into the journal under `name`, whichever line is behind.
    void setJournal(ExchangeJournal *journal, const QString &name = {});

    bool isOpen() const override { return m_line && m_line->isOpen(); }
    qint64 write(const QByteArray &bytes) override { return m_line ? m_line->write(bytes) : -1; }
    qint64 read(char *buffer, qint64 capacity) override { return m_line ? m_line->read(buffer, capacity) : 0; }
    qint64 bytesWaiting() const override { return m_line ? m_line->bytesWaiting() : 0; }

private:
    static QHash<QString, LineKind> &kinds();
    LineKind kindFor(const QString &port) const;

    std::optional<LineKind> m_only;
    StepClock *m_clock;
    std::unique_ptr<PortLine> m_line;
    QString m_lineKind; // the scheme it was made for; empty: a device (or the only kind)
    OpenRefusal m_refusal;
    ExchangeJournal *m_journal = nullptr;
    QString m_journalName;
    Session m_session; // last: it runs over the connection
};
