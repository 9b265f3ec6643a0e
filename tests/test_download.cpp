// Download of all cards, parameter files and the one-operation gate, through
// the main window on the simulated demo rack. Expected command sequences are
// written out by hand.
#include "appfixture.h"
#include "files/changelog.h"
#include "files/parameterfile.h"
#include "link/memoryport.h"
#include "monitor/frmoverview.h"
#include "sim/rackloader.h"
#include "ui/filedialogs.h"
#include "ui/frmloading.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

// "W13=$2" writes par(2)'s value to item 13 of `card`; "N-1" is a write to
// item -1, refused at the item select in all four attempts.
QStringList expand(const CardRecord &r, const QString &card, const QString &steps)
{
    QStringList out;
    for (const QString &s : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (s == QLatin1String("N-1")) {
            for (int n = 0; n < 4; ++n)
                out << QLatin1Char('G') + card << QStringLiteral("I-1");
            continue;
        }
        const qsizetype eq = s.indexOf(QLatin1Char('='));
        QString data = s.mid(eq + 1);
        if (data.startsWith(QLatin1Char('$')))
            data = r.par(data.mid(1).toInt()).Value;
        out << QLatin1Char('G') + card << QLatin1Char('I') + s.mid(1, eq - 1)
            << QLatin1Char('D') + data;
    }
    return out;
}

// Every command addressed to one card, wherever it stands.
QStringList commandsTo(const QStringList &wire, const QString &card)
{
    QStringList out;
    bool on = false;
    for (const QString &c : wire) {
        if (c.startsWith(QLatin1Char('G')))
            on = c == QLatin1Char('G') + card;
        if (on)
            out << c;
    }
    return out;
}

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT

    // The file dialog answers with `path` ("" cancels); counts its calls.
    int dialogs = 0;
    void answerDialogs(const QString &path)
    {
        FileDialogs::setHandler([this, path](FileDialogs::Mode) {
            ++dialogs;
            return path;
        });
    }

private slots:
    void init() { dialogs = 0; }
    void cleanup() { FileDialogs::setHandler({}); }

    void cardSequences_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<int>("limit"); // -1 keeps the uploaded state
        QTest::addColumn<QString>("steps");
        QTest::newRow("TC 1ch limit on")
            << 1 << -1 << "W1=1 W13=$1 W14=$2 W11=$3 W12=$4 W19=$5 W20=$6 W37=1";
        QTest::newRow("TC 1ch limit off")
            << 1 << 0 << "W1=1 W13=$1 W14=$2 W11=$3 W12=$4 W19=$5 W20=$6 W37=0";
        QTest::newRow("TC 1ch no limit")
            << 1 << 2 << "W1=1 W13=$1 W14=$2 W11=$3 W12=$4 W19=$5 W20=$6";
        QTest::newRow("TC 2ch no limit")
            << 2 << -1
            << "W1=1 W16=$1 W17=$2 W12=$3 W13=$4 W28=$5 W29=$6 W18=$7 W19=$8 W14=$9 W15=$10 "
               "W30=$11 W31=$12";
        QTest::newRow("TC 2ch limit on, twice")
            << 2 << 1
            << "W1=1 W16=$1 W17=$2 W12=$3 W13=$4 W28=$5 W29=$6 W37=1 W18=$7 W19=$8 W14=$9 "
               "W15=$10 W30=$11 W31=$12 W37=1";
        QTest::newRow("TC 2ch limit off, twice")
            << 2 << 0
            << "W1=1 W16=$1 W17=$2 W12=$3 W13=$4 W28=$5 W29=$6 W37=0 W18=$7 W19=$8 W14=$9 "
               "W15=$10 W30=$11 W31=$12 W37=0";
        QTest::newRow("RTD") << 3 << -1 << "W1=1 W13=$1 W14=$2 W11=$3 W12=$4 W21=$5 W22=$6";
        QTest::newRow("other 1ch: slots 1-4") << 5 << -1 << "W1=1 W13=$1 W14=$2 W11=$3 W12=$4";
        QTest::newRow("other 2ch: slots 1-4, 7-10")
            << 6 << -1 << "W1=1 W16=$1 W17=$2 W12=$3 W13=$4 W18=$7 W19=$8 W14=$9 W15=$10";
        QTest::newRow("pulse 2ch: 14 and 15 only") << 10 << -1 << "W1=1 W14=$2 W15=$8";
        QTest::newRow("discrete: four writes to -1") << 11 << -1 << "W1=1 N-1 N-1 N-1 N-1";
        QTest::newRow("empty slot") << 12 << -1 << "";
        QTest::newRow("unknown code") << 15 << -1 << "";
    }
    void cardSequences()
    {
        QFETCH(int, card);
        QFETCH(int, limit);
        QFETCH(QString, steps);
        AppFixture f;
        f.connectAndUpload();
        // The demo's two-channel card predates the limit function; one that has it.
        if (card == 2 && limit >= 0)
            f.rack->insertCard(2, QStringLiteral("XD2-K"), QStringLiteral("1.10"));
        if (limit >= 0)
            f.session.cards[card].Limit = static_cast<LimitState>(limit);
        f.find<QPushButton>(QStringLiteral("cmdDownload"))->click();
        const QStringList wire = f.wire();
        QCOMPARE(wire.mid(0, 2), (QStringList{"G00", "I40"}));
        const QString c = QString::number(card);
        QCOMPARE(commandsTo(wire, c), expand(f.session.cards[card], c, steps));
        QVERIFY(!wire.contains(QStringLiteral("I"))); // never an empty item
        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.session.state.IsConnected);
        QVERIFY(f.enabled("cmdDownload"));
        QVERIFY(f.window.loading()->isHidden());
    }

    // A rack that stops answering, a port that dies and the operator's
    // Disconnect all end the download through its failure path: one
    // message, the link gone, nothing sent after the end. A rack silent
    // after the opening check is found at the first write that meets
    // silence, by asking the communication card, not after every write.
    void linkLostEndsTheDownload_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("wire"); // all of it, when known
        QTest::addColumn<int>("atMost");       // commands
        QTest::newRow("silent rack") << "silent" << QStringList{"G00", "G00", "G00", "G00"} << 4;
        QTest::newRow("silent after the opening check")
            << "silentAfter"
            << QStringList{"G00", "I40", "G1", "G1", "G1", "G1", "G00", "G00", "G00", "G00"} << 10;
        QTest::newRow("port lost") << "port" << QStringList{} << 30;
        QTest::newRow("disconnect") << "disconnect" << QStringList{} << 21;
    }
    void linkLostEndsTheDownload()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, wire);
        QFETCH(int, atMost);
        AppFixture f;
        f.quickTimeOuts();
        f.connectAndUpload();
        if (how == QLatin1String("silent"))
            f.rack->setFaults({.silent = true});
        else if (how == QLatin1String("silentAfter"))
            f.rack->setFaults({.silentAfter = 2});
        int commands = 0;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            ++commands;
            if (how == QLatin1String("port") && commands == 30)
                qobject_cast<MemoryPort *>(f.session.line.port())
                    ->fail(QStringLiteral("Device disappeared from the system"));
            if (how == QLatin1String("disconnect") && commands == 20)
                QTimer::singleShot(0, &f.window, [&f] { f.window.mnuConnectDisconnect_Click(); });
        });
        f.window.cmdDownload_Click();
        if (!wire.isEmpty())
            QCOMPARE(f.wire(), wire);
        QVERIFY2(commands <= atMost, qPrintable(QString::number(commands)));
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon, Messages::Icon::Critical);
        QCOMPARE(f.messages[0].title, QStringLiteral("Downloading"));
        QCOMPARE(f.messages[0].text, QStringLiteral("Downloading incomplete"));
        QVERIFY(!f.session.state.IsConnected);
        QVERIFY(!f.session.line.isOpen());
        QVERIFY(!f.enabled("cmdDownload"));
        QVERIFY(f.window.loading()->isHidden());
    }

    // A refused write and a card that does not answer are told apart: one
    // summary line, the list under it, and a silent card gets nothing after
    // its select.
    void refusedAndUnansweredWritesAreListedApart_data()
    {
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("status");
        QTest::newRow("refused") << true << false << "Download finished: 1 write refused."
                                 << "Download complete: 14 cards, 1 write refused";
        QTest::newRow("silent card") << false << true << "Download finished: 1 slot not written."
                                     << "Download complete: 13 cards, 1 slot not written";
        QTest::newRow("both") << true << true
                              << "Download finished: 1 write refused, 1 slot not written."
                              << "Download complete: 13 cards, 1 write refused, 1 slot not written";
    }
    void refusedAndUnansweredWritesAreListedApart()
    {
        QFETCH(bool, refuse);
        QFETCH(bool, silent);
        QFETCH(QString, text);
        QFETCH(QString, status);
        AppFixture f;
        f.connectAndUpload();
        f.quickTimeOuts();
        if (refuse)
            f.rack->setCardFaults(1, {.refuse = true, .onlyItem = 13});
        if (silent)
            f.rack->setCardFaults(5, {.silent = true});
        f.window.cmdDownload_Click();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon, Messages::Icon::Exclamation);
        QCOMPARE(f.messages[0].title, QStringLiteral("Downloading"));
        QCOMPARE(f.messages[0].text, text);
        const QStringList lines = f.messages[0].informative.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), int(refuse) + int(silent));
        if (silent)
            QCOMPARE(lines.first(), QStringLiteral("Slot 5: no answer, nothing written"));
        if (refuse)
            QVERIFY(lines.last().startsWith(
                QStringLiteral("Card 1 (XD1-K): Zero scale, Ch. 1, sent \"0\", range ")));
        // The silent card's select was tried four times, nothing more.
        QCOMPARE(commandsTo(f.wire(), QStringLiteral("5")).size(), silent ? 4 : 15);
        QVERIFY(f.session.state.IsConnected);
        QVERIFY(f.wire().contains(QStringLiteral("G16"))); // the download went on
        QCOMPARE(f.window.statusBar()->currentMessage(), status);
    }

    // A parameter file written into a rack whose cards are other models:
    // each card is asked its model after the select, and one that differs
    // gets nothing; the warning and the change log say which and why.
    void fileIsNotWrittenIntoCardsOfAnotherModel()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("demo.uJx"));
        {
            AppFixture demo;
            demo.connectAndUpload();
            QCOMPARE(WriteParameterFile(demo.session.cards, file).reason(), QString());
        }
        AppFixture f(std::move(*LoadRack(R"({"slots": {
            "1": {"model": "XA1-00", "version": "1.0", "items": {"13": "0", "14": "10000"}},
            "3": {"model": "XL2-00", "version": "1.0", "items": {"14": "1000", "15": "2500"}},
            "5": {"model": "XA1-00", "version": "1.02"}}})")));
        ChangeLog log(dir.filePath(QStringLiteral("log.jsonl")));
        f.session.changeLog = &log;
        f.quickTimeOuts();
        f.connectOn(1);
        answerDialogs(file);
        f.window.mnuFilesOpen_Click();
        f.session.traffic.clear();
        f.window.cmdDownload_Click();
        const QStringList wire = f.wire();
        QCOMPARE(commandsTo(wire, QStringLiteral("1")),
                 (QStringList{"G1", "I1", "D1", "G1", "I2"}));
        QCOMPARE(commandsTo(wire, QStringLiteral("3")),
                 (QStringList{"G3", "I1", "D1", "G3", "I2"}));
        // The card of the file's model takes the file's values.
        QVERIFY(commandsTo(wire, QStringLiteral("5")).contains(QStringLiteral("I14")));
        QCOMPARE(f.rack->itemValue(3, 14), QStringLiteral("1000"));
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].title, QStringLiteral("Downloading"));
        const QStringList lines = f.messages[0].informative.split(QLatin1Char('\n'));
        QVERIFY(lines.contains(
            QStringLiteral("Slot 1: the rack has XA1-00, the file XD1-K: not written")));
        QVERIFY(lines.contains(
            QStringLiteral("Slot 3: the rack has XL2-00, the file XEA1-P: not written")));
        QVERIFY(lines.contains(
            QStringLiteral("Slot 2: the select was refused (no card there?), nothing written")));
        QStringList notWritten;
        for (const ChangeEntry &e : ReadChangeLog(log.path()).valueOr({}).entries)
            if (e.result == ChangeResult::NotWritten)
                notWritten << QString::number(e.slot);
            else
                QCOMPARE(e.slot, 5); // nothing but the matching card was written
        QCOMPARE(notWritten.mid(0, 3), (QStringList{"1", "2", "3"}));
    }

    // Cancel ends the download after the write in progress; the message says
    // which slots were written, and the link stays.
    void cancelEndsAfterTheCurrentWrite()
    {
        AppFixture f;
        f.connectAndUpload();
        int commands = 0;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &e) {
            // The first command to card 3: slots 1 and 2 are written.
            if (e.command.startsWith("G3") && commands == 0) {
                commands = int(f.session.traffic.entries().size());
                f.window.loading()->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
            }
        });
        f.window.cmdDownload_Click();
        // The write to card 3 that was under way finished (select, item, data).
        QCOMPARE(int(f.session.traffic.entries().size()), commands + 2);
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].text, QStringLiteral("Downloading cancelled after slot 2.\n"
                                                    "Written: slots 1 to 2.\n"
                                                    "Slot 3 may be partly written."));
        QVERIFY(f.session.state.IsConnected);
        QVERIFY(f.window.loading()->isHidden());
        QVERIFY(f.enabled("cmdDownload"));
        // The Cancel belonged to that download: the next one runs whole.
        f.messages.clear();
        f.session.traffic.clear();
        f.window.cmdDownload_Click();
        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.wire().contains(QStringLiteral("G16")));
    }

    // The adapter is pulled while the warning is up: once the download has
    // ended, the window shows the dead link with the communication error.
    void portLostWhileTheWarningShows()
    {
        AppFixture f;
        f.connectAndUpload();
        f.rack->setCardFaults(1, {.refuse = true, .onlyItem = 13});
        Messages::setHandler(
            [&f](Messages::Icon, const QString &title, const QString &text, const QString &) {
                f.messages.append({Messages::Icon::None, title, text});
                if (title == QLatin1String("Downloading"))
                    qobject_cast<MemoryPort *>(f.session.line.port())->fail(QStringLiteral("gone"));
            });
        f.window.cmdDownload_Click();
        QCOMPARE(f.messages.size(), 2);
        QCOMPARE(f.messages[1].title, QStringLiteral("Test of communication"));
        QVERIFY(!f.session.state.IsConnected);
        QVERIFY(!f.enabled("cmdDownload"));
    }

    // Open, Save, Connect and Download during an upload do nothing at all.
    void gateRefusesOtherCommandsDuringUpload()
    {
        AppFixture f;
        f.connectOn(1);
        QDir dir = QDir::temp();
        answerDialogs(dir.filePath(QStringLiteral("never.uJx")));
        int commands = 0;
        bool menusOff = false;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            if (++commands != 25)
                return;
            menusOff =
                !f.window.findChild<QAction *>(QStringLiteral("mnuFilesOpen"))->isEnabled() &&
                !f.window.findChild<QAction *>(QStringLiteral("mnuFilesSave"))->isEnabled();
            f.window.mnuFilesOpen_Click();
            f.window.mnuFilesSave_Click();
            f.window.mnuConnectConnect_Click();
            f.window.cmdDownload_Click();
        });
        f.window.cmdUpload_Click();
        QVERIFY(menusOff);
        QCOMPARE(dialogs, 0);
        QVERIFY(f.messages.isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!f.wire().contains(QStringLiteral("D"))); // no download write with empty data
        QCOMPARE(f.session.cards[16].ModelName, QStringLiteral("XD1A")); // upload ran to its end
        QVERIFY(f.window.findChild<QAction *>(QStringLiteral("mnuFilesOpen"))->isEnabled());
    }

    // Upload, save, open again: every slot comes back as it was saved.
    void saveAndOpenRoundTrip()
    {
        AppFixture f;
        f.connectAndUpload();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rack.uJx"));
        answerDialogs(path);
        f.window.mnuFilesSave_Click();
        QVERIFY(f.messages.isEmpty());
        const CardTable saved = f.session.cards;
        f.window.ResetCardTable();
        f.window.mnuFilesOpen_Click();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(ParameterFileText(f.session.cards), ParameterFileText(saved));
        QCOMPARE(f.window.overview()->lblInputType(1)->text(), QStringLiteral("K(CA)"));
        QVERIFY(!f.window.overview()->lblCardType(12)->isEnabled());
        QVERIFY(f.enabled("cmdDownload"));
    }

    // A failed or cancelled open leaves table, overview and selection alone.
    void failedOpenChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: the dialog is cancelled
        QTest::addColumn<QString>("message");
        QTest::newRow("cancel") << QByteArray() << "";
        QTest::newRow("too few lines")
            << QByteArray("\"XA1-00\",\"1.0\"\r\n") << "bad.uJx, line 1: ";
        QByteArray bad;
        QFile sample(QStringLiteral(V9_TEST_DATA "/rack33.uJx"));
        QVERIFY(sample.open(QIODevice::ReadOnly));
        bad = sample.readAll();
        bad.replace(bad.indexOf("\r\n") - 1, 1, "x"); // line 1's limit is no integer
        QTest::newRow("bad integer") << bad << "bad.uJx, line 1: ";
    }
    void failedOpenChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        AppFixture f;
        f.connectAndUpload();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.uJx"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        answerDialogs(content.isNull() ? QString() : path);
        const CardTable before = f.session.cards;
        const QString row1 = f.window.overview()->lblCardType(1)->text();
        f.window.mnuFilesOpen_Click();
        QCOMPARE(dialogs, 1);
        if (message.isEmpty()) {
            QVERIFY(f.messages.isEmpty());
        } else {
            QCOMPARE(f.messages.size(), 1);
            QCOMPARE(f.messages[0].icon, Messages::Icon::None);
            QCOMPARE(f.messages[0].title, QStringLiteral("V9CON"));
            QVERIFY2(f.messages[0].text.contains(message), qPrintable(f.messages[0].text));
        }
        QCOMPARE(ParameterFileText(f.session.cards), ParameterFileText(before));
        QCOMPARE(f.window.overview()->lblCardType(1)->text(), row1);
    }

    // A text the format cannot hold is refused before anything is written.
    void saveRefusesAQuoteAndKeepsTheOldFile()
    {
        AppFixture f;
        f.connectAndUpload();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rack.uJx"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old contents\r\n");
        old.close();
        answerDialogs(path);
        f.session.cards[5].ModelName = QStringLiteral("XA1-\"00");
        f.window.mnuFilesSave_Click();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].title, QStringLiteral("Save Error"));
        QVERIFY(f.messages[0].text.contains(QStringLiteral("Card 5")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old contents\r\n"));
    }

    // Opened without a rack, Download stays off; once connected it is there.
    void openWithoutARack()
    {
        AppFixture f;
        answerDialogs(QStringLiteral(V9_TEST_DATA "/rack33.uJx"));
        f.window.mnuFilesOpen_Click();
        QVERIFY(f.messages.isEmpty());
        QVERIFY(f.session.cards[1].ModelKind != 99);
        QVERIFY(!f.enabled("cmdDownload"));
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cboCardNo"))->currentText(),
                 QStringLiteral("00"));
    }
};

QTEST_MAIN(TestDownload)
#include "test_download.moc"
