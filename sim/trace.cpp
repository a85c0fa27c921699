#include "sim/trace.h"

namespace sim {

QString escaped(const QByteArray &bytes, int limit)
{
    QString out;
    const qsizetype shown = limit >= 0 ? qMin<qsizetype>(bytes.size(), limit) : bytes.size();
    for (qsizetype i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes.at(i));
        if (c == '\r')
            out += QLatin1String("\\r");
        else if (c == '\n')
            out += QLatin1String("\\n");
        else if (c == '\\')
            out += QLatin1String("\\\\");
        else if (c < 0x20 || c >= 0x7f)
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        else
            out += QLatin1Char(static_cast<char>(c));
    }
    if (shown < bytes.size())
        out += QLatin1String("...");
    return out;
}

} // namespace sim
