// The card windows through their own buttons on the simulated demo rack:
// the card selector's dispatch, the editors' transfers written out by hand,
// the command lock around them, and the discrete view's live states.
#include "app/cardwindows.h"
#include "appfixture.h"
#include "editors/frmsetmodel.h"
#include "editors/frmsetpalsemodel.h"
#include "editors/frmshowmodel.h"
#include "exchange/cardtransfer.h"
#include "link/memoryport.h"
#include "monitor/frmoverview.h"
#include "scriptedrack.h"
#include "ui/frmloading.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>

class TestEditors : public QObject
{
    Q_OBJECT

    static void select(AppFixture &f, int card)
    {
        f.find<QComboBox>(QStringLiteral("cboCardNo"))
            ->setCurrentText(QStringLiteral("%1").arg(card, 2, 10, QLatin1Char('0')));
    }
    static frmSetModel *analog(AppFixture &f) { return f.window.cardWindows().setModel(); }
    static frmSetPalseModel *pulse(AppFixture &f) { return f.window.cardWindows().setPalseModel(); }
    // Whether the editor takes a transfer and typing into `box`.
    static bool usable(QWidget *w, const char *box)
    {
        return w->findChild<QPushButton *>(QStringLiteral("cmdUp"))->isEnabled() &&
               !w->findChild<QLineEdit *>(QLatin1String(box))->isReadOnly();
    }
    template <typename W> static QPushButton *button(W *w, const char *name)
    {
        return w->template findChild<QPushButton *>(QLatin1String(name));
    }
    // Clicks an editor button and returns the wire it caused and the
    // progress maximum it showed.
    template <typename W>
    static QStringList click(AppFixture &f, W *w, const char *name, int *max = nullptr)
    {
        f.session.traffic.clear();
        button(w, name)->click();
        if (max)
            *max = f.window.loading()->progressBar()->maximum();
        return f.wire();
    }

private slots:
    // Upload reads the card's items in the order of the boxes, the limit
    // item last; Download writes the same items with what the boxes show,
    // then reads the card back; the progress bar counts the boxes. Kinds the
    // demo rack lacks go into slot 12, the one-channel IN/OUT ones among
    // them; an item -1 goes out as it stands. "untick": the operator clears
    // the limit tick before the Download.
    void analogTransfers_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("items");
        QTest::addColumn<bool>("untick");
        const auto row = [](const char *tag, const char *insert, int card, const char *items,
                            bool untick = false) {
            QTest::newRow(tag) << QString::fromLatin1(insert) << card << QString::fromLatin1(items)
                               << untick;
        };
        row("TC 1ch limit on", "", 1, "13 14 11 12 19 20 37");
        row("TC 1ch limit off", "", 1, "13 14 11 12 19 20 37", true);
        row("TC 2ch without the limit function", "", 2, "16 17 12 13 28 29 18 19 14 15 30 31");
        row("RTD kind 28", "", 3, "13 14 11 12 21 22");
        row("transformer 2ch", "", 8, "16 17 12 13 32 33 18 19 14 15 34 35");
        row("kind 10", "XF1-0", 12, "13 14 11 12 -1 -1");
        row("IN/OUT kind 22", "XA1A", 12, "16 17 12 13 28 29");
        row("IN/OUT kind 25", "XF1A", 12, "16 17 12 13 -1 -1");
    }
    void analogTransfers()
    {
        QFETCH(QString, insert);
        QFETCH(int, card);
        QFETCH(QString, items);
        QFETCH(bool, untick);
        AppFixture f;
        if (!insert.isEmpty())
            f.rack->insertCard(card, insert, QStringLiteral("1.00"));
        f.connectAndUpload();
        select(f, card);
        frmSetModel *w = analog(f);
        QVERIFY(!w->parentWidget()->isHidden());
        const QString c = QString::number(card);
        const QStringList item = items.split(QLatin1Char(' '));
        const QString upload = QStringLiteral("W1=1 R") + item.join(QStringLiteral(" R"));
        const int boxes = int(item.size() - item.count(QStringLiteral("37")));
        int max = 0;
        QCOMPARE(click(f, w, "cmdUp", &max), expandSteps(c, upload));
        QCOMPARE(max, boxes);
        if (!insert.isEmpty())
            return;
        if (untick) {
            w->findChild<QCheckBox *>(QStringLiteral("chkLimit"))->click();
            QCOMPARE(f.session.cards[card].Limit, LimitState::Off);
        }
        QString download = QStringLiteral("W1=1");
        for (int k = 1; k <= boxes; ++k)
            download += QStringLiteral(" W%1=%2").arg(item[k - 1], w->parText(k));
        if (boxes < item.size())
            download += untick ? QStringLiteral(" W37=0") : QStringLiteral(" W37=1");
        // Download writes, then reads the card back.
        QCOMPARE(click(f, w, "cmdDown", &max), expandSteps(c, download) + expandSteps(c, upload));
        QCOMPARE(max, boxes);
        QVERIFY(f.messages.isEmpty());
        QVERIFY(button(w, "cmdUp")->isEnabled());
        QVERIFY(f.window.loading()->isHidden());
    }

    void pulseTransfers()
    {
        AppFixture f;
        f.connectAndUpload();
        select(f, 10);
        frmSetPalseModel *w = pulse(f);
        int max = 0;
        QCOMPARE(click(f, w, "cmdUp", &max), expandSteps("10", "R10 R14 R11 R15"));
        QCOMPARE(max, 4);
        w->setSpanText(1, QStringLiteral("1500"));
        w->setSpanText(2, QStringLiteral("2600"));
        QCOMPARE(click(f, w, "cmdDown", &max), expandSteps("10", "W14=1500 W15=2600"));
        QCOMPARE(max, 2);
        QCOMPARE(w->spanText(1), QStringLiteral("1500")); // nothing read back
        QCOMPARE(f.session.cards[10].par(2).Value, QStringLiteral("1500"));
        QCOMPARE(f.rack->itemValue(10, 15), QStringLiteral("2600"));
        QCOMPARE(f.window.statusBar()->currentMessage(),
                 QStringLiteral("Download complete: slot 10, 2 written"));
    }

    // A box the operator typed into is marked until a Download writes it or
    // an Upload replaces it; an Upload over it asks first, and "No" sends nothing.
    void unsentEditsMarkedAndAskedFor_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("box");
        QTest::newRow("analog") << 5 << "txtZScale01";
        QTest::newRow("pulse") << 10 << "txtSpan01";
    }
    void unsentEditsMarkedAndAskedFor()
    {
        QFETCH(int, card);
        QFETCH(QString, box);
        AppFixture f;
        f.connectAndUpload();
        select(f, card);
        QWidget *w = card == 5 ? static_cast<QWidget *>(analog(f)) : pulse(f);
        auto *e = w->findChild<QLineEdit *>(box);
        QStringList asked;
        bool yes = false;
        Messages::setQuestionHandler([&](const QString &title, const QString &text) {
            asked << title + QLatin1Char('|') + text;
            return yes;
        });
        const auto restore = qScopeGuard([] { Messages::setQuestionHandler({}); });
        const auto marked = [e] { return e->font().bold() && !e->toolTip().isEmpty(); };

        QVERIFY(!marked());
        e->selectAll();
        QTest::keyClicks(e, QStringLiteral("150"));
        QVERIFY(marked());
        QVERIFY(click(f, w, "cmdUp").isEmpty());
        QCOMPARE(asked,
                 QStringList{QStringLiteral("Upload|Slot %1 has edits not yet written to the "
                                            "card. Upload replaces them. Continue?")
                                 .arg(card)});
        QCOMPARE(e->text(), QStringLiteral("150"));
        QVERIFY(marked());

        if (card == 10) { // no read-back: a refused span stays marked
            f.rack->setCardFaults(card, {.refuse = true});
            click(f, w, "cmdDown");
            QVERIFY(marked());
            QCOMPARE(f.window.statusBar()->currentMessage(),
                     QStringLiteral("Download complete: slot 10, 0 written, 2 refused "
                                    "(Span, Ch. 1; Span, Ch. 2)"));
            f.rack->clearFaults();
        }
        QVERIFY(click(f, w, "cmdDown").contains(QStringLiteral("D150")));
        QVERIFY(!marked());
        const QString held = e->text();
        QVERIFY(!click(f, w, "cmdUp").isEmpty());
        QCOMPARE(asked.size(), 1);

        QTest::keyClicks(e, QStringLiteral("9"));
        QVERIFY(marked());
        yes = true;
        QVERIFY(!click(f, w, "cmdUp").isEmpty());
        QCOMPARE(asked.size(), 2);
        QCOMPARE(e->text(), held);
        QVERIFY(!marked());
    }

    // Download sends each box as it stands, but never a text holding a line
    // end (it would split the command); the read-back then shows what the
    // card holds, not what it refused.
    void downloadShowsWhatTheCardHolds()
    {
        AppFixture f;
        f.connectAndUpload();
        select(f, 5);
        frmSetModel *w = analog(f);
        const QString held2 = w->parText(2), held3 = w->parText(3);
        w->setParText(1, QStringLiteral("25"));
        w->setParText(2, QStringLiteral("abc")); // refused at each of four attempts
        w->setParText(3, QStringLiteral("12\r3"));
        const QStringList download = expandSteps(
            "5", QStringLiteral("W1=1 W13=25 ") + QStringLiteral("W14=abc ").repeated(4) +
                     QStringLiteral("W12=%1 W19=%2 W20=%3")
                         .arg(w->parText(4), w->parText(5), w->parText(6)));
        QCOMPARE(click(f, w, "cmdDown").mid(0, download.size()), download);
        const CardRecord &r = f.session.cards[5];
        QCOMPARE((QStringList{w->parText(1), w->parText(2), w->parText(3)}),
                 (QStringList{QStringLiteral("25"), held2, held3}));
        QCOMPARE((QStringList{r.par(1).Value, r.par(2).Value, r.par(3).Value}),
                 (QStringList{QStringLiteral("25"), held2, held3}));
    }

    // A read that gets no answer leaves box and record alone, the limit too:
    // a limit that is off stays off when item 37 does not answer.
    void failedReadsKeepTheRecord()
    {
        AppFixture f;
        f.connectAndUpload();
        f.quickTimeOuts();
        f.session.cards[1].Limit = LimitState::Off;
        select(f, 1);
        frmSetModel *w = analog(f);
        QVERIFY(!w->limitTicked());
        const CardRecord before = f.session.cards[1];
        f.rack->setCardFaults(1, {.silent = true, .onlyItem = 37});
        QCOMPARE(click(f, w, "cmdUp").count(QStringLiteral("I37")), 4);
        QVERIFY(!w->limitTicked());
        QCOMPARE(f.session.cards[1].Limit, LimitState::Off);
        f.rack->setCardFaults(1, {.silent = true});
        button(w, "cmdUp")->click();
        QCOMPARE(w->parText(2), before.par(2).Value);
        QCOMPARE(f.session.cards[1].par(2).Value, before.par(2).Value);
        // With the port gone every read fails at once: still nothing lost.
        qobject_cast<MemoryPort *>(f.session.line.port())->fail(QStringLiteral("gone"));
        emit w->uploadClicked();
        QCOMPARE(f.session.cards[1].par(2).Value, before.par(2).Value);
    }

    // The live read when a card is shown is an operation of its own: the
    // commands and the editor's buttons are off meanwhile and clicks start
    // nothing. A Disconnect inside it (a silent card) leaves the commands in
    // the disconnected state, not the one from before the read.
    void duringTheLiveRead_data()
    {
        QTest::addColumn<bool>("disconnect");
        QTest::newRow("clicks") << false;
        QTest::newRow("disconnect") << true;
    }
    void duringTheLiveRead()
    {
        QFETCH(bool, disconnect);
        AppFixture f;
        f.connectAndUpload();
        const int card = disconnect ? 5 : 1;
        if (disconnect) {
            f.quickTimeOuts();
            f.rack->setCardFaults(card, {.silent = true});
        }
        bool done = false;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &) {
            if (std::exchange(done, true))
                return;
            QVERIFY(!f.enabled("cmdUpload") && !f.enabled("cboCardNo"));
            QVERIFY(!button(analog(f), "cmdUp")->isEnabled());
            QVERIFY(!button(analog(f), "cmdDown")->isEnabled());
            if (disconnect)
                return f.window.mnuConnectDisconnect_Click();
            f.window.cmdUpload_Click();
            f.window.cmdDownload_Click();
            emit analog(f)->uploadClicked();
        });
        select(f, card);
        if (disconnect) {
            for (const char *name :
                 {"cmdUpload", "cmdDownload", "cmdStart", "cmdComSet", "cboCardNo"})
                QVERIFY2(!f.enabled(name), name);
            QVERIFY(!button(analog(f), "cmdUp")->isEnabled());
            return;
        }
        QCOMPARE(f.wire(), expandSteps("1", "R10"));
        QVERIFY(f.enabled("cmdUpload") && f.enabled("cboCardNo"));
        QVERIFY(button(analog(f), "cmdDown")->isEnabled());
        QCOMPARE(f.window.overview()->lblInputDataCh1(1)->text(),
                 analog(f)->findChild<QLineEdit *>(QStringLiteral("txtParData01"))->text());
    }

    // Switching away stores the boxes of the window shown, and only those;
    // an empty slot selects nothing, so no window's boxes reach its record.
    void switchingStoresOnlyTheShownSlots()
    {
        AppFixture f;
        f.connectAndUpload();
        select(f, 1);
        select(f, 12);
        QCOMPARE(f.session.state.SelectedCardNo, 0);
        QCOMPARE(f.find<QComboBox>(QStringLiteral("cboCardNo"))->currentText(),
                 QStringLiteral("00"));
        f.window.cmdUpload_Click();
        select(f, 3);
        QCOMPARE(f.session.cards[12].ModelName, QStringLiteral("NONE"));
        QCOMPARE(f.session.cards[12].par(1).Value, QString());

        select(f, 10);
        pulse(f)->setSpanText(1, QStringLiteral("1234"));
        pulse(f)->setCountText(2, QStringLiteral("77"));
        const CardRecord before = f.session.cards[10];
        select(f, 0);
        const CardRecord &r = f.session.cards[10];
        QCOMPARE(r.par(2).Value, QStringLiteral("1234"));
        QCOMPARE(r.par(7).Value, QStringLiteral("77"));
        for (int k : {3, 4, 5, 6, 9, 10, 11, 12})
            QCOMPARE(r.par(k).Value, before.par(k).Value);

        select(f, 5); // one channel: channel 2 boxes are not its
        analog(f)->setParText(8, QStringLiteral("999"));
        select(f, 0);
        QCOMPARE(f.session.cards[5].par(8).Value, QString());
    }

    // The close box and the minimise button only hide a card window: the
    // next selection shows the same window again, whole, with the boxes
    // holding the new card's record.
    void closedWindowsComeBack()
    {
        AppFixture f;
        f.connectAndUpload();
        f.window.show();
        select(f, 1);
        const QPointer<frmSetModel> w = analog(f);
        const QPointer<QWidget> overview = f.window.overview();
        auto *sub = w->parentWidget();
        sub->close();
        overview->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w && overview);
        select(f, 2);
        QVERIFY(showsCard(f, w, 2));
        sub->showMinimized();
        select(f, 0);
        QVERIFY(overview->parentWidget()->isVisible() && overview->isVisible());
        select(f, 5);
        QVERIFY(!sub->isMinimized());
        QVERIFY(showsCard(f, w, 5));
        overview->parentWidget()->showMinimized();
        select(f, 0);
        QVERIFY(!overview->parentWidget()->isMinimized() && overview->isVisible());
    }

    // Digits typed into the selector at a typist's pace arrive while the
    // switch they cause reads the card: each goes to whatever holds the
    // focus then, and none may land in the editor the switch shows.
    void typingInTheSelectorStaysThere()
    {
        AppFixture f;
        f.connectAndUpload();
        select(f, 1);
        f.window.show();
        QApplication::setActiveWindow(&f.window);
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        auto *cbo = f.find<QComboBox>(QStringLiteral("cboCardNo"));
        cbo->setFocus();
        QVERIFY(cbo->hasFocus());
        f.session.traffic.clear();
        // All queued before the first runs, as the window system queues them.
        for (const char key : {'0', '2'})
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
                QCoreApplication::postEvent(f.window.windowHandle(),
                                            new QKeyEvent(type, Qt::Key_0 + (key - '0'),
                                                          Qt::NoModifier, QString(QChar(key))));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(cbo->currentText(), QStringLiteral("02"));
        QVERIFY(f.wire().contains(QStringLiteral("G2"))); // the live read ran
        QVERIFY(showsCard(f, analog(f), 2));
        QVERIFY(!analog(f)->hasUnsentEdits());
        QCOMPARE(QApplication::focusWidget(), cbo);
    }

    // The editor reads and writes item 37 for exactly the cards whose tick
    // it shows, and those are the cards Download of all cards writes it to.
    void limitItemFollowsOneRule()
    {
        AppFixture f;
        f.connectAndUpload();
        f.window.cmdDownload_Click();
        const QStringList all = f.wire();
        int shownCount = 0;
        for (int card = 1; card <= kCardCount; ++card) {
            if (f.session.cards[card].Form != FormType::Analog)
                continue;
            select(f, card);
            const bool shown = analog(f)->limitShown();
            shownCount += shown;
            QCOMPARE(click(f, analog(f), "cmdUp").contains(QStringLiteral("I37")), shown);
            QCOMPARE(writesLimit(click(f, analog(f), "cmdDown"), card), shown);
            QCOMPARE(writesLimit(all, card), shown);
        }
        QCOMPARE(shownCount, 2); // slot 1, and slot 16 of kind 39
    }

    // An editor's buttons are on only while they can act: not for another
    // kind of card, not with the overview shown, and a click that comes
    // anyway addresses nothing. Upload and Download of all cards started with
    // a card shown, and a transfer asked for without a link, lock nothing.
    void editorButtonsOnlyWhenTheyCanAct()
    {
        AppFixture f;
        f.connectAndUpload();
        select(f, 10);
        QVERIFY(!button(analog(f), "cmdUp")->isEnabled());
        QVERIFY(button(pulse(f), "cmdUp")->isEnabled());
        select(f, 0);
        for (const char *name : {"cmdUp", "cmdDown"})
            QVERIFY(!button(analog(f), name)->isEnabled() && !button(pulse(f), name)->isEnabled());
        f.session.traffic.clear();
        emit analog(f)->uploadClicked();
        emit analog(f)->downloadClicked();
        emit pulse(f)->uploadClicked();
        emit pulse(f)->downloadClicked();
        QVERIFY(f.wire().isEmpty());

        select(f, 1);
        f.window.cmdUpload_Click();
        select(f, 1);
        QVERIFY(usable(analog(f), "txtZScale01"));
        select(f, 10);
        f.window.cmdDownload_Click();
        select(f, 10);
        QVERIFY(usable(pulse(f), "txtSpan01"));

        select(f, 1);
        f.window.mnuConnectDisconnect_Click();
        emit analog(f)->uploadClicked();
        emit analog(f)->downloadClicked();
        f.connectOn(1);
        QVERIFY(f.enabled("cboCardNo") && f.enabled("cmdOverView"));
        select(f, 0);
        select(f, 1);
        QVERIFY(usable(analog(f), "txtZScale01"));
    }

    // A thermocouple card shown after a card without base limits shows its
    // base limits again.
    void scaleLimitsFollowTheCard()
    {
        AppFixture f;
        f.connectAndUpload();
        auto *llmt = analog(f)->findChild<QLabel *>(QStringLiteral("lblZBase01_LLmt"));
        select(f, 5); // kind 0: base rows without limits
        QVERIFY(llmt->isHidden());
        select(f, 2); // J(IC) in deg C
        QVERIFY(!llmt->isHidden());
        QCOMPARE(analog(f)->findChild<QLabel *>(QStringLiteral("lblFBase02_HLmt"))->text(),
                 QStringLiteral("1200.00"));
    }

    void discreteView_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<int>("rows");
        QTest::newRow("DI 4") << 11 << 4;
        QTest::newRow("DI 16") << 13 << 16;
    }
    void discreteView()
    {
        QFETCH(int, card);
        QFETCH(int, rows);
        AppFixture f;
        f.connectAndUpload();
        f.session.traffic.clear();
        select(f, card);
        QStringList reads;
        for (int ch = 1; ch <= rows; ++ch)
            reads << QStringLiteral("R%1").arg(ch + 9);
        QCOMPARE(f.wire(), expandSteps(QString::number(card), reads.join(QLatin1Char(' '))));
        frmShowModel *w = f.window.cardWindows().showModel();
        for (int ch = 1; ch <= 16; ++ch) {
            auto *box = w->findChild<QLineEdit *>(QStringLiteral("txtChData_%1").arg(ch));
            QCOMPARE(box->isHidden(), ch > rows);
            if (ch > rows)
                continue;
            const bool on = f.session.cards[card].ChData.at(static_cast<std::size_t>(ch - 1)) ==
                            QLatin1String("1");
            QCOMPARE(box->text(), on ? QStringLiteral("ON") : QStringLiteral("OFF"));
            QCOMPARE(box->property("ForeColor").toUInt(), on ? 0x0000FFu : 0x008000u);
        }
    }

    // The live states as the card words them; a read without answer stops.
    void discreteReplies()
    {
        Session session(nullptr);
        auto port = std::make_unique<MemoryPort>();
        MemoryPort *p = port.get();
        session.line.attachPort(std::move(port));
        QVERIFY(p->open(LineSettings{}).isEmpty());
        session.line.setTiming({30, 0, 5});
        ClassifyCard(session.cards, 3, QStringLiteral("XG16-0"));
        ScriptedRack rack(p);
        const QMap<QByteArray, QByteArray> replies{
            {"I10\r", "0a:1"}, {"I11\r", "01"}, {"I12\r", "0x:10"}, {"I13\r", "0b:1"}};
        rack.setResponder([&](const QByteArray &cmd) -> QList<Chunk> {
            if (cmd.startsWith('G'))
                return {{0, "COK\r"}};
            if (!replies.contains(cmd))
                return {};
            return {{0, replies.value(cmd) + '\r'}};
        });
        QCOMPARE(ReadDiscreteStates(session, 3).states, (QList<bool>{true, true, false, true}));
        rack.commands.clear();
        session.cards[3].ChCount = 0;
        QVERIFY(ReadDiscreteStates(session, 3).states.isEmpty());
        QVERIFY(rack.commands.isEmpty());
    }

private:
    // What the operator sees of an analog card: the editor in its frame,
    // the rows every card shows, every box holding the record.
    static bool showsCard(AppFixture &f, frmSetModel *w, int card)
    {
        const CardRecord &r = f.session.cards[card];
        if (!w->parentWidget()->isVisible() || !w->isVisible() ||
            w->findChild<QLineEdit *>(QStringLiteral("txtCardNo"))->text() != QString::number(card))
            return false;
        for (const char *ch : {"01", "02"}) {
            if (ch[1] == '2' && !r.isTwoChannel())
                break;
            for (const char *row : {"txtZScale", "txtFScale", "txtBias", "txtGain"})
                if (!w->findChild<QLineEdit *>(QLatin1String(row) + QLatin1String(ch))->isVisible())
                    return false;
        }
        for (int k = 1; k <= (r.isTwoChannel() ? 12 : 6); ++k)
            if (w->parText(k) != r.par(k).Value)
                return false;
        return true;
    }

    // Whether the wire writes item 37 of the card.
    static bool writesLimit(const QStringList &wire, int card)
    {
        QString selected;
        for (qsizetype i = 0; i + 1 < wire.size(); ++i) {
            if (wire[i].startsWith(QLatin1Char('G')))
                selected = wire[i].mid(1);
            else if (wire[i] == QLatin1String("I37") && wire[i + 1].startsWith(QLatin1Char('D')) &&
                     selected == QString::number(card))
                return true;
        }
        return false;
    }
};

QTEST_MAIN(TestEditors)
#include "test_editors.moc"
