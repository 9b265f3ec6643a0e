// The serial exchange and the read/write transactions against an in-memory
// port, with the time-out shortened so silence costs milliseconds.
#include "link/serialline.h"
#include "link/trafficlog.h"
#include "link/transactions.h"
#include "scriptedrack.h"

#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <QTimer>

class TestLink : public QObject
{
    Q_OBJECT

    static constexpr int kTimeout = 60;
    static constexpr int kGuard = 20;

    // Replies that name their command: "G5" -> "COK", "I40" -> "0V:40",
    // "D7" -> "0W:7".
    static QByteArray echo(const QByteArray &cmd)
    {
        const QByteArray arg = cmd.mid(1).chopped(1);
        if (cmd.startsWith('G'))
            return "COK\r";
        return (cmd.startsWith('I') ? "0V:" : "0W:") + arg + '\r';
    }

    SerialLine *line = nullptr;
    MemoryPort *port = nullptr;
    ScriptedRack *rack = nullptr;

private slots:
    void init()
    {
        line = new SerialLine(this);
        auto p = std::make_unique<MemoryPort>();
        port = p.get();
        line->attachPort(std::move(p));
        QVERIFY(port->open(LineSettings{}).isEmpty());
        line->setTiming({kTimeout, 2, kGuard});
        rack = new ScriptedRack(port);
    }
    void cleanup()
    {
        delete line;
        line = nullptr;
    }

    void replyShapes_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one chunk") << QList<QByteArray>{"COK\r"} << "COK";
        QTest::newRow("three chunks") << QList<QByteArray>{"C", "OK", "\r"} << "COK";
        QTest::newRow("blanks trimmed") << QList<QByteArray>{"  12.5  \r"} << "12.5";
        QTest::newRow("tab is no blank") << QList<QByteArray>{"\t7 \r"} << "\t7";
        // A line feed after the CR in the same chunk used to stall the exchange.
        QTest::newRow("CR LF in one chunk") << QList<QByteArray>{"COK\r\n"} << "COK";
        QTest::newRow("late LF of the last reply") << QList<QByteArray>{"\n", "COK\r"} << "COK";
        QTest::newRow("noise after CR") << QList<QByteArray>{"COK\rXYZ\r"} << "COK";
        QTest::newRow("CR split off") << QList<QByteArray>{"0AB:1", "2\r\n"} << "0AB:12";
        QTest::newRow("empty line") << QList<QByteArray>{"\r"} << "";
    }
    void replyShapes()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QString, expected);
        rack->setResponder([chunks](const QByteArray &) {
            QList<Chunk> out;
            int t = 0;
            for (const QByteArray &c : chunks)
                out << Chunk{t += 5, c};
            return out;
        });
        const Reply reply = line->SendCommand(QStringLiteral("G00\r"));
        QVERIFY2(reply.ok(), "a complete reply must not wait for the time-out");
        QCOMPARE(*reply, expected);
        QCOMPARE(rack->commands, QList<QByteArray>{"G00\r"});
    }

    void replyTooLateIsDiscardedWhole()
    {
        rack->setResponder([](const QByteArray &) {
            return QList<Chunk>{{10, "CO"}, {kTimeout + kGuard / 2, "K\r"}};
        });
        QVERIFY(line->SendCommand(QStringLiteral("G00\r")).is(Failure::Silent));
    }

    // On a busy machine the time-out and a late reply fall due in one pass
    // of the event loop: the time-out, due first, decides.
    void lateReplyDueWithTheTimeOut()
    {
        rack->setResponder([](const QByteArray &) {
            return QList<Chunk>{{kTimeout + 20, "COK\r"}};
        });
        QTimer::singleShot(10, this, [] { QThread::msleep(3 * kTimeout); });
        QVERIFY(line->SendCommand(QStringLiteral("G00\r")).is(Failure::Silent));
    }

    // A pause much shorter than the guard, as in the product, and a rack
    // that answers every command of card 5 late: whatever the lateness
    // within the guard, card 5 reads as silent and the next card's reads
    // get their own replies.
    void lateRepliesNeverAnswerAnotherCommand_data()
    {
        QTest::addColumn<int>("lateBy"); // past the time-out
        QTest::newRow("a little") << 5;
        QTest::newRow("half the guard") << kGuard / 2;
        QTest::newRow("just past the guard") << kGuard + 1;
    }
    void lateRepliesNeverAnswerAnotherCommand()
    {
        QFETCH(int, lateBy);
        bool card5 = false;
        rack->setResponder([&](const QByteArray &cmd) -> QList<Chunk> {
            if (cmd.startsWith('G'))
                card5 = cmd == "G5\r";
            return {{card5 ? kTimeout + lateBy : 0, echo(cmd)}};
        });
        QCOMPARE(describe(ReadItem(*line, kRetries, QStringLiteral("5"), QStringLiteral("2"))),
                 QStringLiteral("silent"));
        QCOMPARE(describe(ReadItem(*line, kRetries, QStringLiteral("1"), QStringLiteral("40"))),
                 QStringLiteral("V:40"));
        QCOMPARE(describe(WriteItem(*line, kRetries, QStringLiteral("1"), QStringLiteral("9"),
                                    QStringLiteral("0"))),
                 QStringLiteral("W:0"));
    }

    // Late replies scattered among good ones: every result is its own
    // command's answer or "".
    void lateRepliesMixedWithGoodOnes()
    {
        constexpr int timeout = 20;
        constexpr int guard = 5;
        line->setTiming({timeout, 2, guard});
        QRandomGenerator random(7);
        int late = 0;
        rack->setResponder([&](const QByteArray &cmd) -> QList<Chunk> {
            if (random.bounded(8) != 0)
                return {{0, echo(cmd)}};
            ++late;
            return {{timeout + 1 + static_cast<int>(random.bounded(guard)), echo(cmd)}};
        });
        int answered = 0;
        for (int n = 0; n < 80; ++n) {
            const QString item = QString::number(random.bounded(1, 60));
            const bool write = n % 3 == 0;
            const QString got = (write ? WriteItem(*line, 0, QStringLiteral("3"), item, item)
                                       : ReadItem(*line, 0, QStringLiteral("3"), item))
                                    .valueOr(QString());
            const QString own = (write ? QStringLiteral("W:") : QStringLiteral("V:")) + item;
            QVERIFY2(got.isEmpty() || got == own, qPrintable(got + QStringLiteral(" for ") + own));
            answered += !got.isEmpty();
        }
        QVERIFY(late > 5);
        QVERIFY(answered > 40);
    }

    // Silence times out and stops the timer; only a time-out makes the line
    // wait for quiet before the next command.
    void silenceTimesOutAndResyncs()
    {
        rack->answerBy("COK", "0A:1");
        QCOMPARE(line->SendCommand(QStringLiteral("G1\r")).valueOr({}), QStringLiteral("COK"));
        QVERIFY(!line->needsResync());
        rack->answerBy("", "");
        QVERIFY(line->SendCommand(QStringLiteral("G1\r")).is(Failure::Silent));
        QVERIFY(line->IntervalTimerCheck());
        QVERIFY(!line->isIntervalTimerActive());
        QVERIFY(line->needsResync());
        rack->answerBy("COK", "");
        QCOMPARE(line->SendCommand(QStringLiteral("G1\r")).valueOr({}), QStringLiteral("COK"));
        QVERIFY(!line->needsResync());
    }

    // A port closed before, or one that dies in the pause before a command,
    // in the wait for its reply, or in the quiet wait between two attempts
    // ends the transaction at once: "" and nothing more on the wire.
    void portLostEndsTheTransactionAtOnce_data()
    {
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<int>("failAfterMs"); // from the first command written; -1 closed
        QTest::addColumn<int>("commands");
        QTest::newRow("closed before") << 2 << -1 << 0;
        QTest::newRow("in the wait") << 2 << 20 << 1;
        QTest::newRow("in the pause") << 100 << kTimeout + kGuard + 50 << 1;
        QTest::newRow("between attempts") << 2 << kTimeout + kGuard / 2 << 1;
    }
    void portLostEndsTheTransactionAtOnce()
    {
        QFETCH(int, pauseMs);
        QFETCH(int, failAfterMs);
        QFETCH(int, commands);
        line->setTiming({kTimeout, pauseMs, kGuard});
        if (failAfterMs < 0)
            port->close();
        else
            QTimer::singleShot(pauseMs + failAfterMs, port, [this] {
                port->fail(QStringLiteral("Device disappeared from the system"));
            });
        QCOMPARE(describe(ReadItem(*line, kRetries, QStringLiteral("00"), QStringLiteral("40"))),
                 QStringLiteral("silent"));
        QCOMPARE(rack->commands.size(), commands);
        QVERIFY(!line->isIntervalTimerActive());
        QVERIFY(!line->isOpen());
    }

    // A transaction nested inside another's wait gives up at once and says
    // it was refused, so its caller does not mistake it for a silent rack;
    // the outer exchange gets its own reply and no refusal.
    void nestedTransactionIsRefusedNotRetried()
    {
        QString inner = QStringLiteral("unset");
        rack->setResponder([&](const QByteArray &cmd) -> QList<Chunk> {
            if (cmd == "G00\r")
                QTimer::singleShot(5, line, [&] {
                    inner = describe(
                        ReadItem(*line, kRetries, QStringLiteral("1"), QStringLiteral("2")));
                });
            return {{30, "COK\r"}};
        });
        QCOMPARE(describe(line->SendCommand(QStringLiteral("G00\r"))), QStringLiteral("COK"));
        QCOMPARE(inner, QStringLiteral("busy"));
        QCOMPARE(rack->commands, QList<QByteArray>{"G00\r"});
    }

    // Replies to card select / item select / data write, what the transaction
    // returns and the exact commands it sent over all its attempts.
    void transactions_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QByteArray>("g");
        QTest::addColumn<QByteArray>("i");
        QTest::addColumn<QByteArray>("d");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QByteArray>("wire");

        auto row = [](const char *tag, bool write, const char *g, const char *i, const char *d,
                      const char *result, const char *wire) {
            QTest::newRow(tag) << write << QByteArray(g) << QByteArray(i) << QByteArray(d)
                               << QString::fromLatin1(result) << QByteArray(wire);
        };
        const char *x4 = "G5|I8|G5|I8|G5|I8|G5|I8|";
        row("read ok", false, "COK", "1PA:K(CA)", "", "PA:K(CA)", "G5|I8|");
        row("read select refused x4", false, "CNG", "1X", "", "unusable", "G5|G5|G5|G5|");
        row("read CNU is not used, one attempt", false, "COK", "CNU", "", "not used", "G5|I8|");
        row("read CNG is final", false, "COK", "CNG", "", "refused", "G5|I8|");
        row("read one character is retried", false, "COK", "R", "", "unusable", x4);
        row("read blank value is retried", false, "COK", "R   ", "", "unusable", x4);
        row("read silent rack x4", false, "", "", "", "silent", "G5|G5|G5|G5|");
        row("write COK gives OK", true, "COK", "0A:1", "COK", "OK", "G5|I8|Dx|");
        row("write item CNU: no data, x4", true, "COK", "CNU", "COK", "not used", x4);
        row("write item CNG: no data, x4", true, "COK", "CNG", "COK", "refused", x4);
        const char *dx4 = "G5|I8|Dx|G5|I8|Dx|G5|I8|Dx|G5|I8|Dx|";
        row("write data CNG x4", true, "COK", "0A:1", "CNG", "refused", dx4);
        row("write data CNU x4", true, "COK", "0A:1", "CNU", "not used", dx4);
    }
    void transactions()
    {
        QFETCH(bool, write);
        QFETCH(QByteArray, g);
        QFETCH(QByteArray, i);
        QFETCH(QByteArray, d);
        line->setTiming({20, 0, 5}); // silence is part of several rows
        rack->answerBy(g, i, d);
        const QString card = QStringLiteral("5");
        const QString item = QStringLiteral("8");
        const Reply got = write ? WriteItem(*line, kRetries, card, item, QStringLiteral("x"))
                                : ReadItem(*line, kRetries, card, item);
        QTEST(describe(got), "result");
        QTEST(rack->commands.join().replace('\r', '|'), "wire");
    }
};

QTEST_GUILESS_MAIN(TestLink)
#include "test_link.moc"
