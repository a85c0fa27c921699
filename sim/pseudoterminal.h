#pragma once

#include <QString>

namespace sim {

// The master side of a pseudo-terminal plus one slave descriptor held open by us, so
// that the terminal does not hang up between clients (a client closing the slave would
// otherwise make every master read fail with EIO until someone reopens it).
class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // Opens the pair with the slave in raw mode (a fresh terminal echoes and maps CR to
    // LF, which would corrupt the protocol before the client sets its own modes).
    bool open(QString *error);
    void close();

    bool isOpen() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    QString slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

} // namespace sim
