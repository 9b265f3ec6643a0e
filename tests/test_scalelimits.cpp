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
} // namespace

class TestScaleLimits : public QObject
{
    Q_OBJECT

private slots:
    void unknownCardHasNoLimits()
    {
        QVERIFY(!ScaleLimitsFor(card(QStringLiteral("XZ1"))).has_value());
    }

    void scale_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("scaled");
        auto row = [](const char *model, int kind, bool scaled) {
            QTest::addRow("%d", kind) << QString::fromLatin1(model) << kind << scaled;
        };
        row("XA1-00", 0, true);
        row("XF2-0", 11, true);
        row("XG4-0", 12, false);
        row("XM2-0", 17, false);
        row("XN1-5", 18, true);
        row("XP1-5", 20, true);
        row("XP2-5", 21, true);
        row("XPB2", 33, true);
        row("XD1-K", 35, true);
        row("XE2A", 40, true);
    }
    void scale()
    {
        QFETCH(QString, model);
        QFETCH(bool, scaled);
        const CardRecord c = card(model);
        QTEST(c.ModelKind, "kind");
        const auto s = ScaleLimitsFor(c).value().scale;
        QCOMPARE(s.has_value(), scaled);
        if (scaled)
            QCOMPARE(*s, (std::array<LimitPair, 4>{{{"-32000", "32000"},
                                                    {"-32000", "32000"},
                                                    {"-320.00", "320.00"},
                                                    {"-3.2000", "3.2000"}}}));
    }

    void sensor_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("tempUnit");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("unit");
        auto row = [](const char *tag, const char *model, int kind, int tu, int it,
                      const char *name, const char *base, const char *unit) {
            QTest::newRow(tag) << QString::fromLatin1(model) << kind << tu << it
                               << QString::fromLatin1(name) << QString::fromLatin1(base)
                               << QString::fromLatin1(unit);
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
        c.TempUnit = tempUnit;
        c.InputType = inputType;
        const ScaleLimits s = ScaleLimitsFor(c).value();
        QTEST(s.inputType.value(), "name");
        QTEST(text(s.base[0]), "base");
        QTEST(text(s.base[1]), "base");
        QTEST(s.unit, "unit");
        QVERIFY(s.baseLimitsShown);
        QVERIFY(s.baseRowsShown);
    }

    void nominal_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("aux1");
        QTest::addColumn<int>("aux2");
        QTest::addColumn<QString>("base1");
        QTest::addColumn<QString>("base2");
        QTest::addColumn<bool>("limitsShown");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("rowsShown");
        auto row = [](const char *tag, const char *model, int kind, int aux1, int aux2,
                      const char *base1, const char *base2, bool limits, const char *unit,
                      bool rows) {
            QTest::newRow(tag) << QString::fromLatin1(model) << kind << aux1 << aux2
                               << QString::fromLatin1(base1) << QString::fromLatin1(base2) << limits
                               << QString::fromLatin1(unit) << rows;
        };
        const char *hidden = " --- ";
        row("18 1/-1", "XN1-5", 18, 1, -1, "0.00 --- 150.00", "0.00 --- 300.00", true, "V", true);
        row("19 2/1", "XN2-5", 19, 2, 1, "0.00 --- 300.00", "0.00 --- 150.00", true, "V", true);
        row("30 3/2", "XPA1", 30, 3, 2, "0.00 --- 80.00", "0.00 --- 120.00", true, "A", true);
        row("31 1/-1", "XPA2", 31, 1, -1, "0.00 --- 300.00", "0.00 --- 500.00", true, "A", true);
        row("32 3/-1", "XPB1", 32, 3, -1, "0.00 --- 100.00", "0.00 --- 600.00", true, "A", true);
        row("33 4/2", "XPB2", 33, 4, 2, "0.00 --- 50.00", "0.00 --- 200.00", true, "A", true);
        row("33 1/0", "XPB2", 33, 1, 0, "0.00 --- 400.00", "0.00 --- 600.00", true, "A", true);
        row("20", "XP1-5", 20, -1, -1, "0.00 --- 5.00", "0.00 --- 5.00", true, "A", true);
        row("21", "XP2-5", 21, -1, -1, "0.00 --- 5.00", "0.00 --- 5.00", true, "A", true);
        // A range setting on a kind without ranges to choose from changes nothing.
        row("22", "XA1A", 22, 1, 3, "-10.00 --- 10.00", "-10.00 --- 10.00", true, "V", true);
        row("23", "XB2A", 23, -1, -1, "-10.00 --- 10.00", "-10.00 --- 10.00", true, "mA", true);
        row("24", "XC0A", 24, -1, -1, "4.00 --- 20.00", "4.00 --- 20.00", true, "mA", true);
        row("0", "XA1-00", 0, -1, -1, hidden, hidden, false, "V", true);
        row("4", "XC1", 4, -1, -1, hidden, hidden, false, "mA", true);
        row("9", "XK2-B", 9, -1, -1, hidden, hidden, false, "V", true);
        row("10", "XF1-0", 10, -1, -1, hidden, hidden, false, "", false);
        row("11", "XF2-0", 11, -1, -1, hidden, hidden, false, "", false);
        row("25", "XF1A", 25, -1, -1, hidden, hidden, false, "", false);
        row("12", "XG4-0", 12, -1, -1, hidden, hidden, true, "", true);
    }
    void nominal()
    {
        QFETCH(QString, model);
        QFETCH(int, aux1);
        QFETCH(int, aux2);
        CardRecord c = card(model);
        QTEST(c.ModelKind, "kind");
        c.AuxSetting = {aux1, aux2};
        const ScaleLimits s = ScaleLimitsFor(c).value();
        QTEST(text(s.base[0]), "base1");
        QTEST(text(s.base[1]), "base2");
        QTEST(s.baseLimitsShown, "limitsShown");
        QTEST(s.unit, "unit");
        QTEST(s.baseRowsShown, "rowsShown");
        QVERIFY(!s.inputType.has_value());
    }
};

QTEST_GUILESS_MAIN(TestScaleLimits)
#include "test_scalelimits.moc"
