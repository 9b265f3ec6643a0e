// Card classification and the sensor ranges of the catalogue, checked
// against tables written out by hand.
#include "model/cardrecord.h"
#include "model/catalogue.h"

#include <QTest>

namespace {
// Item numbers of slots 1..12, typed out per item map.
const char *const A1 = "13 14 11 12 19 20 -1 -1 -1 -1 -1 -1";
const char *const A2 = "16 17 12 13 28 29 18 19 14 15 30 31";
const char *const F1 = "13 14 11 12 -1 -1 -1 -1 -1 -1 -1 -1";
const char *const F2 = "16 17 12 13 -1 -1 18 19 14 15 -1 -1";
const char *const N1 = "13 14 11 12 21 22 -1 -1 -1 -1 -1 -1";
const char *const N2 = "16 17 12 13 32 33 18 19 14 15 34 35";
const char *const AA = "16 17 12 13 28 29 -1 -1 -1 -1 -1 -1";
const char *const FA = "16 17 12 13 -1 -1 -1 -1 -1 -1 -1 -1";
const char *const PU = "10 14 -1 -1 -1 -1 11 15 -1 -1 -1 -1";
const char *const NO = "-1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1 -1";
} // namespace

class TestModel : public QObject
{
    Q_OBJECT

private slots:
    void classify_data()
    {
        for (const char *c : {"model", "status", "chCount", "items"})
            QTest::addColumn<QString>(c);
        for (const char *c : {"kind", "inputClass", "formType"})
            QTest::addColumn<int>(c);
        auto row = [](const char *model, int kind, int cls, const char *status, const char *ch,
                      int form, const char *items) {
            QTest::addRow("%d %s", kind, model)
                << QString::fromLatin1(model) << QString::fromLatin1(status)
                << QString::fromLatin1(ch) << QString::fromLatin1(items) << kind << cls << form;
        };
        // Kinds whose row equals one here and whose model the limit tests name are left out.
        row("XA1-00", 0, 6, "1", "1", 1, A1);
        row("XA2-00", 1, 6, "1", "2", 1, A2);
        row("XB1-10", 2, 6, "1", "1", 1, A1);
        row("XB2-10", 3, 6, "1", "2", 1, A2);
        row("XC2", 5, 6, "1", "2", 1, A2);
        row("XJ1-B", 6, 6, "2", "1", 1, A1);
        row("XJ2-B", 7, 6, "2", "2", 1, A2);
        row("XK1-B", 8, 6, "2", "1", 1, A1);
        row("XF1-0", 10, 6, "1", "1", 1, F1);
        row("XF2-0", 11, 6, "1", "2", 1, F2);
        row("XG4-0", 12, 2, "1", "4", 3, NO);
        row("XG16-0", 13, 2, "1", "16", 3, NO);
        row("XH4-0", 14, 3, "2", "4", 3, NO);
        row("XH16-0", 15, 3, "2", "16", 3, NO);
        row("XL2-0", 16, 4, "1", "2", 2, PU);
        row("XM2-0", 17, 5, "2", "2", 2, PU);
        row("XN1-5", 18, 6, "1", "1", 1, N1);
        row("XN2-5", 19, 6, "1", "2", 1, N2);
        row("XA1A", 22, 6, "3", "1", 1, AA); // 4th "A" beats the 3rd character
        row("XF1A", 25, 6, "3", "1", 1, FA);
        row("XDA1", 26, 0, "1", "1", 1, N1);
        row("XDA2", 27, 0, "1", "2", 1, N2);
        row("XEA1-P", 28, 1, "1", "1", 1, N1);
        row("XEA2-P", 29, 1, "1", "2", 1, N2);
        row("XD1-K", 35, 0, "1", "1", 1, A1);
        row("XD2-K", 36, 0, "1", "2", 1, A2);
        row("XE1-P", 37, 1, "1", "1", 1, N1);
        row("XE2-P", 38, 1, "1", "2", 1, N2);
        row("XD1A", 39, 0, "3", "1", 1, A1);
        row("XE2A", 40, 1, "3", "1", 1, A1);
        // Rule order and the codes no rule knows.
        row("XG16", 13, 2, "1", "16", 3, NO); // 4th "6" before 3rd "1"
        row("XH26", 15, 3, "2", "16", 3, NO); // 4th "6" before 3rd "2"
        row("XPA3", 99, 6, "4", "0", 0, "");  // three letters need 4th "1"/"2"
        row("XDA", 99, 6, "4", "0", 0, "");   // too short for the 4th-character rules
        row("XE1", 37, 1, "1", "1", 1, N1);   // short text, 3rd-character rules
        row("XPA1X", 30, 6, "1", "1", 1, N1);
        row("XQ1-0", 99, 6, "4", "0", 0, ""); // 3rd "1" but unknown letters
        row("XZ1A", 99, 6, "4", "0", 0, "");  // 4th "A" but unknown letters
        row("XG1-0", 99, 6, "4", "0", 0, ""); // discrete letters are no 1-channel kind
        row("xa1-0", 99, 6, "4", "0", 0, ""); // codes are upper case
        row("", 99, 6, "4", "0", 0, "");
        row("X", 99, 6, "4", "0", 0, "");
        row("NONE", 99, 6, "4", "0", 0, "");
    }
    void classify()
    {
        QFETCH(QString, model);
        CardTable table;
        ResetCardTable(table);
        ClassifyCard(table, 7, model);
        const CardRecord &r = table[7];
        QTEST(r.ModelKind, "kind");
        QTEST(KindOfModel(model), "kind");
        QTEST(static_cast<int>(r.Class), "inputClass");
        QTEST(QString::number(static_cast<int>(r.Status)), "status"); // 4: none
        QTEST(QString::number(r.ChCount), "chCount");
        QTEST(static_cast<int>(r.Form), "formType");
        QStringList got;
        for (const ParSlot &p : r.Par)
            got << p.ItemNo;
        // Kind 99 leaves the reset's empty item numbers.
        QTEST(got.join(QLatin1Char(' ')).trimmed(), "items");
    }

    // Limits in deg F and kelvin worked out by hand from the deg C ones (K(CA)
    // is checked through the editor's limits).
    void sensorLimits_data()
    {
        QTest::addColumn<bool>("rtd");
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<double>>("limits"); // C low/high, F low/high, K low/high
        QTest::newRow("B") << false << 5 << QList<double>{100, 1820, 212, 3308, 373, 2093};
        QTest::newRow("Pl") << false << 12 << QList<double>{0, 1395, 32, 2543, 273, 1668};
        QTest::newRow("Pt50, F rounded")
            << true << 3 << QList<double>{-200, 649, -328, 1200, 73, 922};
        QTest::newRow("JPt") << true << 8 << QList<double>{-200, 510, -328, 950, 73, 783};
    }
    void sensorLimits()
    {
        QFETCH(bool, rtd);
        QFETCH(int, type);
        QFETCH(QList<double>, limits);
        const SensorTable &t = rtd ? RTDTable() : TCTable();
        const auto i = static_cast<std::size_t>(type);
        for (std::size_t u = 0; u < 3; ++u) {
            QCOMPARE(t[u].LowLimit[i], limits[qsizetype(2 * u)]);
            QCOMPARE(t[u].HighLimit[i], limits[qsizetype(2 * u + 1)]);
        }
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "test_model.moc"
