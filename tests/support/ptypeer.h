#pragma once

#include "sim/pseudoterminal.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The far end of a serial line for tests: the simulator's pseudo-terminal, whose slave
// is linked as com<N> in a ports folder. The test reads what the program wrote and
// answers with exact bytes, without any protocol knowledge of its own.
class PtyPeer : public QObject
{
    Q_OBJECT

public:
    PtyPeer(const QString &portsDir, int com, QObject *parent = nullptr);
    ~PtyPeer() override;

    bool isValid() const { return m_pty.isOpen(); }
    QString slavePath() const { return m_slavePath; }
    QString linkPath() const { return m_linkPath; }

    // Writes to the line at once (no pacing).
    void send(const QByteArray &bytes);
    // Everything the program has written since the last take.
    QByteArray received() const { return m_received; }
    QByteArray takeReceived();
    // Makes the port disappear: the pty closes and the link goes.
    void hangUp();

signals:
    void receivedBytes();

private:
    void onReadable();

    sim::PseudoTerminal m_pty;
    QString m_slavePath; // kept after a hang-up, as the program last knew the port
    QString m_linkPath;
    QByteArray m_received;
    QSocketNotifier *m_notifier = nullptr;
};
