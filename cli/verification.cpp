#include "cli/verification.h"

QList<ByteDifference> compareRecords(const QByteArray &written, const QByteArray &readBack)
{
    const int end = int(qMax(written.size(), readBack.size()));
    const auto differs = [&](int at) {
        return at >= written.size() || at >= readBack.size() || written.at(at) != readBack.at(at);
    };
    QList<ByteDifference> out;
    for (int at = 0; at < end;) {
        if (!differs(at)) {
            ++at;
            continue;
        }
        ByteDifference d;
        d.place = records::placeAt(written, at);
        d.offset = at;
        // Past the record sent, the rest is one run; inside it, a run ends with its field.
        const int fieldEnd = at >= written.size() ? end : d.place.offset + d.place.width;
        int last = at;
        bool padding = d.place.padding;
        while (last + 1 < fieldEnd && differs(last + 1)) {
            ++last;
            padding = padding && records::placeAt(written, last).padding;
        }
        d.place.padding = padding;
        d.written = written.mid(at, last + 1 - at);
        d.readBack = readBack.mid(at, last + 1 - at);
        out << d;
        at = last + 1;
    }
    return out;
}
