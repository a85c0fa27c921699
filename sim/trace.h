#pragma once

#include <QByteArray>
#include <QString>

namespace sim {

// Printable form of wire bytes for the traffic trace: CR and LF as \r and \n, other
// control bytes and bytes from 0x80 as \xNN; longer texts are cut after `limit` bytes.
QString escaped(const QByteArray &bytes, int limit = 80);

} // namespace sim
