#pragma once

#include "link/portmap.h"

#include <QString>
#include <QTextStream>

// `tavrix-cli serve COMn [--listen ADDRESS:PORT]`: lends the port to one RFC 2217 client
// at a time until Ctrl+C.
int runServe(const PortMap &map, int com, const QString &listen, QTextStream &out, QTextStream &err);
