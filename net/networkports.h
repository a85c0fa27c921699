#pragma once

// Makes the connections of this program open "rfc2217://…" and "socket://…" ports as
// network lines that connect and negotiate within `timeoutMs`. Called again, the last
// timeout holds.
namespace net {
void registerNetworkPorts(int timeoutMs);
}
