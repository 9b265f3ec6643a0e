// Upload of all cards from the simulated demo rack, through the main
// window's own command, checked against command sequences written out by hand.
#include "appfixture.h"
#include "monitor/frmoverview.h"
#include "sim/rackloader.h"
#include "ui/filedialogs.h"
#include "ui/frmloading.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

// The commands addressed to one card: from its first select to the next
// select of another card.
QStringList segment(const QStringList &wire, const QString &card)
{
    const QString select = QLatin1Char('G') + card;
    qsizetype i = wire.indexOf(select, 15); // past the communication card's part
    QStringList out;
    for (; i >= 0 && i < wire.size(); ++i) {
        if (wire[i].startsWith(QLatin1Char('G')) && wire[i] != select)
            break;
        out << wire[i];
    }
    return out;
}

std::unique_ptr<SimulatedRack> rackWithSlots(const QByteArray &slotJson)
{
    auto rack =
        LoadRack(QByteArray(R"({"comm": {"model": "V9-XC1", "version": "2.00"}, "slots": {)") +
                 slotJson + "}}");
    if (!rack)
        qFatal("bad test rack: %s", qPrintable(rack.reason()));
    return std::move(*rack);
}

} // namespace

Q_DECLARE_METATYPE(SimFaults)

class TestUpload : public QObject
{
    Q_OBJECT

    // Late replies fall inside the guard after a time-out.
    static constexpr int kLineTimeout = 60;
    static constexpr int kLineGuard = 10;

    static void upload(AppFixture &f)
    {
        f.connectOn(1);
        QVERIFY(f.session.state.IsConnected);
        f.session.traffic.clear();
        f.find<QPushButton>(QStringLiteral("cmdUpload"))->click();
    }

private slots:
    void commCardPart()
    {
        AppFixture f;
        upload(f);
        const QStringList wire = f.wire();
        QCOMPARE(wire.mid(0, 15), expandSteps("00", "R4 R40 W1=F W41=847 W1=0 R6"));
        QCOMPARE(f.find<QLabel>(QStringLiteral("lblMasterType"))->text(),
                 QStringLiteral("V9-XS1-A"));
        QCOMPARE(f.find<QLabel>(QStringLiteral("lblVersionNo"))->text(), QStringLiteral("V1.05"));
    }

    void cardSequences_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("steps");
        auto row = [](const char *tag, const char *card, const char *steps) {
            QTest::newRow(tag) << QString::fromLatin1(card) << QString::fromLatin1(steps);
        };
        // One-channel thermocouple, firmware 1.x: limit function read last.
        row("TC 1ch", "1", "W1=1 R2 R40 R13 R14 R11 R12 R19 R20 W9=0 R6 R8 R37");
        // Two-channel thermocouple, firmware 0.x: two burnouts, no limit read.
        row("TC 2ch fw0", "2",
            "W1=1 R2 R40 R16 R17 R12 R13 R28 R29 R18 R19 R14 R15 R30 R31 W9=0 W9=1 R6 R8");
        row("RTD kind 28", "3", "W1=1 R2 R40 R13 R14 R11 R12 R21 R22 W9=0 R6 R8");
        row("transformer 2ch", "8",
            "W1=1 R2 R40 R16 R17 R12 R13 R32 R33 R37 R18 R19 R14 R15 R34 R35 R38");
        row("transformer 1ch", "9", "W1=1 R2 R40 R13 R14 R11 R12 R21 R22 R24");
        row("discrete 4", "11", "W1=1 R2 R40 R10 R11 R12 R13");
        row("discrete 16", "13",
            "W1=1 R2 R40 R10 R11 R12 R13 R14 R15 R16 R17 R18 R19 R20 R21 R22 R23 R24 R25");
        row("unknown code", "15", "W1=1 R2");
        row("empty slot", "12", "");
    }
    void cardSequences()
    {
        QFETCH(QString, card);
        QFETCH(QString, steps);
        AppFixture f;
        upload(f);
        QCOMPARE(segment(f.wire(), card), expandSteps(card, steps));
    }

    void unitTableAfterUpload()
    {
        AppFixture f;
        upload(f);
        QVERIFY(f.messages.isEmpty());
        const CardTable &t = f.session.cards;
        QCOMPARE(t[1].par(2).Value, QStringLiteral("12000"));
        QCOMPARE(t[1].InputType, 1); // K(CA)
        QCOMPARE(t[1].Limit, LimitState::On);
        QCOMPARE(t[2].Limit, LimitState::NotAvailable); // firmware 0.95
        QCOMPARE(t[2].Burnout, (std::array<QString, 2>{QStringLiteral("1"), QStringLiteral("0")}));
        QCOMPARE(t[3].Limit, LimitState::Off);
        QCOMPARE(t[4].Unit, TempUnit::Fahrenheit);
        QCOMPARE(t[8].AuxSetting, (std::array<int, 2>{1, 2}));
        QCOMPARE(t[10].par(8).Value, QStringLiteral("2500"));
        QCOMPARE(t[10].par(3).Value, QStringLiteral("NEEDLESS")); // item -1 is stored as answered
        // 0005: channels 1 and 3 on.
        QCOMPARE((QStringList{t[11].ChData[0], t[11].ChData[1], t[11].ChData[2], t[11].ChData[3]}),
                 (QStringList{"1", "0", "1", "0"}));
        QCOMPARE(t[15].ModelName, QStringLiteral("ZZ9-00"));
        QCOMPARE(t[15].ModelKind, 99);
    }

    void overviewRows_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("status");
        QTest::addColumn<quint32>("statusColour");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("inputType");
        QTest::addColumn<bool>("discrete");
        QTest::addColumn<bool>("typeEnabled");
        auto row = [](const char *tag, int card, const char *type, const char *status,
                      quint32 colour, const char *version, const char *input, bool discrete) {
            QTest::newRow(tag) << card << QString::fromLatin1(type) << QString::fromLatin1(status)
                               << colour << QString::fromLatin1(version)
                               << QString::fromLatin1(input) << discrete
                               << (QLatin1String(type) != QLatin1String("NONE"));
        };
        row("TC", 1, "XD1-K", "IN", 0xC00000u, "V1.20", "K(CA)", false);
        row("RTD F", 4, "XE2-P", "IN", 0xC00000u, "V1.10", "Pt100JIS'89", false);
        row("pulse", 10, "XL2-0", "IN", 0xC00000u, "V1.01", "", false);
        row("empty", 12, "NONE", "", 0x80000004u, "", "", false);
        row("DI 16", 13, "XG16-0", "IN", 0xC00000u, "V1.00", "", true);
        row("DO 16", 14, "XH16-0", "OUT", 0x0000C0u, "V1.00", "", true);
        row("unknown", 15, "NONE", "", 0x80000004u, "", "", false);
        row("IN/OUT", 16, "XD1A", "IN/OUT", 0x80000012u, "V1.30", "T(CC)", false);
    }
    void overviewRows()
    {
        QFETCH(int, card);
        QFETCH(QString, type);
        QFETCH(QString, inputType);
        QFETCH(bool, discrete);
        AppFixture f;
        upload(f);
        frmOverView *o = f.window.overview();
        QCOMPARE(o->lblCardType(card)->text(), type);
        QTEST(o->lblCardType(card)->isEnabled(), "typeEnabled");
        QTEST(o->lblCardStatus(card)->text(), "status");
        QTEST(o->lblCardStatus(card)->property("ForeColor").toUInt(), "statusColour");
        QTEST(o->lblCardVerNo(card)->text(), "version");
        QCOMPARE(o->lblInputType(card)->text(), inputType);
        QCOMPARE(o->lblInputDataCh1(card)->isHidden(), discrete);
        QCOMPARE(o->lblInputDataCh2(card)->isHidden(), discrete);
        for (int ch = 1; ch <= 16; ++ch)
            QCOMPARE(o->lblDIDataCh(ch, card)->isHidden(), !discrete);
        // Activation (coming back from a card window) rewrites type and
        // input type from the table as the Upload showed them.
        o->Form_Activate();
        QCOMPARE(o->lblCardType(card)->text(), type);
        QCOMPARE(o->lblInputType(card)->text(), inputType);
    }

    void progressRunsFromZeroToSixteen()
    {
        AppFixture f;
        f.connectOn(1);
        QProgressBar *bar = f.window.loading()->progressBar();
        bar->setValue(5); // a stale value from an earlier transfer
        QList<int> seen;
        QStringList captions;
        connect(bar, &QProgressBar::valueChanged, bar, [&](int v) {
            seen << v;
            captions
                << f.window.loading()->findChild<QLabel *>(QStringLiteral("lblLoading"))->text();
            if (v > 0)
                QVERIFY2(!f.window.loading()->isHidden(), qPrintable(QString::number(v)));
        });
        f.window.cmdUpload_Click();
        QCOMPARE(seen, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
        QCOMPARE(bar->maximum(), 16);
        QCOMPARE(captions.last(), QStringLiteral("Uploading"));
        QVERIFY(f.window.loading()->isHidden());
    }

    void masks_data()
    {
        QTest::addColumn<QByteArray>("slotJson");
        QTest::addColumn<QStringList>("selects");
        QTest::addColumn<QList<int>>("present");
        QTest::newRow("0000") << QByteArray() << QStringList{} << QList<int>{};
        QTest::newRow("8001") << QByteArray(R"("1": {"model": "XA1-00", "version": "1.0"},
                                                "16": {"model": "XC2-00", "version": "1.0"})")
                              << QStringList{"G1", "G16"} << QList<int>{1, 16};
    }
    void masks()
    {
        QFETCH(QByteArray, slotJson);
        QFETCH(QStringList, selects);
        QFETCH(QList<int>, present);
        AppFixture f(rackWithSlots(slotJson));
        upload(f);
        QVERIFY(f.messages.isEmpty());
        QStringList cardSelects;
        for (const QString &c : f.wire())
            if (c.startsWith(QLatin1Char('G')) && c != QLatin1String("G00") &&
                !cardSelects.contains(c))
                cardSelects << c;
        QCOMPARE(cardSelects, selects);
        for (int i = 1; i <= 16; ++i) {
            const bool here = present.contains(i);
            QCOMPARE(f.window.overview()->lblCardType(i)->text() != QLatin1String("NONE"), here);
            QCOMPARE(f.session.cards[i].ModelKind != 99, here);
        }
    }

    void cardFallingSilentEndsTheUpload()
    {
        AppFixture f;
        SimFaults silent;
        silent.silent = true;
        f.rack->setCardFaults(5, silent);
        f.quickTimeOuts();
        upload(f);
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon, Messages::Icon::Critical);
        QCOMPARE(f.messages[0].title, QStringLiteral("Uploading"));
        QCOMPARE(f.messages[0].text, QStringLiteral("Uploading incomplete"));
        // Under it: where. The model is not known yet when item 2 gets no answer.
        QCOMPARE(f.messages[0].informative,
                 QStringLiteral("COM1 (simulated rack)\nSlot 5, item 2: no answer"));
        QVERIFY(!f.session.state.IsConnected);
        QVERIFY(!f.session.line.isOpen());
        QVERIFY(f.window.loading()->isHidden());
        // The rows read before the silent card stay; the rest are reset.
        QCOMPARE(f.session.cards[4].ModelName, QStringLiteral("XE2-P"));
        QCOMPARE(f.window.overview()->lblCardType(4)->text(), QStringLiteral("XE2-P"));
        QCOMPARE(f.session.cards[6].ModelName, QStringLiteral("NONE"));
        QCOMPARE(f.window.overview()->lblCardType(6)->text(), QString());
        // The link is gone, so nothing may offer a transfer until the next connect.
        for (const char *name : {"cmdUpload", "cmdDownload", "cmdStart", "cmdComSet", "cmdEther"})
            QVERIFY2(!f.enabled(name), name);
        QCOMPARE(f.find<QLabel>(QStringLiteral("lblConStatus"))->text(),
                 QStringLiteral("Disconnected"));
    }

    // Faults the upload must end on, and ones it must ride over.
    void faultsOfOneItem_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<SimFaults>("faults");
        QTest::addColumn<QString>("mask"); // forced mask text, "" for the real one
        QTest::addColumn<bool>("completes");
        QTest::newRow("card always late")
            << 5 << SimFaults{.lateMs = kLineTimeout + kLineGuard / 2} << "" << false;
        QTest::newRow("garbled mask") << 0 << SimFaults{} << "G0!" << false;
        QTest::newRow("refused item-9 write")
            << 1 << SimFaults{.refuse = true, .onlyItem = 9} << "" << false;
        QTest::newRow("silent limit item 37")
            << 1 << SimFaults{.silent = true, .onlyItem = 37} << "" << true;
    }
    void faultsOfOneItem()
    {
        QFETCH(int, slot);
        QFETCH(SimFaults, faults);
        QFETCH(QString, mask);
        QFETCH(bool, completes);
        AppFixture f;
        // Late replies meet a pause between commands, as in the product.
        f.session.line.setTiming({kLineTimeout, faults.lateMs ? 2 : 0, kLineGuard});
        f.rack->setCardFaults(slot, faults);
        if (!mask.isEmpty())
            QVERIFY(f.rack->setItemValue(0, 6, mask));
        upload(f);
        QCOMPARE(f.session.state.IsConnected, completes);
        if (completes) {
            QVERIFY(f.messages.isEmpty());
            QCOMPARE(f.session.cards[16].ModelName, QStringLiteral("XD1A"));
            return;
        }
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].text, QStringLiteral("Uploading incomplete"));
        // Nothing that belongs to another command was stored for the card.
        if (slot > 0)
            for (int i = slot; i <= 16; ++i)
                QVERIFY(f.session.cards[i].ModelName == QLatin1String("NONE") ||
                        f.session.cards[i].ModelName == f.rack->itemValue(i, 2));
        if (!mask.isEmpty())
            QVERIFY(!f.wire().contains(QStringLiteral("G1")));
    }

    // Escape and the close box leave the progress window up and the upload
    // running; Cancel ends it after the transaction in progress, with the
    // link and what was read kept. The detail line says where it is.
    void progressWindowHoldsUntilCancel()
    {
        AppFixture f;
        f.rack->setCardFaults(3, {.silent = true, .onlyItem = 40});
        f.quickTimeOuts();
        f.connectOn(1);
        frmLoading *progress = f.window.loading();
        QStringList details;
        int commands = 0;
        int commandsAtCancel = -1;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            ++commands;
            const QString detail =
                progress->findChild<QLabel *>(QStringLiteral("lblDetail"))->text();
            if (details.isEmpty() || details.last() != detail)
                details << detail;
            if (commands == 30) {
                QTest::keyClick(progress, Qt::Key_Escape);
                progress->close();
            }
            // The second try of item 40 on slot 3: cancel during it.
            if (commandsAtCancel < 0 && detail.endsWith(QStringLiteral("try 2 of 4"))) {
                QVERIFY(progress->isVisible());
                QVERIFY(f.session.gate.busy());
                progress->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
                commandsAtCancel = commands;
            }
        });
        f.window.cmdUpload_Click();
        QVERIFY(details.contains(QStringLiteral("Slot 2 of 16: XD2-K")));
        QVERIFY(details.contains(QStringLiteral("Slot 3 of 16: %1 \u2014 no answer, try 2 of 4")
                                     .arg(f.rack->itemValue(3, 2))));
        QVERIFY(commandsAtCancel > 0);
        // The silent transaction made no attempt after the Cancel, and
        // nothing followed it: the select, the model, two tries of item 40.
        const QStringList wire = f.wire();
        QCOMPARE(wire.mid(wire.size() - 2), (QStringList{"G3", "I40"}));
        QCOMPARE(wire.count(QStringLiteral("G3")), 4);
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].title, QStringLiteral("Uploading"));
        QCOMPARE(f.messages[0].text, QStringLiteral("Uploading cancelled after slot 2."));
        QVERIFY(f.session.state.IsConnected);
        QVERIFY(f.window.loading()->isHidden());
        QCOMPARE(f.session.cards[2].ModelName, QStringLiteral("XD2-K"));
        QVERIFY(f.enabled("cmdUpload"));
        // A half-read table is neither written back nor saved as whole, and
        // its report says where it came from, that it is incomplete and
        // which slot was half read.
        QVERIFY(!f.enabled("cmdDownload"));
        QVERIFY(!f.find<QAction>(QStringLiteral("mnuFilesSave"))->isEnabled());
        QTemporaryDir dir;
        const QString report = dir.filePath(QStringLiteral("report.html"));
        FileDialogs::setHandler([&](FileDialogs::Mode) { return report; });
        f.find<QAction>(QStringLiteral("mnuFilesReport"))->trigger();
        FileDialogs::setHandler({});
        QFile html(report);
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QByteArray text = html.readAll();
        QVERIFY(text.contains("COM1 (simulated rack)"));
        QVERIFY(text.contains("upload cancelled after slot 2"));
        QVERIFY(text.contains("partly read"));

        // The Cancel belonged to that upload: the next one reads every slot.
        f.rack->setCardFaults(3, {});
        f.messages.clear();
        f.session.traffic.clear();
        f.window.cmdUpload_Click();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.wire().count(QStringLiteral("I2")), 15);
        QVERIFY(f.enabled("cmdDownload"));
        QVERIFY(f.find<QAction>(QStringLiteral("mnuFilesSave"))->isEnabled());
    }

    void disconnectDuringUpload()
    {
        AppFixture f;
        f.connectOn(1);
        int commands = 0;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            if (++commands == 40)
                QTimer::singleShot(0, &f.window, [&f] { f.window.mnuConnectDisconnect_Click(); });
        });
        f.window.cmdUpload_Click();
        // The upload failed at once through its normal exit, without retries.
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].text, QStringLiteral("Uploading incomplete"));
        QVERIFY(commands <= 41);
        QVERIFY(!f.session.line.isOpen());
        QVERIFY(!f.session.state.IsConnected);
        QVERIFY(f.window.loading()->isHidden());
        QVERIFY(!f.enabled("cmdUpload"));
    }

    // Must stay last: it ends the application's event loop.
    void exitDuringUpload()
    {
        AppFixture f;
        f.connectOn(1);
        int commands = 0;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            if (++commands == 60)
                QTimer::singleShot(0, &f.window, [&f] { f.window.mnuFilesEnd_Click(); });
        });
        bool uploadReturned = false;
        // Should Exit never end the loop, fail rather than hang.
        QTimer::singleShot(10000, &f.window, [] { QCoreApplication::exit(1); });
        QTimer::singleShot(0, &f.window, [&] {
            f.window.cmdUpload_Click();
            uploadReturned = true;
        });
        const int rc = QApplication::exec();
        QCOMPARE(rc, 0);
        QVERIFY(uploadReturned);
        QVERIFY(f.session.quitting);
        QVERIFY(!f.session.line.isOpen());
        QVERIFY(f.messages.isEmpty()); // shutting down is no upload failure to report
        QVERIFY(commands < 70);
        QVERIFY(f.window.loading()->isHidden());
    }
};

QTEST_MAIN(TestUpload)
#include "test_upload.moc"
