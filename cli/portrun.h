#pragma once

#include "cli/devicejob.h"
#include "cli/tool.h"
#include "config/writeplan.h"

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
    // write: what is read is what the controller holds until the record is sent, and
    // once it is acknowledged (with --verify) what it stored.
    enum class Stage { Holding, Writing, Verifying };
    Stage stage = Stage::Holding;
    config::WritePlan plan;
    QByteArray text;                   // read -o -: the file's text for stdout
    QList<config::ByteDifference> byteDiffs; // write --verify: the record read back against the one sent
    QString snapshot;                // write: what the controller held before, saved
};
