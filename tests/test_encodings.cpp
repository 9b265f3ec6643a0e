// Decoding of the card's replies and checks of typed numbers.
#include "model/encodings.h"

#include <QTest>

class TestEncodings : public QObject
{
    Q_OBJECT

private slots:
    // Each function of one text: the tag names it; a split address gives
    // its parts joined by '|', a typed number its value or "refused".
    void texts_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        const std::initializer_list<std::array<const char *, 3>> rows = {
            {"after colon, empty", "", ""},
            {"after colon, none", "ABC", "ABC"},
            {"after colon, prefix", "02:ABC", "ABC"},
            {"after colon, two", "a:b:c", "b:c"},
            {"after colon, last", "abc:", ""},
            {"before colon, empty", "", ""},
            {"before colon, none", "ABC", "ABC"},
            {"before colon, prefix", "02:ABC", "02"},
            {"before colon, two", "a:b:c", "a"},
            {"before colon, last", "abc:", "abc"},
            {"first point, two", "1.2.3", "12.3"},
            {"first point, leading", ".5", "5"},
            {"first point, none", "15", "15"},
            {"first point, negative", "-12.34", "-1234"},
            {"first point, empty", "", ""},
            {"bits, all", "FFFF", "1111111111111111"},
            {"bits, lower case unknown", "ffff", "0000000000000000"},
            {"bits, A5F0", "A5F0", "1010010111110000"},
            {"bits, bad digit", "12G4", "0001001000000100"},
            {"bits, extra ignored", "0005FF", "0000000000000101"},
            {"bits, CNG", "CNG", "1100000000000000"},
            {"dotted, address", "192.168.0.1", "192|168|0|1"},
            {"dotted, five parts", "1.2.3.4.5", "1|2|3|4.5"},
            {"dotted, empty parts", "...", "|||"},
            {"dotted, none", "abc", "abc|||"},
            {"number, plain", "12", "12"},
            {"number, empty", "", "0"},
            {"number, minus", "-1", "refused"},
            {"number, plus", "+5", "refused"},
            {"number, point", "1.5", "refused"},
            {"number, letters", "abc", "refused"},
            {"number, round up", "1234.6", "1235"},
            {"number, half to even down", "1234.5", "1234"},
            {"number, half to even up", "1235.5", "1236"},
            {"number, too big", "32768", "refused"},
            {"number, blank inside", "1 2", "refused"},
            {"number, late sign", "123-", "refused"},
        };
        for (const auto &[tag, in, out] : rows)
            QTest::newRow(tag) << QString::fromLatin1(in) << QString::fromLatin1(out);
    }
    void texts()
    {
        QFETCH(QString, in);
        const QString fn = QString::fromLatin1(QTest::currentDataTag()).section(u',', 0, 0);
        QString out;
        if (fn == QLatin1String("after colon")) {
            out = TextAfterColon(in);
        } else if (fn == QLatin1String("before colon")) {
            out = TextBeforeColon(in);
        } else if (fn == QLatin1String("first point")) {
            out = RemoveFirstPoint(in);
        } else if (fn == QLatin1String("bits")) {
            out = HexToBits(in);
        } else if (fn == QLatin1String("dotted")) {
            const DottedParts p = SplitDotted(in);
            out = QStringList{p.first, p.second, p.third, p.rest}.join(u'|');
        } else {
            const auto n = CheckNumberText(in);
            out = n ? QString::number(*n) : QStringLiteral("refused");
        }
        QTEST(out, "out");
    }
};

QTEST_GUILESS_MAIN(TestEncodings)
#include "test_encodings.moc"
