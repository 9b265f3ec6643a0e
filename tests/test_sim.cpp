// The simulated rack: what each command line gets back, the demo rack's
// contents, the rack description files, and its faults as the program's
// own link (SerialLine, ReadItem/WriteItem on an in-memory port) sees them.
#include "link/memoryport.h"
#include "link/serialline.h"
#include "link/trafficlog.h"
#include "link/transactions.h"
#include "model/cardrecord.h"
#include "model/catalogue.h"
#include "model/encodings.h"
#include "sim/demorack.h"
#include "sim/rackloader.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

Q_DECLARE_METATYPE(SimFaults)

class TestSim : public QObject
{
    Q_OBJECT

    static constexpr int kTimeout = 300; // ms, for the link

    std::unique_ptr<SimulatedRack> rack;
    qint64 clockMs = 0;
    TrafficLog rackLog;
    SerialLine *line = nullptr;
    MemoryPort *port = nullptr;

    QByteArray ask(const QByteArray &command) { return rack->handle(command + '\r'); }

    // Value text of an item as the program stores it.
    QString read(int slot, int item)
    {
        if (ask("G" + QByteArray::number(slot)) != "COK\r")
            return QStringLiteral("<no select>");
        const QByteArray reply = ask("I" + QByteArray::number(item)).chopped(1);
        return TextAfterColon(QString::fromLatin1(reply.mid(1)));
    }

    // Through the link.
    // The value read or written, "" for any failure.
    QString linkRead(const char *card, const char *item)
    {
        return ReadItem(*line, kRetries, QString::fromLatin1(card), QString::fromLatin1(item))
            .valueOr(QString());
    }
    QString linkWrite(const char *card, const char *item, const char *data)
    {
        return WriteItem(*line, kRetries, QString::fromLatin1(card), QString::fromLatin1(item),
                         QString::fromLatin1(data))
            .valueOr(QString());
    }
    void newLine()
    {
        line = new SerialLine(this);
        auto p = std::make_unique<MemoryPort>();
        port = p.get();
        AttachRack(*rack, port);
        line->attachPort(std::move(p));
        QVERIFY(port->open(LineSettings{}).isEmpty());
        line->setTiming({kTimeout, 2, kTimeout / 6});
    }

private slots:
    void init()
    {
        rack = DemoRack();
        QVERIFY(rack);
        clockMs = 0;
        rack->setClock([this] { return clockMs; });
        rackLog.clear();
        rack->setTrafficLog(&rackLog);
        newLine();
    }
    void cleanup()
    {
        delete line;
        line = nullptr;
        rack.reset();
    }

    // Every card of the demo rack answers on each parameter item of its kind
    // with a value and refuses "-1"; slot 12 is empty.
    void demoCardsAnswerTheirItems()
    {
        QCOMPARE(ask("G12"), QByteArray("CNG\r"));
        for (int slot = 1; slot <= 16; ++slot) {
            if (slot == 12)
                continue;
            const int kind = KindOfModel(read(slot, 2));
            for (int k = 1; k <= 12; ++k) {
                const QByteArray item = QByteArray::number(KindOf(kind).itemNo(k));
                const QByteArray reply = ask("I" + item);
                QVERIFY2(item == "-1" ? reply == "CNU\r"
                                      : reply.startsWith('0') && reply.contains(':'),
                         QByteArray::number(slot) + ": " + item + " -> " + reply);
            }
        }
    }

    void firmwareAndInstalledMask()
    {
        QVERIFY(read(2, 40).startsWith(QLatin1Char('0'))); // thermocouple without limit function
        QVERIFY(!read(1, 40).startsWith(QLatin1Char('0')));
        QCOMPARE(read(0, 6), QStringLiteral("F7FF")); // all but slot 12
        rack->removeCard(1);
        rack->insertCard(12, QStringLiteral("XA1-00"), QStringLiteral("1.00"));
        QCOMPARE(read(0, 6), QStringLiteral("FFFE"));
    }

    // Command lines sent in order, '|' between them, and the replies.
    void dialogue_data()
    {
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<QByteArray>("replies");
        auto row = [](const char *name, const char *cmds, const char *replies) {
            QTest::newRow(name) << QByteArray(cmds) << QByteArray(replies);
        };
        row("comm model, 4 and 04 alike", "G00|I4|I04", "COK|0V9-XS1-A:COMM|0V9-XS1-A:COMM");
        row("comm version", "G00|I40", "COK|0VR:1.05");
        row("select empty slot refuses what follows", "G12|I2|D1", "CNG|CNG|CNG");
        row("select of no slot", "G17|I2", "CNG|CNG");
        row("refusal ends an earlier selection", "G5|G12|I2", "COK|CNG|CNG");
        row("malformed commands", "G|Gx|x1|I4", "CNG|CNG|CNG|CNG");
        row("unused items", "G5|I99|I-1|I|Iabc", "COK|CNU|CNU|CNU|CNU");
        row("data needs a selected item", "G5|D1|I99|D1", "COK|CNG|CNU|CNG");
        row("card opening write", "G5|I1|D1", "COK|0SL:0|0:1");
        row("write then read back", "G5|I14|D5000|I14", "COK|0FS:10000|0:5000|0FS:5000");
        row("bias out of range refused", "G5|I11|D400|I11", "COK|0BI:0.00|CNG|0BI:0.00");
        row("gain refuses text", "G5|I12|Dabc|D|D-3.1", "COK|0GA:1.000|CNG|CNG|0:-3.1");
        row("model and version read-only", "G5|I2|DXA2|I40|D9", "COK|0MD:XA1-00|CNG|0VR:1.02|CNG");
        row("burnout per channel", "G2|I9|D0|D1|D2", "COK|0BO:1|0BO:1|0BO:0|CNG");
        row("one-channel burnout", "G1|I09|D0|D1", "COK|0BO:1|0BO:1|CNG");
        row("limit on and off", "G1|I37|D0|I37|D1|I37|D2",
            "COK|0LM:ENA|0:0|0LM:DIS|0:1|0LM:ENA|CNG");
        row("no limit before firmware 1", "G2|I37", "COK|CNU");
        row("unit letters", "G4|I6|DK|I6|Dk", "COK|0UN:F|0:K|0UN:K|CNG");
        row("thermocouple names", "G1|I8|DWRe 5-26|I8|DCu50",
            "COK|0TY:K(CA)|0:WRe 5-26|0TY:WRe 5-26|CNG");
        row("narrow RTD takes platinum only", "G3|I8|DCu50|DJPt100JIS'89",
            "COK|0TY:Pt100JIS'97|CNG|0:JPt100JIS'89");
        row("range of one-channel transformer", "G7|I24|I37", "COK|0RG:1|CNU");
        row("ranges of two-channel transformer", "G8|I37|I38|D7|I38", "COK|0RG:1|0RG:2|0:7|0RG:7");
        row("pulse span limits", "G10|I14|D50|D60001|D1500|I14",
            "COK|0SP:1000|CNG|CNG|0:1500|0SP:1500");
        row("pulse count read-only", "G10|I10|D5", "COK|0CT:500.0|CNG");
        row("unknown model code", "G15|I2|I40|I10|I1", "COK|0MD:ZZ9-00|0VR:1.00|CNU|0SL:0");
        row("discrete input refuses writes", "G11|I10|D1|I26|D000F", "COK|0DI:1|CNG|0DX:0005|CNG");
        row("discrete output", "G14|I10|D0|I26|D8001|I25|I11",
            "COK|0DO:1|0:0|0DX:00FE|0:8001|0DO:1|0DO:0");
        row("16-channel item range", "G13|I25|I27|G11|I13|I14", "COK|0DI:1|CNU|COK|0DI:0|CNU");
        row("upload set-up writes", "G00|I1|DF|I41|D847|I1|D0",
            "COK|0SL:0|0:F|0KY:0|0:847|0SL:F|0:0");
        row("installed mask read-only", "G00|I6|D0000", "COK|0IC:F7FF|CNG");
        row("time-out range", "G00|I09|D32767|D32768|D-1|I9",
            "COK|0TO:300|0:32767|CNG|CNG|0TO:32767");
        row("MAC second part needs F", "G00|I57|I1|D1|I58|I1|DF|I58",
            "COK|0MA:00-1B-2C|0SL:0|0:1|CNG|0SL:1|0:F|0MA:3D-4E-5F");
        row("IP address", "G00|I59|D10.0.0.300|D10.0.0|D10.1.2.3|I59",
            "COK|0IP:192.168.0.10|CNG|CNG|0:10.1.2.3|0IP:10.1.2.3");
        row("subnet and port", "G00|I60|I64|D70000|D502|I64",
            "COK|0SM:255.255.255.0|0PT:5004|CNG|0:502|0PT:502");
        row("linger has two colons", "G00|I71|D|D25|I71", "COK|0LG:1:10|CNG|0:25|0LG:1:25");
    }
    void dialogue()
    {
        QFETCH(QByteArray, commands);
        QFETCH(QByteArray, replies);
        QByteArrayList got;
        for (const QByteArray &c : commands.split('|'))
            got << ask(c).chopped(1);
        QCOMPARE(got.join('|'), replies);
    }

    void lineEndsAndCounting()
    {
        QCOMPARE(rack->handle("G00"), QByteArray("COK\r"));
        QCOMPARE(rack->handle("I04\r\n"), QByteArray("0V9-XS1-A:COMM\r"));
        QCOMPARE(rack->commandCount(), 2);
    }

    void liveValuesMove_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("item");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::newRow("voltage") << 5 << 10 << 0.0 << 10000.0;
        QTest::newRow("current ch 1") << 6 << 10 << 400.0 << 2000.0;
        QTest::newRow("current ch 2") << 6 << 11 << 0.0 << 1000.0;
        QTest::newRow("thermocouple deg C") << 1 << 10 << -270.0 << 1370.0;
        QTest::newRow("RTD deg F") << 4 << 11 << 68.0 << 1220.0;
        QTest::newRow("kind 39 on item 22") << 16 << 22 << -270.0 << 400.0;
        QTest::newRow("pulse count") << 10 << 11 << 0.0 << 2500.0;
    }
    void liveValuesMove()
    {
        QFETCH(int, slot);
        QFETCH(int, item);
        QFETCH(double, low);
        QFETCH(double, high);
        QSet<QString> seen;
        for (clockMs = 0; clockMs < 120000; clockMs += 7000) {
            const QString v = read(slot, item);
            QVERIFY2(v.contains(QLatin1Char('.')), qPrintable(v));
            bool ok = false;
            const double x = v.toDouble(&ok);
            QVERIFY2(ok && x >= low && x <= high, qPrintable(v));
            seen << v;
        }
        QVERIFY(seen.size() > 10);
    }

    void packedStatesAgreeWithChannels_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("toggles");
        QTest::newRow("4 inputs") << 11 << 4 << true;
        QTest::newRow("16 inputs") << 13 << 16 << true;
        QTest::newRow("16 outputs") << 14 << 16 << false;
    }
    void packedStatesAgreeWithChannels()
    {
        QFETCH(int, slot);
        QFETCH(int, channels);
        QFETCH(bool, toggles);
        QSet<QString> patterns;
        for (clockMs = 0; clockMs < 30000; clockMs += 1100) {
            const QString packed = read(slot, 26);
            QCOMPARE(packed.size(), 4);
            QCOMPARE(packed, packed.toUpper());
            const QString bits = HexToBits(packed); // most significant first
            for (int ch = 1; ch <= channels; ++ch)
                QCOMPARE(read(slot, 9 + ch), bits.mid(16 - ch, 1));
            QCOMPARE(bits.left(16 - channels), QString(16 - channels, QLatin1Char('0')));
            patterns << packed;
        }
        QCOMPARE(patterns.size() > 1, toggles);
    }

    void descriptionFiles_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error"); // empty: loads
        auto row = [](const char *name, const char *json, const char *error) {
            QTest::newRow(name) << QByteArray(json) << QString::fromUtf8(error);
        };
        row("empty rack", "{}", "");
        row("not JSON", "{\n \"slots\": {,\n}", "line 2");
        row("not an object", "[1]", "JSON object");
        row("typo", R"({"slot": {}})", "unknown key \"slot\"");
        row("slot 17", R"({"slots": {"17": {"model": "XA1"}}})", "\"17\"");
        row("slot not object", R"({"slots": {"3": "XA1"}})", "slot 3");
        row("no model", R"({"slots": {"2": {"version": "1"}}})", "model");
        row("item card lacks", R"({"slots": {"2": {"model": "XA1-00", "items": {"24": "1"}}}})",
            "no item 24");
        row("refused value", R"({"slots": {"2": {"model": "XA1-00", "items": {"11": "999"}}}})",
            "item 11 refuses \"999\"");
        row("burnout on voltage card", R"({"slots": {"2": {"model": "XA1-00", "burnout": ["1"]}}})",
            "burnout");
        row("states on analog card", R"({"slots": {"2": {"model": "XA1-00", "states": "0001"}}})",
            "states");
        row("MAC on serial comm card", R"({"comm": {"model": "V9-XC1", "mac": ["1", "2"]}})",
            "MAC");
        row("comm item refused", R"({"comm": {"items": {"59": "1.2.3"}}})", "item 59");
        // Values of the wrong type, and keys given twice, are refused rather
        // than served as an empty or partial card.
        row("items as text", R"({"slots": {"1": {"model": "XD1-K", "items": "6=F"}}})",
            "slot 1: \"items\"");
        row("burnout as text", R"({"slots": {"1": {"model": "XD1-K", "burnout": "1"}}})",
            "slot 1: \"burnout\"");
        row("version as list", R"({"slots": {"1": {"model": "XD1-K", "version": [1, 2]}}})",
            "slot 1: \"version\"");
        row("comm version as list", R"({"comm": {"version": [1, 2]}})", "comm: \"version\"");
        row("comm items as text", R"({"comm": {"items": "9=300"}})", "comm: \"items\"");
        row("MAC as text", R"({"comm": {"mac": "00-1B-2C"}})", "comm: \"mac\"");
        row("timeoutRefused as text", R"({"comm": {"timeoutRefused": "1"}})",
            "comm: \"timeoutRefused\"");
        row("name as object", R"({"name": {}})", "\"name\"");
        row("slot twice",
            "{\"slots\": {\"1\": {\"model\": \"XD1-K\"},\n"
            "           \"1\": {\"model\": \"XA1-00\"}}}",
            "slots: \"1\" is given twice (line 2, column 12)");
        row("slot twice, escaped",
            R"({"slots": {"1": {"model": "XD1-K"}, "\u0031": {"model": "XA1"}}})",
            "slots: \"1\" is given twice");
        row("slot twice as 01",
            R"({"slots": {"1": {"model": "XD1-K"}, "01": {"model": "XA1-00"}}})",
            "slots: slot 1 is given twice");
        row("item twice", R"({"slots": {"2": {"model": "XA1-00", "items": {"11": 1, "11": 2}}}})",
            "slot 2: items: \"11\" is given twice");
        row("item twice as 011",
            R"({"slots": {"2": {"model": "XA1-00", "items": {"11": 1, "011": 2}}}})",
            "slot 2: item 11 is given twice");
        row("same keys in different objects",
            "{\"name\": \"x\\\"}{:\", \"comm\": {\"items\": {\"9\": \"300\"}},"
            " \"slots\": {\"1\": {\"model\": \"XA1-00\", \"items\": {\"11\": 1}},"
            " \"2\": {\"model\": \"XA1-00\", \"items\": {\"11\": 1}}}}",
            "");
    }
    void descriptionFiles()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        const auto loaded = LoadRack(json);
        QCOMPARE(!loaded, !error.isEmpty());
        QVERIFY2(loaded.reason().contains(error), qPrintable(loaded.reason()));
    }

    void descriptionFileContents()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rack.json"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"comm": {"model": "V9-XC1", "version": "2.10", "timeoutRefused": true},
                    "slots": {"16": {"model": "XG4-0", "states": "000A"},
                              "4": {"model": "XDA2", "version": "1.5",
                                    "items": {"6": "K", "8": "N", "32": -5},
                                    "burnout": ["0", "1"]}}})");
        f.close();
        auto loaded = LoadRackFile(path);
        QVERIFY2(loaded, qPrintable(loaded.reason()));
        rack = std::move(*loaded);
        rack->setClock([] { return qint64(0); });
        QCOMPARE(read(0, 6), QStringLiteral("8008"));
        QCOMPARE(read(0, 40), QStringLiteral("2.10"));
        QCOMPARE(ask("I09"), QByteArray("CNG\r"));
        QCOMPARE(ask("I59"), QByteArray("CNU\r")); // a serial card has no network
        QCOMPARE(read(4, 6), QStringLiteral("K"));
        QCOMPARE(read(4, 8), QStringLiteral("N"));
        QCOMPARE(read(4, 32), QStringLiteral("-5"));
        QCOMPARE(ask("I9"), QByteArray("0BO:0\r"));
        QCOMPARE(ask("D1"), QByteArray("0BO:1\r"));
        QCOMPARE(rack->itemValue(16, 26), QStringLiteral("000A"));

        const auto none = LoadRackFile(dir.filePath(QStringLiteral("none.json")));
        QVERIFY(!none && none.reason().contains(QStringLiteral("none.json")));
    }

    // Only regular files up to the size limit are read: a device or a FIFO
    // would hang in open() or fill the memory.
    void rackFilesOnDisk_data()
    {
        QTest::addColumn<QString>("name"); // "fifo", "folder" or a file made with contents
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("error"); // empty: loads
        const QByteArray fill(RackLoader::kMaxFileSize - 2, ' ');
#ifdef Q_OS_UNIX
        QTest::newRow("device") << "/dev/zero" << QByteArray() << "/dev/zero: not a regular file";
        QTest::newRow("FIFO") << "fifo" << QByteArray() << "fifo: not a regular file";
        // A regular file whose size() is 0, yet it holds megabytes.
        QTest::newRow("procfs") << "/proc/kallsyms" << QByteArray() << "too large";
#endif
        QTest::newRow("folder") << "folder" << QByteArray() << "folder: not a regular file";
        QTest::newRow("at the limit") << "big.json"
                                      << "{}" + fill << QString();
        QTest::newRow("a byte more") << "big.json"
                                     << "{}" + fill + ' ' << "big.json: too large";
        QTest::newRow("wrong type")
            << "rack.json" << QByteArray(R"({"slots": {"3": {"model": "XD1-K", "burnout": "1"}}})")
            << "rack.json: slot 3: \"burnout\" must be a list";
    }
    void rackFilesOnDisk()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = QDir::isAbsolutePath(name) ? name : dir.filePath(name);
        if (QDir::isAbsolutePath(name) && !QFileInfo(name).isReadable())
            QSKIP("not on this system");
        if (name == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(name));
        } else if (name == QLatin1String("fifo")) {
#ifdef Q_OS_UNIX
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
        } else if (!QDir::isAbsolutePath(name)) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(contents), contents.size());
        }
        const auto loaded = LoadRackFile(path);
        QVERIFY2(!loaded == !error.isEmpty(), qPrintable(loaded.reason()));
        QVERIFY2(loaded.reason().contains(error), qPrintable(loaded.reason()));
    }

    // A refused value is written four times and changes nothing.
    void refusedWriteOverTheLink()
    {
        QCOMPARE(linkWrite("5", "11", "999"), QString());
        QByteArrayList received;
        for (const TrafficEntry &e : rackLog.entries())
            received << e.command.chopped(1);
        QCOMPARE(received.join('|'), QByteArray("G5|I11|D999|G5|I11|D999|G5|I11|D999|G5|I11|D999"));
        QCOMPARE(rack->itemValue(5, 11), QStringLiteral("0.00"));
    }

    void repliesThatStillCount_data()
    {
        QTest::addColumn<SimFaults>("faults");
        QTest::newRow("CR LF") << SimFaults{.crlf = true};
        QTest::newRow("one byte at a time") << SimFaults{.chunkSize = 1, .chunkPauseMs = 3};
        QTest::newRow("pieces of three, CR LF")
            << SimFaults{.chunkSize = 3, .chunkPauseMs = 20, .crlf = true};
    }
    void repliesThatStillCount()
    {
        QFETCH(SimFaults, faults);
        rack->setFaults(faults);
        QCOMPARE(linkRead("00", "04"), QStringLiteral("V9-XS1-A:COMM"));
        QCOMPARE(linkRead("13", "26"), QStringLiteral("DX:A5F0"));
        QCOMPARE(linkRead("2", "8"), QStringLiteral("TY:J(IC)"));
        QCOMPARE(rack->commandCount(), 6); // no attempt repeated
    }

    void garbageGivesNoWrongValue()
    {
        rack->setFaults({.garbage = true});
        for (const char *item : {"2", "14", "40"})
            QCOMPARE(linkRead("5", item), QString());
        QCOMPARE(linkWrite("5", "14", "4000"), QString());
        QCOMPARE(rack->itemValue(5, 14), QStringLiteral("10000"));
        QVERIFY(rack->charsSent() > 0);

        rack->clearFaults();
        rack->setCardFaults(5, {.garbage = true});
        QCOMPARE(linkRead("5", "40"), QString());
        QCOMPARE(linkRead("6", "40"), QStringLiteral("VR:1.02"));
        rack->clearFaults();
        QCOMPARE(linkRead("5", "40"), QStringLiteral("VR:1.02"));
    }

    // Also a delay and the line rate are replies that still count.
    void pacingTakesTheLineTime()
    {
        TrafficLog programLog;
        line->setTrafficLog(&programLog);
        rack->setFaults({.replyDelayMs = 5, .pacing = true});
        QCOMPARE(linkRead("00", "40"), QStringLiteral("VR:1.05"));
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
        QVERIFY(line->SendCommand(QStringLiteral("G00\r")).is(Failure::Silent));
        port->close();
        QVERIFY(port->open(LineSettings{}).isEmpty());
        QTest::qWait(160);
        QCOMPARE(port->pendingInput(), QByteArray());

        QVERIFY(line->SendCommand(QStringLiteral("G00\r")).is(Failure::Silent));
        delete line;
        QTest::qWait(160);
        rack->clearFaults();
        newLine();
        AttachRack(*rack, port);
        const int before = rack->commandCount();
        QCOMPARE(linkRead("00", "40"), QStringLiteral("VR:1.05"));
        QCOMPARE(rack->commandCount(), before + 2);
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "test_sim.moc"
