#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// Telnet as a serial server speaks it: data with 0xFF doubled, option commands
// (WILL/WONT/DO/DONT) and sub-negotiations between them. Pure: bytes in, data and events
// out, no socket, so every split of the stream can be tried in a table.
class TelnetCodec
{
public:
    enum Byte : quint8 {
        SE = 240, NOP = 241, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255,
    };
    enum Option : quint8 { Binary = 0, SuppressGoAhead = 3, ComPort = 44 };

    struct Event
    {
        quint8 verb = 0;    // WILL, WONT, DO, DONT or SB
        quint8 option = 0;
        QByteArray payload; // SB only, undoubled
        // Where it stood among the data feed() returned with it: the data before this
        // offset came before the event on the wire.
        int at = 0;
        bool operator==(const Event &other) const = default;
    };

    // Takes the next bytes off the wire, however they were cut; returns the data among
    // them. Commands and sub-negotiations, even those split across calls, are kept out
    // of the data and queued as events.
    QByteArray feed(const QByteArray &wire);
    QList<Event> takeEvents();
    void reset();

    // Data for the wire: every 0xFF doubled.
    static QByteArray escape(const QByteArray &data);
    static QByteArray command(quint8 verb, quint8 option);
    static QByteArray subnegotiation(quint8 option, const QByteArray &payload);

    static QString verbName(quint8 verb);
    static QString optionName(quint8 option);

private:
    enum class State { Data, Iac, Verb, Sub, SubIac };
    State m_state = State::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
    QList<Event> m_events;
};

// The COM-PORT-OPTION's sub-commands, as the client sends them; a server answers with
// the same number plus kServerOffset.
namespace comport {
enum Command : quint8 {
    SetBaudRate = 1, SetDataSize = 2, SetParity = 3, SetStopSize = 4, SetControl = 5,
    NotifyLineState = 6, NotifyModemState = 7, FlowSuspend = 8, FlowResume = 9,
    SetLineStateMask = 10, SetModemStateMask = 11, PurgeData = 12,
};
constexpr quint8 kServerOffset = 100;
enum Parity : quint8 { ParityNone = 1, ParityOdd = 2, ParityEven = 3, ParityMark = 4, ParitySpace = 5 };
enum StopSize : quint8 { StopOne = 1, StopTwo = 2, StopOneAndHalf = 3 };
constexpr quint8 kPurgeBoth = 3;

// A sub-negotiation payload: the command and its value (the speed as four bytes,
// big-endian; the others as one byte).
QByteArray payload(quint8 command, quint32 value);
// The value an answer carries; false when the payload is too short for it.
bool value(const QByteArray &payload, quint32 *value);
} // namespace comport

// The client's side of the opening: asks for BINARY, SUPPRESS-GO-AHEAD and
// COM-PORT-OPTION, and once the server takes the last sets 9600 8N1 and checks every
// answer. A server that refuses COM-PORT-OPTION leaves a raw TCP line; one that keeps
// another value is refused with that value.
class ComPortClient
{
    Q_DECLARE_TR_FUNCTIONS(ComPortClient)

public:
    enum class State { Negotiating, Ready, Raw, Refused };

    explicit ComPortClient(quint32 baud = 9600);

    // The opening commands.
    QByteArray start();
    // What to send back for a server's event; the state may move on.
    QByteArray handle(const TelnetCodec::Event &event);

    State state() const { return m_state; }
    // The server took COM-PORT-OPTION (its settings' answers may still be awaited).
    bool comPortAgreed() const { return m_comPortAgreed; }
    // Why the server was refused, in the reader's language: "the server kept speed 115200".
    QString refusal() const { return m_refusal; }
    // The negotiation in words, for the journal: "sent WILL COM-PORT-OPTION", "server DO
    // COM-PORT-OPTION", "set speed 9600 → 9600"; taken once.
    QStringList takeNotes();
    // Purge answers seen (the server confirms PURGE-DATA).
    int purgesAnswered() const { return m_purgesAnswered; }

private:
    QByteArray send(quint8 verb, quint8 option);
    QByteArray askSettings();
    void checkAnswer(quint8 command, const QByteArray &payload);
    void refuse(const QString &why);

    quint32 m_baud;
    State m_state = State::Negotiating;
    QString m_refusal;
    QStringList m_notes;
    // What was sent for each option, so that a server's echo is not answered again.
    QList<QByteArray> m_sent;
    bool m_comPortAgreed = false;
    quint8 m_awaited = 0; // a bit for each setting not answered yet
    int m_purgesAnswered = 0;
};
