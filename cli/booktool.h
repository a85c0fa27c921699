#pragma once

#include <QStringList>
#include <QTextStream>

// `tavrix-cli book ...`: the site book from the shell.
struct BookOptions
{
    QString book;         // the location; empty: TAVRIX_BOOK or the default
    QString operatorName; // who records; empty: the OS user
    bool json = false;
    bool all = false;     // sites: archived sites too
    QString output;       // show, export: -o
    // add, edit: the fields given (a null text: not given)
    QString address;
    QString contact;
    QString note;
};

// The sub-command and its arguments (after "book"); the exit status: 0 done (diff:
// equal), 1 not found, 2 usage, file or book error, 3 diff found differences.
int runBook(const QStringList &args, const BookOptions &options, QTextStream &out, QTextStream &err);
