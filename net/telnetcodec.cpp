#include "net/telnetcodec.h"

QByteArray TelnetCodec::feed(const QByteArray &wire)
{
    QByteArray data;
    data.reserve(wire.size());
    for (const char c : wire) {
        const quint8 b = quint8(c);
        switch (m_state) {
        case State::Data:
            if (b == IAC)
                m_state = State::Iac;
            else
                data.append(c);
            break;
        case State::Iac:
            if (b == IAC) {
                data.append(c); // a doubled 0xFF is one data byte
                m_state = State::Data;
            } else if (b >= WILL && b <= DONT) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == SB) {
                m_sub.clear();
                m_state = State::Sub;
            } else {
                m_state = State::Data; // NOP, GA and the like carry nothing for us
            }
            break;
        case State::Verb:
            m_events.append({m_verb, b, {}, int(data.size())});
            m_state = State::Data;
            break;
        case State::Sub:
            if (b == IAC)
                m_state = State::SubIac;
            else
                m_sub.append(c);
            break;
        case State::SubIac:
            if (b == IAC) {
                m_sub.append(c);
                m_state = State::Sub;
            } else if (b == SE) {
                if (!m_sub.isEmpty())
                    m_events.append({SB, quint8(m_sub.at(0)), m_sub.mid(1), int(data.size())});
                m_sub.clear();
                m_state = State::Data;
            } else {
                // Not a valid end: keep reading the sub-negotiation until one comes.
                m_state = State::Sub;
            }
            break;
        }
    }
    return data;
}

QList<TelnetCodec::Event> TelnetCodec::takeEvents()
{
    QList<Event> events;
    events.swap(m_events);
    return events;
}

void TelnetCodec::reset()
{
    m_state = State::Data;
    m_sub.clear();
    m_events.clear();
}

QByteArray TelnetCodec::escape(const QByteArray &data)
{
    if (!data.contains(char(IAC)))
        return data;
    QByteArray out;
    out.reserve(data.size() + 8);
    for (const char c : data) {
        out.append(c);
        if (quint8(c) == IAC)
            out.append(c);
    }
    return out;
}

QByteArray TelnetCodec::command(quint8 verb, quint8 option)
{
    QByteArray out;
    out += char(IAC);
    out += char(verb);
    out += char(option);
    return out;
}

QByteArray TelnetCodec::subnegotiation(quint8 option, const QByteArray &payload)
{
    QByteArray out;
    out += char(IAC);
    out += char(SB);
    out += char(option);
    out += escape(payload);
    out += char(IAC);
    out += char(SE);
    return out;
}

QString TelnetCodec::verbName(quint8 verb)
{
    switch (verb) {
    case WILL: return QStringLiteral("WILL");
    case WONT: return QStringLiteral("WONT");
    case DO: return QStringLiteral("DO");
    case DONT: return QStringLiteral("DONT");
    case SB: return QStringLiteral("SB");
    default: return QString::number(verb);
    }
}

QString TelnetCodec::optionName(quint8 option)
{
    switch (option) {
    case Binary: return QStringLiteral("BINARY");
    case 1: return QStringLiteral("ECHO");
    case SuppressGoAhead: return QStringLiteral("SUPPRESS-GO-AHEAD");
    case ComPort: return QStringLiteral("COM-PORT-OPTION");
    default: return QStringLiteral("option %1").arg(option);
    }
}

namespace comport {

QByteArray payload(quint8 command, quint32 value)
{
    QByteArray out(1, char(command));
    if (command == SetBaudRate || command == SetBaudRate + kServerOffset) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.append(char((value >> shift) & 0xff));
    } else {
        out.append(char(value & 0xff));
    }
    return out;
}

bool value(const QByteArray &payload, quint32 *value)
{
    if (payload.isEmpty())
        return false;
    const quint8 command = quint8(payload.at(0));
    const bool baud = command == SetBaudRate || command == SetBaudRate + kServerOffset;
    const int width = baud ? 4 : 1;
    if (payload.size() < 1 + width)
        return false;
    quint32 v = 0;
    for (int i = 0; i < width; ++i)
        v = (v << 8) | quint8(payload.at(1 + i));
    *value = v;
    return true;
}

} // namespace comport

namespace {

QString parityName(quint32 parity)
{
    switch (parity) {
    case comport::ParityNone: return QStringLiteral("none");
    case comport::ParityOdd: return QStringLiteral("odd");
    case comport::ParityEven: return QStringLiteral("even");
    case comport::ParityMark: return QStringLiteral("mark");
    case comport::ParitySpace: return QStringLiteral("space");
    default: return QString::number(parity);
    }
}

QString stopName(quint32 stop)
{
    switch (stop) {
    case comport::StopOne: return QStringLiteral("1");
    case comport::StopTwo: return QStringLiteral("2");
    case comport::StopOneAndHalf: return QStringLiteral("1.5");
    default: return QString::number(stop);
    }
}

} // namespace

ComPortClient::ComPortClient(quint32 baud) : m_baud(baud)
{
}

QByteArray ComPortClient::start()
{
    // One after another: the journal tells them in the order they go out.
    QByteArray out = send(TelnetCodec::WILL, TelnetCodec::Binary);
    out += send(TelnetCodec::DO, TelnetCodec::Binary);
    out += send(TelnetCodec::WILL, TelnetCodec::SuppressGoAhead);
    out += send(TelnetCodec::DO, TelnetCodec::SuppressGoAhead);
    out += send(TelnetCodec::WILL, TelnetCodec::ComPort);
    return out;
}

QByteArray ComPortClient::send(quint8 verb, quint8 option)
{
    const QByteArray bytes = TelnetCodec::command(verb, option);
    if (m_sent.contains(bytes))
        return {};
    m_sent.append(bytes);
    m_notes << tr("sent %1 %2").arg(TelnetCodec::verbName(verb), TelnetCodec::optionName(option));
    return bytes;
}

QByteArray ComPortClient::handle(const TelnetCodec::Event &event)
{
    using T = TelnetCodec;
    const quint8 option = event.option;
    if (event.verb == T::SB) {
        if (option == T::ComPort && !event.payload.isEmpty())
            checkAnswer(quint8(event.payload.at(0)), event.payload);
        return {};
    }
    m_notes << tr("server %1 %2").arg(T::verbName(event.verb), T::optionName(option));
    const bool ours = option == T::Binary || option == T::SuppressGoAhead || option == T::ComPort;
    switch (event.verb) {
    case T::DO:
        if (!ours)
            return send(T::WONT, option);
        if (option == T::ComPort && !m_comPortAgreed && m_state == State::Negotiating) {
            m_comPortAgreed = true;
            QByteArray out = send(T::WILL, option);
            out += askSettings();
            return out;
        }
        return send(T::WILL, option);
    case T::WILL:
        if (option == T::Binary || option == T::SuppressGoAhead)
            return send(T::DO, option);
        if (option == T::ComPort)
            return {}; // the server offering to be a client: nothing to say to it
        return send(T::DONT, option);
    case T::DONT:
    case T::WONT:
        if (option == T::ComPort && m_state == State::Negotiating && !m_comPortAgreed) {
            m_state = State::Raw;
            m_notes << tr("the server refuses COM-PORT-OPTION: the line is used as raw TCP, with the server's own settings");
        }
        return {};
    default:
        return {};
    }
}

QByteArray ComPortClient::askSettings()
{
    using namespace comport;
    QByteArray out;
    for (const auto &[command, value] : {std::pair<quint8, quint32>{SetBaudRate, m_baud}, {SetDataSize, 8},
                                          {SetParity, ParityNone}, {SetStopSize, StopOne}})
        out += TelnetCodec::subnegotiation(TelnetCodec::ComPort, payload(command, value));
    m_awaited = 0xf;
    return out;
}

void ComPortClient::checkAnswer(quint8 command, const QByteArray &payload)
{
    using namespace comport;
    if (command == PurgeData + kServerOffset) {
        ++m_purgesAnswered;
        return;
    }
    if (m_state != State::Negotiating || !m_comPortAgreed || command <= kServerOffset
        || command > SetStopSize + kServerOffset)
        return;
    const quint8 bit = quint8(1u << (command - kServerOffset - 1));
    if (!(m_awaited & bit))
        return; // a repeat, or a change the server reports on its own
    m_awaited &= quint8(~bit);
    quint32 got = 0;
    if (!value(payload, &got))
        return;
    switch (command - kServerOffset) {
    case SetBaudRate:
        m_notes << tr("set speed %1 → %2").arg(m_baud).arg(got);
        if (got != m_baud)
            return refuse(tr("the server kept speed %1").arg(got));
        break;
    case SetDataSize:
        m_notes << tr("set data bits 8 → %1").arg(got);
        if (got != 8)
            return refuse(tr("the server kept %1 data bits").arg(got));
        break;
    case SetParity:
        m_notes << tr("set parity none → %1").arg(parityName(got));
        if (got != ParityNone)
            return refuse(tr("the server kept parity %1").arg(parityName(got)));
        break;
    case SetStopSize:
        m_notes << tr("set stop bits 1 → %1").arg(stopName(got));
        if (got != StopOne)
            return refuse(tr("the server kept %1 stop bits").arg(stopName(got)));
        break;
    }
    if (m_awaited == 0) {
        m_state = State::Ready;
        m_notes << tr("line settings confirmed: %1 8N1").arg(m_baud);
    }
}

void ComPortClient::refuse(const QString &why)
{
    m_state = State::Refused;
    m_refusal = why;
}

QStringList ComPortClient::takeNotes()
{
    QStringList notes;
    notes.swap(m_notes);
    return notes;
}
