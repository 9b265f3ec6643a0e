// Decoding of the card's replies and checks of typed numbers.
#include "model/encodings.h"

#include <QTest>

class TestEncodings : public QObject
{
    Q_OBJECT

    // One row per list: its tag, then one text per column.
    static void rows(std::initializer_list<std::initializer_list<const char *>> table)
    {
        for (const auto &r : table) {
            auto cell = r.begin();
            QTestData &row = QTest::newRow(*cell);
            while (++cell != r.end())
                row << QString::fromLatin1(*cell);
        }
    }

private slots:
    void colonTexts_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("before");
        rows({{"empty", "", "", ""},
              {"no colon", "ABC", "ABC", "ABC"},
              {"prefix", "02:ABC", "ABC", "02"},
              {"two colons", "a:b:c", "b:c", "a"},
              {"colon last", "abc:", "", "abc"}});
    }
    void colonTexts()
    {
        QFETCH(QString, in);
        QTEST(TextAfterColon(in), "after");
        QTEST(TextBeforeColon(in), "before");
    }

    void removeFirstPoint_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        rows({{"two points", "1.2.3", "12.3"},
              {"leading", ".5", "5"},
              {"none", "15", "15"},
              {"negative", "-12.34", "-1234"},
              {"empty", "", ""}});
    }
    void removeFirstPoint()
    {
        QFETCH(QString, in);
        QTEST(RemoveFirstPoint(in), "out");
    }

    void hexToBits_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("bits");
        rows({{"all", "FFFF", "1111111111111111"},
              {"lower case unknown", "ffff", "0000000000000000"},
              {"A5F0", "A5F0", "1010010111110000"},
              {"bad digit", "12G4", "0001001000000100"},
              {"extra ignored", "0005FF", "0000000000000101"},
              {"CNG", "CNG", "1100000000000000"}});
    }
    void hexToBits()
    {
        QFETCH(QString, in);
        QTEST(HexToBits(in), "bits");
    }

    void splitDotted_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QStringList>("parts"); // first, second, third, rest
        QTest::newRow("address") << "192.168.0.1" << QStringList{"192", "168", "0", "1"};
        QTest::newRow("five parts") << "1.2.3.4.5" << QStringList{"1", "2", "3", "4.5"};
        QTest::newRow("empty parts") << "..." << QStringList{"", "", "", ""};
        QTest::newRow("none") << "abc" << QStringList{"abc", "", "", ""};
    }
    void splitDotted()
    {
        QFETCH(QString, in);
        const DottedParts p = SplitDotted(in);
        QTEST((QStringList{p.first, p.second, p.third, p.rest}), "parts");
    }

    void checkNumber_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "12" << true << 12;
        QTest::newRow("empty") << "" << true << 0;
        QTest::newRow("minus") << "-1" << false << 0;
        QTest::newRow("plus") << "+5" << false << 0;
        QTest::newRow("point") << "1.5" << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("round up") << "1234.6" << true << 1235;
        QTest::newRow("half to even down") << "1234.5" << true << 1234;
        QTest::newRow("half to even up") << "1235.5" << true << 1236;
        QTest::newRow("too big") << "32768" << false << 0;
        QTest::newRow("blank inside") << "1 2" << false << 0;
        QTest::newRow("late sign") << "123-" << false << 0;
    }
    void checkNumber()
    {
        QFETCH(QString, in);
        QFETCH(bool, accepted);
        QFETCH(int, value);
        const auto r = CheckNumberText(in);
        QCOMPARE(r.has_value(), accepted);
        if (accepted)
            QCOMPARE(int(*r), value);
    }
};

QTEST_GUILESS_MAIN(TestEncodings)
#include "test_encodings.moc"
