// Monitoring through the main window's Start and Stop on the simulated demo
// rack: the overview pass written out by hand, the single-card cycle, and
// Stop, silence and a lost port in the middle of a cycle.
#include "app/cardwindows.h"
#include "app/monitorcommands.h"
#include "appfixture.h"
#include "editors/frmsetmodel.h"
#include "exchange/livefeed.h"
#include "exchange/monitoring.h"
#include "link/memoryport.h"
#include "monitor/frmoverview.h"
#include "sim/rackloader.h"
#include "ui/vbcolor.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace {

QStringList reads(const QString &card, const QString &items)
{
    QStringList out;
    for (const QString &item : items.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        out << QLatin1Char('G') + card << QLatin1Char('I') + item;
    return out;
}

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT

    // Starts monitoring and presses Stop once `commands` command lines went out.
    static void monitorFor(AppFixture &f, int commands)
    {
        int n = 0;
        auto c = QObject::connect(&f.session.traffic, &TrafficLog::appended, &f.window,
                                  [&](const TrafficEntry &) {
                                      if (++n == commands)
                                          f.window.cmdStop_Click();
                                  });
        f.window.cmdStart_Click();
        QObject::disconnect(c);
    }
    static void select(AppFixture &f, const char *card)
    {
        f.find<QComboBox>(QStringLiteral("cboCardNo"))->setCurrentText(QLatin1String(card));
    }
    static quint32 cell(AppFixture &f, int ch, int card)
    {
        return f.window.overview()->lblDIDataCh(ch, card)->property("BackColor").toUInt();
    }

private slots:
    // One pass over the table's channels, the values handed to the trend,
    // the discrete states as colours; a reply without states blanks the
    // cells instead of keeping old ones.
    void overviewPass()
    {
        AppFixture f;
        f.connectAndUpload();
        frmOverView *o = f.window.overview();
        o->ShowDiscreteBits(13, 16, QStringLiteral("1111111111111111"));
        f.rack->setCardFaults(13, {.refuse = true, .onlyItem = 26});
        QStringList pass;
        pass << reads("1", "10") << reads("2", "10 11") << reads("3", "10") << reads("4", "10 11")
             << reads("5", "10") << reads("6", "10 11") << reads("7", "10") << reads("8", "10 11")
             << reads("9", "10") << reads("10", "10 11") << reads("11", "26") << reads("13", "26")
             << reads("14", "26") << reads("16", "22");
        QStringList fed; // card 2's values as the trend window gets them
        connect(&f.session.live, &LiveFeed::value, &f.window,
                [&](int card, int ch, const QString &text) {
                    if (card == 2)
                        fed << QStringLiteral("%1=%2").arg(ch).arg(text);
                });
        monitorFor(f, static_cast<int>(pass.size()));
        QCOMPARE(f.wire(), pass);
        QCOMPARE(fed,
                 (QStringList{"1=" + f.rack->itemValue(2, 10), "2=" + f.rack->itemValue(2, 11)}));
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(o->lblInputDataCh1(5)->text(), f.rack->itemValue(5, 10).remove(QLatin1Char('.')));
        QCOMPARE(o->lblInputDataCh2(2)->text(), f.rack->itemValue(2, 11).remove(QLatin1Char('.')));
        // Card 11 answers 0005: channels 1 and 3 on.
        QCOMPARE(f.rack->itemValue(11, 26), QStringLiteral("0005"));
        for (int ch = 1; ch <= 4; ++ch)
            QCOMPARE(cell(f, ch, 11), ch % 2 ? VbColor::Red : VbColor::Green);
        for (int ch = 1; ch <= 16; ++ch)
            QCOMPARE(cell(f, ch, 13), VbColor::MenuBackground);
        QVERIFY(f.enabled("cboCardNo") && !f.enabled("cmdStop"));
    }

    // A card that falls silent shows "ERROR" and the cycle goes on, also
    // when it is the only card: the communication card still answers.
    void silentCardShowsError_data()
    {
        QTest::addColumn<bool>("onlyCard");
        QTest::addColumn<int>("before"); // commands of the pass before card 5
        QTest::addColumn<QString>("next");
        QTest::newRow("one of many") << false << 12 << "G6";
        QTest::newRow("the only card") << true << 0 << "G5";
    }
    void silentCardShowsError()
    {
        QFETCH(bool, onlyCard);
        QFETCH(int, before);
        QFETCH(QString, next);
        AppFixture f;
        f.connectAndUpload();
        if (onlyCard)
            for (int i = 1; i <= kCardCount; ++i)
                if (i != 5)
                    f.session.cards[i].ChCount = 0;
        f.quickTimeOuts();
        f.rack->setCardFaults(5, {.silent = true});
        monitorFor(f, before + 7);
        QCOMPARE(f.wire().mid(before, 7),
                 (QStringList{"G5", "G5", "G5", "G5", "G00", "I40", next}));
        QCOMPARE(f.window.overview()->lblInputDataCh1(5)->text(), QStringLiteral("ERROR"));
        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.session.state.IsConnected);
    }

    // Passes are at least the pause apart, so a table with little to read
    // does not spin a core.
    void passesArePausedApart()
    {
        AppFixture f;
        f.connectAndUpload();
        for (int i = 2; i <= kCardCount; ++i)
            f.session.cards[i].ChCount = 0;
        QElapsedTimer clock;
        clock.start();
        QTimer::singleShot(300, &f.window, [&f] { f.window.cmdStop_Click(); });
        f.window.cmdStart_Click();
        const qint64 passes = f.wire().count(QStringLiteral("G1"));
        QVERIFY(passes >= 1);
        QVERIFY2(passes <= clock.elapsed() / kMonitorPauseMs + 1,
                 qPrintable(QString::number(passes)));
    }

    void discreteReplies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("bits");
        auto row = [](const char *reply, const char *bits) {
            QTest::newRow(reply) << QString::fromLatin1(reply) << QString::fromLatin1(bits);
        };
        row("IC:0005", "0000000000000101");
        row("FFFF", "1111111111111111");
        row("x:a5f0", "1010010111110000"); // lower case
        for (const char *refused : {"CNG", "NEEDLESS", "x:12", "x:12G4"})
            row(refused, "");
    }
    void discreteReplies()
    {
        QFETCH(QString, reply);
        QFETCH(QString, bits);
        QCOMPARE(DiscreteBits(reply), bits);
    }

    // Stop during a read of a silent card ends the cycle before the next
    // attempt; nothing else starts meanwhile, a second Start nests nothing,
    // and the commands return with the cycle.
    void stopDuringASlowRead()
    {
        AppFixture f;
        f.connectAndUpload();
        f.quickTimeOuts();
        f.rack->setCardFaults(1, {.silent = true});
        bool stopped = false;
        bool lockedWhileReading = false;
        auto c = connect(&f.session.traffic, &TrafficLog::appended, &f.window,
                         [&](const TrafficEntry &) {
                             if (std::exchange(stopped, true))
                                 return;
                             f.window.cmdStop_Click();
                             f.window.cmdStart_Click(); // refused: the cycle still runs
                             f.window.cmdUpload_Click();
                             lockedWhileReading = !f.enabled("cmdUpload") &&
                                                  !f.enabled("cmdStart") && !f.enabled("cmdStop");
                         });
        f.window.cmdStart_Click();
        disconnect(c);
        QVERIFY(lockedWhileReading);
        QCOMPARE(f.wire(), (QStringList{"G1"})); // the attempt under way, no further one
        QVERIFY(f.enabled("cmdUpload"));
        QVERIFY(f.enabled("cmdStart"));
        QVERIFY(!f.enabled("cmdStop"));
    }

    // A rack that falls silent, or a port that dies, ends monitoring with one
    // communication error and the disconnected state, without spinning.
    void linkLostDuringMonitoring_data()
    {
        QTest::addColumn<bool>("portDies");
        QTest::newRow("rack silent") << false;
        QTest::newRow("port closed") << true;
    }
    void linkLostDuringMonitoring()
    {
        QFETCH(bool, portDies);
        AppFixture f(std::move(*LoadRack(
            R"({"slots": {"1": {"model": "XA1-00", "version": "1.0"},
                          "2": {"model": "XG4-0", "version": "1.0"}}})")));
        f.quickTimeOuts();
        f.connectAndUpload();
        int n = 0;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            if (++n != 9)
                return;
            if (portDies)
                qobject_cast<MemoryPort *>(f.session.line.port())->fail(QStringLiteral("gone"));
            else
                f.rack->setFaults({.silent = true});
        });
        f.window.cmdStart_Click();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].title, QStringLiteral("Test of communication"));
        QVERIFY(!f.session.state.IsConnected);
        QVERIFY(!f.session.state.IsMonitoring);
        QVERIFY(!f.enabled("cmdStop"));
        QVERIFY(!f.enabled("cmdUpload"));
        QVERIFY(n < 40);
    }

    // After a lost link every value of the overview greys, texts kept, until
    // the next read of its slot: monitoring, a card's live read, an upload.
    void valuesNotLiveAfterALostLink_data()
    {
        QTest::addColumn<bool>("portDies");
        QTest::addColumn<QString>("read");
        QTest::newRow("disconnect, monitoring") << false << "monitor";
        QTest::newRow("port lost, live read") << true << "select";
        QTest::newRow("disconnect, upload") << false << "upload";
    }
    void valuesNotLiveAfterALostLink()
    {
        QFETCH(bool, portDies);
        QFETCH(QString, read);
        AppFixture f;
        f.connectAndUpload();
        select(f, "05");
        frmOverView *o = f.window.overview();
        const QString shown = o->lblInputDataCh1(5)->text();
        QVERIFY(!shown.isEmpty() && o->lblInputDataCh1(5)->isEnabled());
        if (portDies)
            qobject_cast<MemoryPort *>(f.session.line.port())->fail(QStringLiteral("gone"));
        else
            f.window.mnuConnectDisconnect_Click();
        QVERIFY(!f.session.state.IsConnected);
        for (QLabel *l : {o->lblInputDataCh1(5), o->lblInputDataCh2(1), o->lblDIDataCh(1, 11)})
            QVERIFY(!l->isEnabled());
        QCOMPARE(o->lblInputDataCh1(5)->text(), shown);
        QVERIFY(o->lblCardType(5)->isEnabled());

        f.connectOn(1);
        QVERIFY(!o->lblInputDataCh1(5)->isEnabled()); // connecting reads no values
        if (read == QLatin1String("monitor")) {
            monitorFor(f, 2);
        } else if (read == QLatin1String("select")) {
            select(f, "00");
            select(f, "05");
        } else {
            f.window.cmdUpload_Click();
        }
        QVERIFY(o->lblInputDataCh1(5)->isEnabled());
        QCOMPARE(o->lblInputDataCh1(1)->isEnabled(), read == QLatin1String("upload"));
    }

    // The selected card's channels are read over and over, the commands off
    // meanwhile, until Stop; a card without channels reads nothing and
    // still runs until Stop.
    void singleCardCycle_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("items");
        auto row = [](const char *name, const char *card, const char *items) {
            QTest::newRow(name) << QString::fromLatin1(card) << QString::fromLatin1(items);
        };
        row("analog 1ch", "01", "10");
        row("pulse", "10", "10 11");
        row("discrete 4", "11", "10 11 12 13");
        row("no channels", "01", "");
    }
    void singleCardCycle()
    {
        QFETCH(QString, card);
        QFETCH(QString, items);
        AppFixture f;
        f.connectAndUpload();
        select(f, qPrintable(card));
        if (items.isEmpty())
            f.session.cards[1].ChCount = 0;
        f.session.traffic.clear();
        auto *up = f.window.cardWindows().setModel()->findChild<QPushButton *>("cmdUp");
        const bool upBefore = up->isEnabled();
        bool locked = false;
        const auto stop = [&] {
            locked = f.enabled("cmdStop") && !f.enabled("cmdUpload") && !up->isEnabled();
            f.window.cmdStop_Click();
        };
        const QStringList once = reads(QString::number(card.toInt()), items);
        int n = 0;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            if (++n == 3 * once.size()) // three readings
                stop();
        });
        f.window.cmdStart_Click();
        if (once.isEmpty())
            stop(); // nothing to read: Start came back, still running
        QCOMPARE(f.wire(), once + once + once);
        QVERIFY(locked);
        QVERIFY(f.enabled("cmdUpload"));
        QCOMPARE(up->isEnabled(), upBefore);
    }

    // Must stay last: it ends the application's event loop.
    void exitDuringMonitoring()
    {
        AppFixture f;
        f.connectAndUpload();
        int n = 0;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            if (++n == 50)
                QTimer::singleShot(0, &f.window, [&f] { f.window.mnuFilesEnd_Click(); });
        });
        bool returned = false;
        QTimer::singleShot(10000, &f.window, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, &f.window, [&] {
            f.window.cmdStart_Click();
            returned = true;
        });
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(returned);
        QVERIFY(f.messages.isEmpty());
        QVERIFY(n < 60);
    }
};

QTEST_MAIN(TestMonitor)
#include "test_monitor.moc"
