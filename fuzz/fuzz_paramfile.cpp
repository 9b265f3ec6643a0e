// Any bytes as a parameter file: a table or an error, never a crash; a table
// that can be written must read back the same.
#include "files/parameterfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fault(const char *what, int slot, const QString &a, const QString &b)
{
    std::fprintf(stderr, "paramfile: %s, card %d: \"%s\" became \"%s\"\n", what, slot,
                 qPrintable(a), qPrintable(b));
    std::abort();
}

void same(const char *what, int slot, const QString &a, const QString &b)
{
    if (a != b)
        fault(what, slot, a, b);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const ParameterFileResult first = ReadParameterFile(bytes);
    if (!first.ok()) {
        // The operator is always told why, and where when there is a line
        // (line 17 when the file runs on past the last card).
        if (first.error.isEmpty() || first.errorLine < 0 || first.errorLine > kCardCount + 1)
            fault("bad error report", first.errorLine, first.error, QString());
        return 0;
    }
    const CardTable &a = *first.cards;
    if (!CheckWritable(a).isEmpty())
        return 0;

    const QByteArray text = ParameterFileText(a);
    const ParameterFileResult second = ReadParameterFile(text);
    if (!second.ok())
        fault("written file not readable", second.errorLine, second.error, QString());
    const CardTable &b = *second.cards;
    for (int slot = 1; slot <= kCardCount; ++slot) {
        same("model name", slot, a[slot].ModelName, b[slot].ModelName);
        same("version", slot, a[slot].VerNo, b[slot].VerNo);
        same("burnout", slot, a[slot].Burnout[0], b[slot].Burnout[0]);
        for (int k = 1; k <= 12; ++k)
            same("parameter value", slot, a[slot].par(k).Value, b[slot].par(k).Value);
        for (std::size_t c = 0; c < a[slot].ChData.size(); ++c)
            same("channel data", slot, a[slot].ChData[c], b[slot].ChData[c]);
        same("limit state", slot, QString::number(static_cast<int>(a[slot].Limit)),
             QString::number(static_cast<int>(b[slot].Limit)));
        same("input type", slot, QString::number(a[slot].InputType),
             QString::number(b[slot].InputType));
    }
    return 0;
}
