// Decoding of the card's replies and checks of typed numbers.
#include "model/encodings.h"

#include <QTest>

class TestEncodings : public QObject
{
    Q_OBJECT

private slots:
    void colonTexts_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("before");
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("no colon") << "ABC"
                                  << "ABC"
                                  << "ABC";
        QTest::newRow("prefix") << "02:ABC"
                                << "ABC"
                                << "02";
        QTest::newRow("two colons") << "a:b:c"
                                    << "b:c"
                                    << "a";
        QTest::newRow("colon last") << "abc:"
                                    << ""
                                    << "abc";
    }
    void colonTexts()
    {
        QFETCH(QString, in);
        QFETCH(QString, after);
        QFETCH(QString, before);
        QCOMPARE(TextAfterColon(in), after);
        QCOMPARE(TextBeforeColon(in), before);
    }

    void removeFirstPoint_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("two points") << "1.2.3"
                                    << "12.3";
        QTest::newRow("leading") << ".5"
                                 << "5";
        QTest::newRow("none") << "15"
                              << "15";
        QTest::newRow("negative") << "-12.34"
                                  << "-1234";
        QTest::newRow("empty") << ""
                               << "";
    }
    void removeFirstPoint()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(RemoveFirstPoint(in), out);
    }

    void hexToBits_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("bits");
        QTest::newRow("all") << "FFFF"
                             << "1111111111111111";
        QTest::newRow("lower case unknown") << "ffff"
                                            << "0000000000000000";
        QTest::newRow("A5F0") << "A5F0"
                              << "1010010111110000";
        QTest::newRow("bad digit") << "12G4"
                                   << "0001001000000100";
        QTest::newRow("extra ignored") << "0005FF"
                                       << "0000000000000101";
        QTest::newRow("CNG") << "CNG"
                             << "1100000000000000";
    }
    void hexToBits()
    {
        QFETCH(QString, in);
        QFETCH(QString, bits);
        QCOMPARE(HexToBits(in), bits);
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
        QFETCH(QStringList, parts);
        const DottedParts p = SplitDotted(in);
        QCOMPARE((QStringList{p.first, p.second, p.third, p.rest}), parts);
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
