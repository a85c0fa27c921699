#pragma once

#include <QByteArray>
#include <optional>

// Collects what the controller sends until a reply is complete. A reply may arrive in
// pieces over several polls; the collected text is complete up to its last carriage
// return, and what follows that stays as the start of the next text. The complete text
// is taken out before anyone handles it, so a poll that runs meanwhile (under an open
// message box) starts a fresh text.
class ReplyBuffer
{
public:
    // The most bytes collected without a carriage return before they are dropped as noise.
    static constexpr int kCapacity = 1000;

    // Adds the bytes of one read; returns the text up to the last CR once one has come.
    std::optional<QByteArray> append(const QByteArray &bytes);

    // Forgets the partial text (a write purges the line, and this goes with it).
    void clear() { m_pending.clear(); }

    const QByteArray &pending() const { return m_pending; }

private:
    QByteArray m_pending;
};
