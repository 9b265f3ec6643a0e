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
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("inputClass");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("chCount");
        QTest::addColumn<int>("formType");
        QTest::addColumn<QString>("items");
        auto row = [](const char *model, int kind, int cls, const char *status, const char *ch,
                      int form, const char *items) {
            QTest::addRow("%d %s", kind, model)
                << QString::fromLatin1(model) << kind << cls << QString::fromLatin1(status)
                << QString::fromLatin1(ch) << form << QString::fromLatin1(items);
        };
        row("XA1-00", 0, 6, "1", "1", 1, A1);
        row("XA2-00", 1, 6, "1", "2", 1, A2);
        row("XB1-10", 2, 6, "1", "1", 1, A1);
        row("XB2-10", 3, 6, "1", "2", 1, A2);
        row("XC1", 4, 6, "1", "1", 1, A1);
        row("XC2", 5, 6, "1", "2", 1, A2);
        row("XJ1-B", 6, 6, "2", "1", 1, A1);
        row("XJ2-B", 7, 6, "2", "2", 1, A2);
        row("XK1-B", 8, 6, "2", "1", 1, A1);
        row("XK2-B", 9, 6, "2", "2", 1, A2);
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
        row("XP1-5", 20, 6, "1", "1", 1, N1);
        row("XP2-5", 21, 6, "1", "2", 1, N2);
        row("XA1A", 22, 6, "3", "1", 1, AA); // 4th "A" beats the 3rd character
        row("XB2A", 23, 6, "3", "1", 1, AA);
        row("XC0A", 24, 6, "3", "1", 1, AA);
        row("XF1A", 25, 6, "3", "1", 1, FA);
        row("XDA1", 26, 0, "1", "1", 1, N1);
        row("XDA2", 27, 0, "1", "2", 1, N2);
        row("XEA1-P", 28, 1, "1", "1", 1, N1);
        row("XEA2-P", 29, 1, "1", "2", 1, N2);
        row("XPA1", 30, 6, "1", "1", 1, N1);
        row("XPA2", 31, 6, "1", "2", 1, N2);
        row("XPB1", 32, 6, "1", "1", 1, N1);
        row("XPB2", 33, 6, "1", "2", 1, N2);
        row("XD1-K", 35, 0, "1", "1", 1, A1);
        row("XD2-K", 36, 0, "1", "2", 1, A2);
        row("XE1-P", 37, 1, "1", "1", 1, N1);
        row("XE2-P", 38, 1, "1", "2", 1, N2);
        row("XD1A", 39, 0, "3", "1", 1, A1);
        row("XE2A", 40, 1, "3", "1", 1, A1);
        // Rule order and the codes no rule knows.
        row("XG16", 13, 2, "1", "16", 3, NO); // 4th "6" before 3rd "1"
        row("XH26", 15, 3, "2", "16", 3, NO); // 4th "6" before 3rd "2"
        row("XPA3", 99, 6, "", "0", 0, "");   // three letters need 4th "1"/"2"
        row("XDA", 99, 6, "", "0", 0, "");    // too short for the 4th-character rules
        row("XE1", 37, 1, "1", "1", 1, N1);   // short text, 3rd-character rules
        row("XPA1X", 30, 6, "1", "1", 1, N1);
        row("XQ1-0", 99, 6, "", "0", 0, ""); // 3rd "1" but unknown letters
        row("XZ1A", 99, 6, "", "0", 0, "");  // 4th "A" but unknown letters
        row("XG1-0", 99, 6, "", "0", 0, ""); // discrete letters are no 1-channel kind
        row("xa1-0", 99, 6, "", "0", 0, ""); // codes are upper case
        row("", 99, 6, "", "0", 0, "");
        row("X", 99, 6, "", "0", 0, "");
        row("NONE", 99, 6, "", "0", 0, "");
    }
    void classify()
    {
        QFETCH(QString, model);
        QFETCH(int, kind);
        QFETCH(int, inputClass);
        QFETCH(QString, status);
        QFETCH(QString, chCount);
        QFETCH(int, formType);
        QFETCH(QString, items);

        CardTable table;
        ResetCardTable(table);
        ClassifyCard(table, 7, model);
        const CardRecord &r = table[7];
        QCOMPARE(r.ModelName, model);
        QCOMPARE(r.ModelKind, kind);
        QCOMPARE(r.InputClass, inputClass);
        QCOMPARE(r.CardStatus, status);
        QCOMPARE(r.ChCount, chCount);
        QCOMPARE(r.FormType, formType);
        QCOMPARE(r.AuxSetting, (std::array<int, 2>{-1, -1}));
        QStringList got;
        for (const ParSlot &p : r.Par)
            got << p.ItemNo;
        // Kind 99 leaves the reset's empty item numbers.
        QCOMPARE(got.join(QLatin1Char(' ')).trimmed(), items);
        QCOMPARE(KindOfModel(model), kind);
    }

    void thermocoupleRanges_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<double>>("limits"); // C low/high, F low/high, K low/high
        QTest::newRow("PR") << 0 << "(PR)" << QList<double>{0, 1760, 32, 3200, 273, 2033};
        QTest::newRow("K") << 1 << "K(CA)" << QList<double>{-270, 1370, -454, 2498, 3, 1643};
        QTest::newRow("E") << 2 << "E(CRC)" << QList<double>{-270, 1000, -454, 1832, 3, 1273};
        QTest::newRow("J") << 3 << "J(IC)" << QList<double>{-210, 1200, -346, 2192, 63, 1473};
        QTest::newRow("T") << 4 << "T(CC)" << QList<double>{-270, 400, -454, 752, 3, 673};
        QTest::newRow("B") << 5 << "B(RH)" << QList<double>{100, 1820, 212, 3308, 373, 2093};
        QTest::newRow("R") << 6 << "R" << QList<double>{-50, 1768, -58, 3214, 223, 2041};
        QTest::newRow("S") << 7 << "S" << QList<double>{-50, 1768, -58, 3214, 223, 2041};
        QTest::newRow("WRe") << 8 << "WRe 5-26" << QList<double>{0, 2315, 32, 4199, 273, 2588};
        QTest::newRow("N") << 9 << "N" << QList<double>{-270, 1300, -454, 2372, 3, 1573};
        QTest::newRow("U") << 10 << "U" << QList<double>{-200, 600, -328, 1112, 73, 873};
        QTest::newRow("L") << 11 << "L" << QList<double>{-200, 900, -328, 1652, 73, 1173};
        QTest::newRow("Pl") << 12 << "Platinel" << QList<double>{0, 1395, 32, 2543, 273, 1668};
    }
    void thermocoupleRanges() { checkRow(TCTable()); }

    void rtdRanges_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<double>>("limits");
        QTest::newRow("Cu50") << 0 << "Cu50" << QList<double>{-50, 150, -58, 302, 223, 423};
        QTest::newRow("Pt89") << 1 << "Pt100JIS'89"
                              << QList<double>{-200, 660, -328, 1220, 73, 933};
        QTest::newRow("Pt97") << 2 << "Pt100JIS'97"
                              << QList<double>{-200, 850, -328, 1562, 73, 1123};
        QTest::newRow("Pt50") << 3 << "Pt50JIS'81" << QList<double>{-200, 649, -328, 1200, 73, 922};
        QTest::newRow("Ni100") << 4 << "Ni100" << QList<double>{-80, 250, -112, 482, 193, 523};
        QTest::newRow("Cu10") << 5 << "Cu10at25" << QList<double>{-50, 250, -58, 482, 223, 523};
        QTest::newRow("Pt1000") << 6 << "Pt1000" << QList<double>{-200, 850, -328, 1562, 73, 1123};
        QTest::newRow("Ni508") << 7 << "Ni508.4" << QList<double>{-50, 200, -58, 392, 223, 473};
        QTest::newRow("JPt") << 8 << "JPt100JIS'89" << QList<double>{-200, 510, -328, 950, 73, 783};
    }
    void rtdRanges() { checkRow(RTDTable()); }

private:
    void checkRow(const SensorTable &t)
    {
        QFETCH(int, type);
        QFETCH(QString, name);
        QFETCH(QList<double>, limits);
        const auto i = static_cast<std::size_t>(type);
        for (std::size_t u = 0; u < 3; ++u) {
            QCOMPARE(t[u].Names.at(type), name);
            QCOMPARE(t[u].LowLimit[i], limits[qsizetype(2 * u)]);
            QCOMPARE(t[u].HighLimit[i], limits[qsizetype(2 * u + 1)]);
        }
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "test_model.moc"
