#include "records/gprstail.h"

#include "records/layout.h"
#include "records/payload.h"
#include "wire/wiretext.h"

#include <algorithm>

namespace records {
namespace {

const QByteArray kQuote = "\"";
const QByteArray kProtocolGroup = "\"TCP\",";
const QByteArray kServerPortSeparator = "\",\"";

// The end of a protocol group (quote, word, quote, comma) at pos, or -1. The word is
// "TCP", or with anyWord any text without quotes and commas, followed by the server's
// opening quote.
int protocolGroupEnd(const Payload &p, int pos, bool anyWord)
{
    if (!anyWord)
        return p.mid(pos, int(kProtocolGroup.size())) == kProtocolGroup
                   ? pos + int(kProtocolGroup.size())
                   : -1;
    if (p.at(pos) != '"')
        return -1;
    int t = pos + 1;
    while (t < p.size() && p.at(t) != '"' && p.at(t) != ',')
        ++t;
    return (p.at(t) == '"' && p.at(t + 1) == ',' && p.at(t + 2) == '"') ? t + 2 : -1;
}

// The quoted server address and port from the opening quote of the address on. The port
// ends at the last quote and is taken from the last separator before it, so an address
// may hold any character; only spaces may follow.
void findServerPort(const Payload &p, GprsShape &shape)
{
    const int from = shape.groupEnd;
    if (p.at(from) != '"')
        return;
    const QByteArray rest = p.mid(from + 1, p.size());
    const qsizetype last = rest.lastIndexOf('"');
    // The separator stands whole before the port's closing quote.
    const qsizetype sep =
        last < kServerPortSeparator.size() ? -1 : rest.lastIndexOf(kServerPortSeparator, last - kServerPortSeparator.size());
    if (sep < 0)
        return;
    shape.serverEnd = from + 1 + int(sep);
    shape.portEnd = from + 1 + int(last);
    const QByteArray after = rest.mid(last + 1);
    shape.serverPort = std::all_of(after.begin(), after.end(), [](char ch) { return ch == ' '; });
    if (shape.serverPort) {
        shape.server = wire::decode(rest.left(sep));
        shape.port = wire::decode(rest.mid(sep + kServerPortSeparator.size(), last - sep - kServerPortSeparator.size()));
    }
}

} // namespace

QByteArray gprsTail(const QString &apn, const QString &server, const QString &port)
{
    QByteArray out = kQuote + wire::encode(apn) + kQuote;
    if (apn.size() < kApnField)
        out += QByteArray(kApnField - apn.size(), ' ');
    out += kProtocolGroup;
    out += kQuote + wire::encode(server) + kServerPortSeparator + wire::encode(port) + kQuote;
    return out;
}

GprsShape gprsShape(const Payload &p)
{
    GprsShape shape;
    // The access point's closing quote is the first quote followed by nothing but
    // spaces and the protocol group, which finds it for any name the writer sends.
    // The writer's word is "TCP"; a device that reports another one is read as well.
    shape.open = p.at(kGprsOffset) != ' ' ? p.indexOf(kQuote, kGprsOffset) : -1;
    for (const bool anyWord : {false, true}) {
        for (int q = p.indexOf(kQuote, shape.open >= 0 ? shape.open + 1 : kGprsOffset); q >= 0 && shape.group < 0;
             q = p.indexOf(kQuote, q + 1)) {
            int t = q + 1;
            while (p.at(t) == ' ')
                ++t;
            const int end = protocolGroupEnd(p, t, anyWord);
            if (end >= 0) {
                shape.close = q;
                shape.group = t;
                shape.groupEnd = end;
            }
        }
    }
    if (shape.open >= 0 && shape.close < 0)
        shape.close = p.indexOf(kQuote, shape.open + 1);
    if (shape.group >= 0)
        findServerPort(p, shape);
    return shape;
}

} // namespace records
