// The text helpers and the card classification on any Latin-1 text.
#include "model/cardrecord.h"
#include "model/catalogue.h"
#include "model/encodings.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fault(const char *what, const QString &input, const QString &got)
{
    std::fprintf(stderr, "text: %s for \"%s\": \"%s\"\n", what, qPrintable(input), qPrintable(got));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString s =
        QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const QString after = TextAfterColon(s);
    const QString before = TextBeforeColon(s);
    const QString joined = s.contains(u':') ? before + u':' + after : s;
    if (joined != s || (!s.contains(u':') && after != s) || before.contains(u':'))
        fault("colon split", s, before + u'|' + after);

    const QString bits = HexToBits(s);
    if (bits.size() != 16)
        fault("bit count", s, bits);
    for (QChar c : bits)
        if (c != u'0' && c != u'1')
            fault("bit character", s, bits);

    const DottedParts parts = SplitDotted(s);
    const qsizetype points = s.count(u'.');
    QString dotted = parts.first;
    if (points >= 1)
        dotted += u'.' + parts.second;
    if (points >= 2)
        dotted += u'.' + parts.third;
    if (points >= 3)
        dotted += u'.' + parts.rest;
    if (dotted != s || parts.first.contains(u'.') || parts.second.contains(u'.') ||
        parts.third.contains(u'.'))
        fault("dotted split", s, dotted);

    const QString one = RemoveFirstPoint(s);
    if (one.size() != s.size() - (points > 0 ? 1 : 0) ||
        one.count(u'.') != qMax<qsizetype>(points - 1, 0))
        fault("first point", s, one);

    if (const auto n = CheckNumberText(s); n && !s.isEmpty()) {
        for (QChar c : s.left(3))
            if (c == u'+' || c == u'-' || c == u'.')
                fault("sign or point accepted", s, QString::number(*n));
        const double d = s.trimmed().toDouble();
        if (!(std::fabs(d - *n) <= 0.5))
            fault("rounded too far", s, QString::number(*n));
    }

    const int kind = KindOfModel(s);
    if ((kind < 0 || kind >= kKindCount) && kind != kNoCard)
        fault("kind", s, QString::number(kind));
    CardTable table;
    ResetCardTable(table);
    const int cardNo = size > 0 ? data[0] % kCardCount + 1 : 1;
    ClassifyCard(table, cardNo, s);
    const CardRecord &r = table[cardNo];
    if (r.ModelKind != kind || r.ModelName != s)
        fault("classified kind", s, QString::number(r.ModelKind));
    const CardKind &k = r.kind();
    static const QList<int> counts{0, 1, 2, 4, 16};
    if (!counts.contains(r.ChCount) || r.ChCount != k.channels || r.Form != k.form ||
        r.Class != k.inputClass || r.Status != k.status)
        fault("classified fields", s,
              QString::number(r.ChCount) + u'/' + QString::number(static_cast<int>(r.Form)) + u'/' +
                  QString::number(static_cast<int>(r.Class)));
    return 0;
}
