// The ranges, units and labels of the analog card editor for the cards and
// sensor settings an upload or a file gives, checked against values worked
// out by hand from the catalogue.
#include "model/catalogue.h"
#include "model/scalelimits.h"

#include <QTest>

namespace {
CardRecord card(const QString &model)
{
    CardTable table;
    ClassifyCard(table, 1, model);
    return table[1];
}

QString text(const std::optional<LimitPair> &p)
{
    return p ? p->low + QStringLiteral(" --- ") + p->high : QStringLiteral("none");
}

// The scale rows of every kind that has them.
const std::array<LimitPair, 4> kScale{
    {{"-32000", "32000"}, {"-32000", "32000"}, {"-320.00", "320.00"}, {"-3.2000", "3.2000"}}};
} // namespace

class TestScaleLimits : public QObject
{
    Q_OBJECT

private slots:
    void sensor_data()
    {
        for (const char *c : {"model", "name", "base", "unit"})
            QTest::addColumn<QString>(c);
        for (const char *c : {"kind", "tempUnit", "inputType"})
            QTest::addColumn<int>(c);
        auto row = [](const char *tag, const char *model, int kind, int tu, int it,
                      const char *name, const char *base, const char *unit) {
            QTest::newRow(tag) << QString::fromLatin1(model) << QString::fromLatin1(name)
                               << QString::fromLatin1(base) << QString::fromLatin1(unit) << kind
                               << tu << it;
        };
        row("TC K deg C", "XD1-K", 35, 0, 1, "K(CA)", "-270.00 --- 1370.00", "deg C");
        row("TC K deg F", "XD1-K", 35, 1, 1, "K(CA)", "-454.00 --- 2498.00", "deg F");
        row("TC K kelvin", "XD1-K", 35, 2, 1, "K(CA)", "3.00 --- 1643.00", "K");
        row("TC last type", "XDA2", 27, 0, 12, "Platinel", "0.00 --- 1395.00", "deg C");
        row("narrow RTD", "XEA1-P", 28, 0, 1, "Pt100JIS'89", "-20.00 --- 200.00", "deg C");
        row("narrow RTD F", "XEA2-P", 29, 1, 8, "JPt100JIS'89", "-4.00 --- 392.00", "deg F");
        row("narrow RTD none", "XEA1-P", 28, 0, 0, "-", "0.00 --- 0.00", "deg C");
        row("wide RTD", "XE1-P", 37, 0, 1, "Pt100JIS'89", "-200.00 --- 660.00", "deg C");
        row("wide RTD K", "XE2A", 40, 2, 8, "JPt100JIS'89", "73.00 --- 783.00", "K");
    }
    void sensor()
    {
        QFETCH(QString, model);
        QFETCH(int, tempUnit);
        QFETCH(int, inputType);
        CardRecord c = card(model);
        QTEST(c.ModelKind, "kind");
        c.Unit = static_cast<TempUnit>(tempUnit);
        c.InputType = inputType;
        const ScaleLimits s = ScaleLimitsFor(c).value();
        QTEST(s.inputType.value(), "name");
        QTEST(text(s.base[0]), "base");
        QTEST(text(s.base[1]), "base");
        QTEST(s.unit, "unit");
        QVERIFY(s.baseLimitsShown && s.baseRowsShown);
        QVERIFY(s.scale == kScale);
    }

    // "shown": l the base limit labels, r the base rows, s the scale rows;
    // "-" no limits at all, the window left as it is.
    void nominal_data()
    {
        for (const char *c : {"model", "base1", "base2", "unit", "shown"})
            QTest::addColumn<QString>(c);
        for (const char *c : {"kind", "aux1", "aux2"})
            QTest::addColumn<int>(c);
        auto row = [](const char *model, int kind, int aux1, int aux2, const char *base1,
                      const char *base2, const char *unit, const char *shown) {
            QTest::addRow("%d %d/%d", kind, aux1, aux2)
                << QString::fromLatin1(model) << QString::fromLatin1(base1)
                << QString::fromLatin1(base2) << QString::fromLatin1(unit)
                << QString::fromLatin1(shown) << kind << aux1 << aux2;
        };
        const char *hidden = " --- ";
        row("XN1-5", 18, 1, -1, "0.00 --- 150.00", "0.00 --- 300.00", "V", "lrs");
        row("XN2-5", 19, 2, 1, "0.00 --- 300.00", "0.00 --- 150.00", "V", "lrs");
        row("XPA1", 30, 3, 2, "0.00 --- 80.00", "0.00 --- 120.00", "A", "lrs");
        row("XPA2", 31, 1, -1, "0.00 --- 300.00", "0.00 --- 500.00", "A", "lrs");
        row("XPB1", 32, 3, -1, "0.00 --- 100.00", "0.00 --- 600.00", "A", "lrs");
        row("XPB2", 33, 4, 2, "0.00 --- 50.00", "0.00 --- 200.00", "A", "lrs");
        row("XPB2", 33, 1, 0, "0.00 --- 400.00", "0.00 --- 600.00", "A", "lrs");
        row("XP1-5", 20, -1, -1, "0.00 --- 5.00", "0.00 --- 5.00", "A", "lrs");
        row("XP2-5", 21, -1, -1, "0.00 --- 5.00", "0.00 --- 5.00", "A", "lrs");
        // A range setting on a kind without ranges to choose from changes nothing.
        row("XA1A", 22, 1, 3, "-10.00 --- 10.00", "-10.00 --- 10.00", "V", "lrs");
        row("XB2A", 23, -1, -1, "-10.00 --- 10.00", "-10.00 --- 10.00", "mA", "lrs");
        row("XC0A", 24, -1, -1, "4.00 --- 20.00", "4.00 --- 20.00", "mA", "lrs");
        row("XA1-00", 0, -1, -1, hidden, hidden, "V", "rs");
        row("XC1", 4, -1, -1, hidden, hidden, "mA", "rs");
        row("XK2-B", 9, -1, -1, hidden, hidden, "V", "rs");
        row("XF1-0", 10, -1, -1, hidden, hidden, "", "s");
        row("XF2-0", 11, -1, -1, hidden, hidden, "", "s");
        row("XF1A", 25, -1, -1, hidden, hidden, "", "s");
        row("XG4-0", 12, -1, -1, hidden, hidden, "", "lr");
        row("XM2-0", 17, -1, -1, hidden, hidden, "", "lr");
        row("XZ1", 99, -1, -1, "", "", "", "-");
    }
    void nominal()
    {
        QFETCH(QString, model);
        QFETCH(int, aux1);
        QFETCH(int, aux2);
        QFETCH(QString, shown);
        CardRecord c = card(model);
        QTEST(c.ModelKind, "kind");
        c.AuxSetting = {aux1, aux2};
        const std::optional<ScaleLimits> s = ScaleLimitsFor(c);
        QCOMPARE(!s, shown == QLatin1String("-"));
        if (!s)
            return;
        QTEST(text(s->base[0]), "base1");
        QTEST(text(s->base[1]), "base2");
        QTEST(s->unit, "unit");
        QCOMPARE(s->baseLimitsShown, shown.contains(QLatin1Char('l')));
        QCOMPARE(s->baseRowsShown, shown.contains(QLatin1Char('r')));
        QVERIFY(s->scale ==
                (shown.contains(QLatin1Char('s')) ? std::optional(kScale) : std::nullopt));
        QVERIFY(!s->inputType.has_value());
    }
};

QTEST_GUILESS_MAIN(TestScaleLimits)
#include "test_scalelimits.moc"
