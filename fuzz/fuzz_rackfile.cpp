// Any bytes as a rack description: loaded or refused, never a crash; a loaded
// rack answers the select and model read of slot 1 as its contents say.
#include "sim/rackloader.h"
#include "sim/simcard.h"
#include "sim/simulatedrack.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fault(const char *what, const QByteArray &reply)
{
    std::fprintf(stderr, "rackfile: %s: \"%s\"\n", what, reply.toPercentEncoding().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const auto loaded = LoadRack(json);
    if (!loaded) {
        if (loaded.reason().isEmpty())
            fault("refused without a reason", json.left(80));
        return 0;
    }
    const auto &rack = *loaded;
    const bool occupied = rack->isOccupied(1);
    const QByteArray select = rack->handle("G1\r");
    if (select != (occupied ? QByteArrayLiteral("COK\r") : QByteArrayLiteral("CNG\r")))
        fault("select of slot 1", select);
    const QByteArray model = rack->handle("I2\r");
    const QByteArray expected =
        occupied ? QByteArrayLiteral("0MD:") + rack->card(1)->model().toLatin1() + '\r'
                 : QByteArrayLiteral("CNG\r");
    if (model != expected)
        fault("model read of slot 1", model);
    return 0;
}
