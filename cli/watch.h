#pragma once

#include "link/portmap.h"

#include <QList>
#include <QString>
#include <QTextStream>

// `tavrix-cli watch`: the production line from the shell.
struct WatchOptions
{
    QString templatePath;
    QList<int> coms;       // empty: every COM number
    QString unitsPath;
    QString logPath;
    QString book;          // the site book; empty: TAVRIX_BOOK or the default
    QString operatorName;  // who the book records as writing; empty: the OS user
    QString backupsDir;
    int count = 0;
    int settleMs = 1000;
    int timeoutMs = 10000;
    int connectTimeoutMs = 5000; // a network port's connection
    bool check = false;    // only check the template and the rows
    bool json = false;
};

int runWatch(const PortMap &map, const WatchOptions &options, QTextStream &out, QTextStream &err);
