#pragma once

#include <QByteArray>
#include <QString>

// The internet block at the end of a settings record, from kGprsOffset: the access point
// in quotes, padded with spaces to its field; the protocol group "TCP",; the server and
// the port in quotes; spaces to the end. What the writer sends, what a read takes and
// where each part lies are all worked out here.
namespace records {

class Payload;

// The block as the writer sends it, without the spaces that end the record.
QByteArray gprsTail(const QString &apn, const QString &server, const QString &port);

// Where a read finds the parts of the block: the access point's quotes, the protocol
// group, the quoted server and port; -1 for a part it does not find. serverPort says
// whether the server and port stand as "server","port" followed by nothing but spaces.
struct GprsShape
{
    int open = -1;      // the access point's opening quote
    int close = -1;     // and its closing one
    int group = -1;     // the protocol group's opening quote
    int groupEnd = -1;  // the server's opening quote
    int serverEnd = -1; // the server's closing quote
    int portEnd = -1;   // the port's closing quote
    bool serverPort = false;
    QString server;
    QString port;
};
GprsShape gprsShape(const Payload &p);

} // namespace records
