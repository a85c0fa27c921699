#pragma once

#include "cli/devicejob.h"
#include "cli/tool.h"
#include "cli/verification.h"

#include <QElapsedTimer>
#include <memory>

// One port's part in a run of the tool.
struct Tool::PortRun
{
    int com = 0;
    QString name;
    std::unique_ptr<DeviceJob> job;
    QElapsedTimer clock;
    qint64 elapsedMs = -1; // the port's own time, taken when it finished
    int status = -1;
    QString message;
    QString file;
    QByteArray sent;
    bool verifying = false;
    QList<config::Change> ruleChanges; // named values the pages' rules set otherwise
    QList<config::Change> formChanges; // named values the record's own forms store otherwise
    QByteArray text;                   // read -o -: the file's text for stdout
    QList<ByteDifference> byteDiffs; // write --verify: the record read back against the one sent
    QString snapshot;                // write: what the controller held before, saved
};
