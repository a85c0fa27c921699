#include "app/portdiscovery.h"

#include "link/portmap.h"
#include "link/serialchannel.h"

PortList discoverPorts(SerialChannel &channel)
{
    PortList ports;
    for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com) {
        if (!channel.open(com, 9600))
            continue;
        channel.close();
        ports.items << QStringLiteral("COM%1").arg(com);
        ports.table << com;
    }
    return ports;
}
