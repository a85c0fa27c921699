// The configuration file parser on arbitrary bytes: it never reads out of bounds, and
// what it accepts survives being written out again with the writer's quoting.
#include "config/configfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    config::Configuration cfg;
    if (config::parse(input, QStringLiteral("fuzz.cfg"), &cfg))
        return 0;

    QString text = QStringLiteral("# %1 %2\n").arg(QLatin1String(config::kFormatName)).arg(config::kFormatVersion);
    for (const config::Entry &e : cfg.entries())
        text += e.name + QStringLiteral(" = ") + config::quoted(e.value) + QStringLiteral("  # note\n");
    config::Configuration again;
    if (config::parse(text.toUtf8(), QStringLiteral("again.cfg"), &again) || again.size() != cfg.size())
        std::abort();
    for (const config::Entry &e : cfg.entries()) {
        if (!again.contains(e.name) || again.value(e.name) != e.value)
            std::abort();
    }
    return 0;
}
