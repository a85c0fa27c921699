#pragma once

#include <QString>
#include <QStringList>

// The network ports the window has connected to ("rfc2217://host:2217"), most recent
// first, as the program's settings keep them: they stand in the port list after COM50.
namespace networkaddresses {

constexpr int kKept = 10;

QStringList remembered();
// Puts the address first; one beyond the last kKept goes.
void remember(const QString &address);
void forget(const QString &address);

} // namespace networkaddresses
