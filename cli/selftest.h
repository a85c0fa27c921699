#pragma once

#include "integrity/shippedfiles.h"

#include <QTextStream>

// `tavrix-cli selftest`: every shipped file against its checksum, and the Qt plugins the
// programs will load; 0 when the copy is intact, 1 when anything is missing or changed.
int printSelftest(const shippedfiles::Report &report, QTextStream &out);
int runSelftest(QTextStream &out);
