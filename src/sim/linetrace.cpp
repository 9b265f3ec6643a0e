#include "sim/linetrace.h"

#include <cstdio>

void LineTrace::operator()(char direction, const QByteArray &bytes) const
{
    if (!m_on)
        return;
    QByteArray shown;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (u < 32 || u >= 127)
            shown += QByteArray("\\x") + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            shown += c;
    }
    std::fprintf(stderr, "%10.3f %c %s\n", static_cast<double>(m_clock.elapsed()) / 1000.0,
                 direction, shown.constData());
}
