#include "net/networkports.h"

#include "net/networkline.h"
#include "protocol/connection.h"

namespace net {

void registerNetworkPorts(int timeoutMs)
{
    const Connection::LineKind kind{
        [timeoutMs] { return std::make_unique<NetworkLine>(timeoutMs); },
        [](const QString &, const PortLine &line) {
            // The cause in the line's own words: refused, no answer, name not found, …
            OpenRefusal refusal;
            refusal.cause = OpenRefusal::Cause::Other;
            refusal.system = static_cast<const NetworkLine &>(line).errorString();
            return refusal;
        }};
    Connection::addKind(QStringLiteral("rfc2217"), kind);
    Connection::addKind(QStringLiteral("socket"), kind);
}

} // namespace net
