#pragma once

#include "link/serialline.h"

#include <QString>

class ExchangeJournal;

// A line that is opened by its port's name: a serial device is one kind, a line over the
// network another. A connection holds whichever kind the name calls for.
class PortLine : public SerialLine
{
    Q_OBJECT

public:
    using SerialLine::SerialLine;

    // Opens the port at the controller's rate; refused while already open.
    virtual bool open(const QString &port) = 0;
    virtual void close() = 0;
    // What the port was opened as (a device followed to its target, an address).
    virtual QString path() const = 0;
    // Every command written and every chunk read from now on goes into the journal,
    // under `port`. The journal must outlive the line or be unset first.
    virtual void setJournal(ExchangeJournal *journal, const QString &port) = 0;
};
