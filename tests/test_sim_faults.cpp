// The simulated rack behind the program's own link: an in-memory port wired
// to the rack, the program's SerialLine and ReadItem/WriteItem on top, each
// fault seen the way the program sees it. Time-outs are shortened.
#include "link/memoryport.h"
#include "link/serialline.h"
#include "link/trafficlog.h"
#include "link/transactions.h"
#include "model/encodings.h"
#include "sim/demorack.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"

#include <QTest>

Q_DECLARE_METATYPE(SimFaults)

class TestSimFaults : public QObject
{
    Q_OBJECT

    static constexpr int kTimeout = 300;

    std::unique_ptr<SimulatedRack> rack;
    std::unique_ptr<TrafficLog> rackLog;
    SerialLine *line = nullptr;
    MemoryPort *port = nullptr;

    QString read(const char *card, const char *item)
    {
        return ReadItem(*line, kRetries, QString::fromLatin1(card), QString::fromLatin1(item));
    }
    QString write(const char *card, const char *item, const char *data)
    {
        return WriteItem(*line, kRetries, QString::fromLatin1(card), QString::fromLatin1(item),
                         QString::fromLatin1(data));
    }
    // Command lines as the rack received them, CR removed, '|' between.
    QByteArray received() const
    {
        QByteArrayList out;
        for (const TrafficEntry &e : rackLog->entries())
            out << e.command.chopped(1);
        return out.join('|');
    }
    void newLine()
    {
        line = new SerialLine(this);
        auto p = std::make_unique<MemoryPort>();
        port = p.get();
        AttachRack(*rack, port);
        line->attachPort(std::move(p));
        QVERIFY(port->open(QStringLiteral("1200,n,8,1")).isEmpty());
        line->setTiming({kTimeout, 2, kTimeout / 6});
    }

private slots:
    void init()
    {
        rack = DemoRack();
        rack->setClock([] { return qint64(0); });
        rackLog = std::make_unique<TrafficLog>();
        rack->setTrafficLog(rackLog.get());
        newLine();
    }
    void cleanup()
    {
        delete line;
        line = nullptr;
        rack.reset();
    }

    void readsAndWritesOverTheLink()
    {
        const QString model = read("00", "04");
        QCOMPARE(TextBeforeColon(model), QStringLiteral("V9-XS1-A"));
        QCOMPARE(write("5", "14", "5000"), QStringLiteral(":5000"));
        QCOMPARE(read("5", "14"), QStringLiteral("FS:5000"));
        QCOMPARE(write("2", "9", "1"), QStringLiteral("BO:0"));
        rackLog->clear();
        // A refused value is written four times and changes nothing.
        QCOMPARE(write("5", "11", "999"), QString());
        QCOMPARE(received(), QByteArray("G5|I11|D999|G5|I11|D999|G5|I11|D999|G5|I11|D999"));
        QCOMPARE(rack->itemValue(5, 11), QStringLiteral("0.00"));
    }

    void repliesThatStillCount_data()
    {
        QTest::addColumn<SimFaults>("faults");
        QTest::newRow("CR LF") << SimFaults{.crlf = true};
        QTest::newRow("one byte at a time") << SimFaults{.chunkSize = 1, .chunkPauseMs = 3};
        QTest::newRow("pieces of three, CR LF")
            << SimFaults{.chunkSize = 3, .chunkPauseMs = 20, .crlf = true};
        QTest::newRow("slow card") << SimFaults{.replyDelayMs = 40};
        QTest::newRow("1200 baud") << SimFaults{.pacing = true};
    }
    void repliesThatStillCount()
    {
        QFETCH(SimFaults, faults);
        rack->setFaults(faults);
        QCOMPARE(read("00", "04"), QStringLiteral("V9-XS1-A:COMM"));
        QCOMPARE(read("13", "26"), QStringLiteral("DX:A5F0"));
        QCOMPARE(read("2", "8"), QStringLiteral("TY:J(IC)"));
        QCOMPARE(rack->commandCount(), 6); // no attempt repeated
    }

    void lateReplyDoesNotShiftTheNext()
    {
        // The late "COK" lands after the time-out, before the next command.
        line->setTiming({kTimeout, 10, kTimeout / 6});
        rack->setCardFaults(5, {.lateMs = kTimeout + 40});
        QCOMPARE(read("5", "2"), QString());
        QCOMPARE(read("1", "2"), QStringLiteral("MD:XD1-K"));
        QCOMPARE(read("1", "40"), QStringLiteral("VR:1.20"));
    }

    void garbageGivesNoWrongValue()
    {
        rack->setFaults({.garbage = true});
        for (const char *item : {"2", "14", "40"})
            QCOMPARE(read("5", item), QString());
        QCOMPARE(write("5", "14", "4000"), QString());
        QCOMPARE(rack->itemValue(5, 14), QStringLiteral("10000"));
        QVERIFY(rack->charsSent() > 0);

        rack->clearFaults();
        rack->setCardFaults(5, {.garbage = true});
        QCOMPARE(read("5", "40"), QString());
        QCOMPARE(read("6", "40"), QStringLiteral("VR:1.02"));
        rack->clearFaults();
        QCOMPARE(read("5", "40"), QStringLiteral("VR:1.02"));
    }

    void pacingTakesTheLineTime()
    {
        TrafficLog programLog;
        line->setTrafficLog(&programLog);
        rack->setFaults({.replyDelayMs = 5, .pacing = true});
        QCOMPARE(read("00", "40"), QStringLiteral("VR:1.05"));
        // "G00\r" + "COK\r", then "I40\r" + "0VR:1.05\r", at 8.33 ms a character.
        QCOMPARE(rack->charsReceived(), 8);
        QCOMPARE(rack->charsSent(), 13);
        QCOMPARE(rack->addedDelayMs(), 10);
        QCOMPARE(programLog.entries().size(), std::size_t(2));
        QVERIFY(programLog.entries()[0].elapsedMs >= 8 * 25 / 3 + 5);
        QVERIFY(programLog.entries()[1].elapsedMs >= 13 * 25 / 3 + 5);
    }

    // A reply still queued when the port closes never arrives, nor one queued
    // when the port is destroyed; a rack attached twice still answers once.
    void queuedRepliesDieWithThePort()
    {
        rack->setFaults({.lateMs = 100});
        line->setTiming({40, 2, 7});
        QCOMPARE(line->SendCommand(QStringLiteral("G00\r")), QString());
        port->close();
        QVERIFY(port->open(QStringLiteral("1200,n,8,1")).isEmpty());
        QTest::qWait(160);
        QCOMPARE(port->pendingInput(), QByteArray());

        QCOMPARE(line->SendCommand(QStringLiteral("G00\r")), QString());
        delete line;
        QTest::qWait(160);
        rack->clearFaults();
        newLine();
        AttachRack(*rack, port);
        const int before = rack->commandCount();
        QCOMPARE(read("00", "40"), QStringLiteral("VR:1.05"));
        QCOMPARE(rack->commandCount(), before + 2);
    }
};

QTEST_GUILESS_MAIN(TestSimFaults)
#include "test_sim_faults.moc"
