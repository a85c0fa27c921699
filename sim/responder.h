#pragma once

#include <QByteArray>

namespace sim {

// What the controller does with one command line (without its CR).
struct Response
{
    bool answered = false;  // unknown commands get no answer
    QByteArray reply;       // the whole reply, ending in CR
    bool recordChanged = false;
};

// Answers a command against the stored record, changing it for the write commands.
Response respond(QByteArray &record, const QByteArray &line);

} // namespace sim
