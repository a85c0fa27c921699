#pragma once

#include "net/networkline.h"

#include <QString>
#include <optional>

// Ports as the tool's commands name them: COM numbers, and network addresses that stand
// among them as numbers from kFirstAddress on, in the order they were named.
namespace portnames {

constexpr int kFirstAddress = 1000;

// "COM3" or "com3": the COM number, 0 when the text names no COM port.
int comNumber(const QString &text);
// The COM number or the address's number (the address taken in on first sight); 0 when
// the text names neither. A text that is meant as an address but is not a valid one
// gives 0 and the reason.
int number(const QString &text, QString *why = nullptr);
bool isAddress(int number);
std::optional<NetworkLine::Address> address(int number);
// "COM3", or the address as written back: "rfc2217://host:2217".
QString name(int number);
// What a file of this port is called: "COM3", "rfc2217-host-2217".
QString fileStem(int number);

} // namespace portnames
