// Any bytes as a parameter file: a table or an error, never a crash; a table
// that can be written must read back the same.
#include "files/parameterfile.h"

#include <QRegularExpression>

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
    const Result<CardTable> first = ReadParameterFile(bytes);
    if (!first.ok()) {
        // The operator is always told why, and where when there is a line
        // (line 17 when the file runs on past the last card).
        static const QRegularExpression where(QStringLiteral("^Line (\\d+): "));
        const QRegularExpressionMatch line = where.match(first.reason());
        const int n = line.hasMatch() ? line.captured(1).toInt() : 0;
        if (first.reason().isEmpty() || n > kCardCount + 1)
            fault("bad error report", n, first.reason(), QString());
        return 0;
    }
    const CardTable &a = *first;
    if (!CheckWritable(a))
        return 0;

    const QByteArray text = ParameterFileText(a);
    const Result<CardTable> second = ReadParameterFile(text);
    if (!second.ok())
        fault("written file not readable", 0, second.reason(), QString());
    const CardTable &b = *second;
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
