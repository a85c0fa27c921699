#pragma once

#include <QStringList>
#include <QVector>

class SerialChannel;

// The COM ports that could be opened when the window was built: item i of the port
// selector ("COM3") stands for port number table[i].
struct PortList
{
    QStringList items;
    QVector<int> table;
};

// Probes COM1 to COM50 in ascending order by opening and closing each at 9600 baud.
// A port that cannot be opened (absent, held by another program) is skipped silently.
PortList discoverPorts(SerialChannel &channel);
