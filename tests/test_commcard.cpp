// The communication card windows frmEther and frmComm on the simulated demo
// rack (Ethernet card V9-XS1-A), driven through their own buttons.
#include "appfixture.h"
#include "commcard/frmcomm.h"
#include "commcard/frmether.h"
#include "link/memoryport.h"
#include "scriptedrack.h"
#include "sim/simcommcard.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>

namespace {

// "R59" reads item 59 of card 00, "W1=F" writes F to item 1.
QStringList seq(const QString &steps)
{
    return expandSteps(QStringLiteral("00"), steps);
}

template <typename Dialog> std::unique_ptr<Dialog> makeDialog(AppFixture &f)
{
    return std::make_unique<Dialog>(
        f.session, f.window.commandLock(), [&f] { f.window.connection().DisconnectComCard(); },
        &f.window);
}

std::unique_ptr<CommCardDialog> makeDialog(AppFixture &f, const QString &name)
{
    if (name == QLatin1String("frmEther"))
        return makeDialog<frmEther>(f);
    return makeDialog<frmComm>(f);
}

// Shows the window and waits until its opening read has ended.
bool opened(QDialog &d)
{
    d.show();
    auto *exit = d.findChild<QPushButton *>(QStringLiteral("cmdExit"));
    return QTest::qWaitFor([exit] { return exit->isEnabled(); }, 10000);
}

QString text(QDialog &d, const QString &name)
{
    if (auto *box = d.findChild<QLineEdit *>(name))
        return box->text();
    return d.findChild<QLabel *>(name)->text();
}

void click(QDialog &d, const char *name)
{
    d.findChild<QPushButton *>(QLatin1String(name))->click();
}

bool enabled(QDialog &d, const char *name)
{
    return d.findChild<QWidget *>(QLatin1String(name))->isEnabled();
}

} // namespace

class TestCommCard : public QObject
{
    Q_OBJECT

private slots:
    // The opening read fills the boxes, Download writes them back. A linger
    // time the card refuses or lacks (firmware before 0.04) shows empty and
    // is not written, so the address can still be changed.
    void etherDownload_data()
    {
        QTest::addColumn<bool>("oldFirmware");
        QTest::addColumn<int>("refusedItem");
        QTest::addColumn<QStringList>("lingers");
        QTest::addColumn<QString>("lingerWrites");
        QTest::newRow("all answered")
            << false << -1 << QStringList{"10", "10", "0", "0"} << "W71=10 W72=10 W73=0 W74=0";
        QTest::newRow("firmware 0.03") << true << -1 << QStringList{"", "", "", ""} << "";
        QTest::newRow("linger 2 CNG")
            << false << 72 << QStringList{"10", "", "0", "0"} << "W71=10 W73=0 W74=0";
    }
    void etherDownload()
    {
        QFETCH(bool, oldFirmware);
        QFETCH(int, refusedItem);
        QFETCH(QStringList, lingers);
        QFETCH(QString, lingerWrites);
        AppFixture f;
        if (oldFirmware)
            f.rack->setCommCard(QStringLiteral("V9-XS1-A"), QStringLiteral("0.03"));
        f.rack->setCardFaults(0, {.refuse = refusedItem > 0, .onlyItem = refusedItem});
        f.connectOn(1);
        f.session.traffic.clear();
        auto d = makeDialog<frmEther>(f);
        QVERIFY(opened(*d));
        QCOMPARE(f.wire(), seq("R40 W1=1 R59 R60 R57 W1=F R58 W1=1 R61 R62 R63 R64 "
                               "R71 R72 R73 R74"));
        // The other boxes show what was read: Download writes them back.
        QCOMPARE(text(*d, QStringLiteral("lblMac_0")), QStringLiteral("00-1B-2C"));
        QCOMPARE(text(*d, QStringLiteral("lblMac_1")), QStringLiteral("3D-4E-5F"));
        QVERIFY(f.enabled("cmdUpload"));
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(text(*d, QStringLiteral("txtTimeout_%1").arg(n)), lingers.at(n - 1));
        d->findChild<QLineEdit *>(QStringLiteral("txtIP_0"))->setText(QStringLiteral("20"));
        d->findChild<QLineEdit *>(QStringLiteral("txtPort_3"))->setText(QStringLiteral("7003"));
        f.session.traffic.clear();
        QSignalSpy summary(d.get(), &CommCardDialog::downloaded);
        click(*d, "cmdDown");
        QCOMPARE(f.wire(), seq("R40 W1=1 W59=192.168.0.20 W60=255.255.255.0 W61=5001 W62=5002 "
                               "W63=7003 W64=5004 " +
                               lingerWrites));
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(summary.value(0).value(0).toString(),
                 QStringLiteral("Download complete: Ethernet settings written"));
        QCOMPARE(f.rack->itemValue(0, 59), QStringLiteral("192.168.0.20"));
        QCOMPARE(f.rack->itemValue(0, 63), QStringLiteral("7003"));
    }

    // Closing the failure message activates the window again; that must not
    // read again and bring the next message.
    void etherFailedReadReportsOnce()
    {
        AppFixture f;
        f.connectOn(1);
        f.rack->setCardFaults(0, {.silent = true, .onlyItem = 62});
        f.session.traffic.clear();
        auto d = makeDialog<frmEther>(f);
        QVERIFY(opened(*d));
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon, Messages::Icon::Critical);
        QCOMPARE(f.messages[0].text, QStringLiteral("Uploading incomplete"));
        QCOMPARE(f.find<QLabel>(QStringLiteral("lblConStatus"))->text(),
                 QStringLiteral("Disconnected"));
        QCOMPARE(text(*d, QStringLiteral("txtPort_1")), QStringLiteral("5001"));
        QCOMPARE(f.wire().count(QStringLiteral("I62")), 4);
        QVERIFY(!f.wire().contains(QStringLiteral("I63")));

        const std::size_t sent = f.session.traffic.entries().size();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(d.get(), &activate);
        d->hide();
        d->show();
        QTest::qWait(50);
        QCOMPARE(f.session.traffic.entries().size(), sent);
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(enabled(*d, "cmdExit") && !f.enabled("cmdUpload"));
    }

    // A bad entry in either window is named and nothing is written; the
    // windows stay usable.
    void badEntryWritesNothing_data()
    {
        QTest::addColumn<QString>("box"); // txtTimeout is frmComm's, the others frmEther's
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("message");
        const QString octet = QStringLiteral("Please enter 0 to 255 in %1, box %2 from the left.");
        auto row = [](const char *entry, const char *box, const QString &message) {
            QTest::newRow(*entry ? entry : box)
                << QString::fromLatin1(box) << QString::fromLatin1(entry) << message;
        };
        row("256", "txtIP_3", octet.arg("IP Address").arg(1));
        row("1e2", "txtSNM_1", octet.arg("Subnet Mask").arg(3));
        row("CNG", "txtIP_0", octet.arg("IP Address").arg(4));
        row("70000", "txtPort_2", QStringLiteral("Please enter 1 to 65535 in Port2."));
        row("0", "txtPort_1", QStringLiteral("Please enter 1 to 65535 in Port1."));
        row("1.5", "txtTimeout_3", QStringLiteral("Please enter digits only in Linger 3."));
        row("", "txtSNM_2", QStringLiteral("Please enter number in Subnet Mask."));
        row("", "txtTimeout", QStringLiteral("Please enter number in TimeOut Box."));
    }
    void badEntryWritesNothing()
    {
        QFETCH(QString, box);
        QFETCH(QString, entry);
        QFETCH(QString, message);
        AppFixture f;
        f.connectOn(1);
        auto d = makeDialog(f, box == QLatin1String("txtTimeout") ? "frmComm" : "frmEther");
        QVERIFY(opened(*d));
        d->findChild<QLineEdit *>(box)->setText(entry);
        f.session.traffic.clear();
        click(*d, "cmdDown");
        QCOMPARE(f.wire(), seq("R40"));
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon, Messages::Icon::Information);
        QCOMPARE(f.messages[0].text, message);
        QVERIFY(enabled(*d, "cmdDown") && enabled(*d, "cmdExit") && f.enabled("cmdUpload"));
    }

    void etherTypingChecks()
    {
        AppFixture f;
        f.connectOn(1);
        auto d = makeDialog<frmEther>(f);
        QVERIFY(opened(*d));
        auto *port = d->findChild<QLineEdit *>(QStringLiteral("txtPort_4"));
        port->clear();
        QTest::keyClicks(port, QStringLiteral("50000"));
        QVERIFY(f.messages.isEmpty());

        auto *octet = d->findChild<QLineEdit *>(QStringLiteral("txtIP_2"));
        octet->clear();
        QTest::keyClicks(octet, QStringLiteral("256"));
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].text, QStringLiteral("Please enter 0 to 255."));
        octet->setCursorPosition(1);
        QTest::keyClick(octet, '1');
        QCOMPARE(octet->text(), QStringLiteral("215"));
        QCOMPARE(octet->cursorPosition(), 2);
        QCOMPARE(f.messages.size(), 1);

        octet->setText(QStringLiteral("168"));
        click(*d, "cmdDown");
        QCOMPARE(f.rack->itemValue(0, 64), QStringLiteral("50000"));
        QCOMPARE(f.messages.size(), 1);
    }

    // A typed point moves on to the next box of the address; an address
    // pasted into any box fills its four boxes, a bad paste changes none.
    void etherOctetBoxesTakeAnAddress_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("shown"); // first octet first; empty: as before
        auto row = [](const char *name, const char *box, bool paste, const char *input,
                      const char *shown) {
            QTest::newRow(name) << QString::fromLatin1(box) << paste << QString::fromLatin1(input)
                                << QString::fromLatin1(shown);
        };
        row("typed", "txtIP_3", false, "172.16.5.7.", "172.16.5.7");
        row("pasted", "txtIP_1", true, "10.1.2.3", "10.1.2.3");
        row("pasted into the mask", "txtSNM_0", true, " 255.255.0.0", "255.255.0.0");
        row("three parts", "txtIP_2", true, "10.1.2", "");
        row("octet above 255", "txtSNM_3", true, "10.1.2.256", "");
    }
    void etherOctetBoxesTakeAnAddress()
    {
        QFETCH(QString, box);
        QFETCH(bool, paste);
        QFETCH(QString, input);
        QFETCH(QString, shown);
        AppFixture f;
        f.connectOn(1);
        auto d = makeDialog<frmEther>(f);
        QVERIFY(opened(*d));
        QVERIFY(QTest::qWaitForWindowActive(d.get()));
        const QString row = box.left(box.indexOf(QLatin1Char('_')) + 1);
        const auto address = [&] {
            QStringList octets;
            for (int i = 3; i >= 0; --i)
                octets << text(*d, row + QString::number(i));
            return octets.join(QLatin1Char('.'));
        };
        const QString before = address();
        auto *e = d->findChild<QLineEdit *>(box);
        e->setFocus();
        e->selectAll();
        if (paste) {
            QGuiApplication::clipboard()->setText(input);
            QTest::keySequence(e, QKeySequence::Paste);
        } else {
            // Each key goes where the focus is, as the operator's keys do.
            for (const QChar c : input)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        }
        QCOMPARE(address(), shown.isEmpty() ? before : shown);
        QVERIFY(f.messages.isEmpty());
    }

    // Silence is a lost link; a refusal is the card's answer: the link stays
    // and the operator learns how far the change got. Either way the writes
    // stop at the failed one, after its four attempts.
    void writeRefusedOrSilent_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("message");
        const QString ether = QStringLiteral("frmEther"), comm = QStringLiteral("frmComm");
        QTest::newRow("silent") << ether << true << 62 << "Downloading incomplete";
        QTest::newRow("refused") << ether << false << 62
                                 << "The card refused Port2.\n"
                                    "Already written: IP Address, Subnet Mask, Port1.";
        QTest::newRow("refused first")
            << ether << false << 59 << "The card refused IP Address.\nNothing was written.";
        QTest::newRow("time-out silent") << comm << true << 9 << "Downloading incomplete";
        QTest::newRow("time-out refused")
            << comm << false << 9 << "The card refused TimeOut.\nNothing was written.";
    }
    void writeRefusedOrSilent()
    {
        QFETCH(QString, window);
        QFETCH(bool, silent);
        QFETCH(int, item);
        QFETCH(QString, message);
        AppFixture f;
        f.connectOn(1);
        auto d = makeDialog(f, window);
        QVERIFY(opened(*d));
        f.rack->setCardFaults(0, {.silent = silent, .refuse = !silent, .onlyItem = item});
        f.session.traffic.clear();
        click(*d, "cmdDown");
        const QRegularExpression failed(QStringLiteral("^I0?%1$").arg(item));
        QCOMPARE(f.wire().filter(failed).size(), 4);
        QVERIFY(failed.match(f.wire().filter(QRegularExpression(QStringLiteral("^I"))).last())
                    .hasMatch());
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon,
                 silent ? Messages::Icon::Critical : Messages::Icon::Exclamation);
        QCOMPARE(f.messages[0].title, QStringLiteral("Downloading"));
        QCOMPARE(f.messages[0].text, message);
        QCOMPARE(f.find<QLabel>(QStringLiteral("lblConStatus"))->text(),
                 silent ? QStringLiteral("Disconnected") : QStringLiteral("Connected"));
        QCOMPARE(f.enabled("cmdUpload"), !silent);
        QVERIFY(enabled(*d, "cmdDown"));
    }

    void commCannotSetLeavesOnlyExit_data()
    {
        QTest::addColumn<bool>("unused");
        QTest::newRow("CNG") << false;
        QTest::newRow("NEEDLESS") << true;
    }
    void commCannotSetLeavesOnlyExit()
    {
        QFETCH(bool, unused);
        AppFixture f;
        f.connectOn(1);
        if (unused) {
            // The simulated card uses item 09; this far end says it does not.
            auto port = std::make_unique<MemoryPort>();
            QVERIFY(port->open(LineSettings{.baud = 9600}).isEmpty());
            auto *far = new ScriptedRack(port.get());
            far->setResponder([&f](const QByteArray &cmd) -> QList<Chunk> {
                return {{0, cmd == "I09\r" ? QByteArray("CNU\r") : f.rack->handle(cmd)}};
            });
            QVERIFY(f.session.line.attachPort(std::move(port)));
        } else {
            f.rack->setTimeoutRefused(true);
        }
        f.session.traffic.clear();
        auto d = makeDialog<frmComm>(f);
        QVERIFY(opened(*d));
        QCOMPARE(f.wire(), seq("R40 W1=1 R09"));
        auto *line = d->findChild<QLabel *>(QStringLiteral("Label3"));
        QVERIFY(line->isVisible());
        QCOMPARE(line->text(), QStringLiteral("This card type/version can't set this parameter."));
        QVERIFY(!enabled(*d, "txtTimeout") && !enabled(*d, "cmdUp") && !enabled(*d, "cmdDown"));
        QVERIFY(f.messages.isEmpty() && f.enabled("cmdUpload"));
        click(*d, "cmdExit");
        QVERIFY(!d->isVisible());
    }

    // What the operator types is sent, clamped to the card's range.
    void commDownloadClamps_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent");
        auto row = [](const char *typed, const char *sent) {
            QTest::newRow(typed) << QString::fromLatin1(typed) << QString::fromLatin1(sent);
        };
        row("40000", "32767");
        row("0", "0");
        row("123456789012345678901", "32767"); // too many digits
        row("0050", "0050");
        row("1a-2", "12"); // only digits get in
    }
    void commDownloadClamps()
    {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        AppFixture f;
        f.connectOn(1);
        auto d = makeDialog<frmComm>(f);
        QVERIFY(opened(*d));
        QCOMPARE(text(*d, QStringLiteral("txtTimeout")), QStringLiteral("300"));
        auto *box = d->findChild<QLineEdit *>(QStringLiteral("txtTimeout"));
        box->clear();
        QTest::keyClicks(box, typed);
        f.session.traffic.clear();
        QSignalSpy summary(d.get(), &CommCardDialog::downloaded);
        click(*d, "cmdDown");
        QCOMPARE(f.wire(), seq(QStringLiteral("R40 W1=1 W09=") + sent));
        QCOMPARE(text(*d, QStringLiteral("txtTimeout")), sent);
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(summary.value(0).value(0).toString(),
                 QStringLiteral("Download complete: time-out %1 written").arg(sent));
    }

    // Ethernet Setting opens frmEther modally, the Connect menu off while it
    // is open and on again after. (Setting and frmComm: the session test.)
    void etherOpenedFromTheMainWindow()
    {
        AppFixture f;
        f.connectAndUpload();
        QString shown;
        bool connectMenuOff = false;
        auto *connectMenu = f.find<QMenu>(QStringLiteral("mnuConnect"));
        f.onModal([&](QWidget *dialog) {
            shown = dialog->objectName();
            connectMenuOff = !connectMenu->isEnabled();
            QTimer::singleShot(200, dialog, [dialog] {
                dialog->findChild<QPushButton *>(QStringLiteral("cmdExit"))->click();
            });
        });
        f.find<QPushButton>(QStringLiteral("cmdEther"))->click();
        QVERIFY(!f.modalTimedOut);
        QCOMPARE(shown, QStringLiteral("frmEther"));
        QVERIFY(connectMenuOff && connectMenu->isEnabled());
        QVERIFY(f.messages.isEmpty());
    }
};

QTEST_MAIN(TestCommCard)
#include "test_commcard.moc"
