// Start-up, connect and disconnect of the main window against the simulator.
#include "app/frmcomport.h"
#include "app/options.h"
#include "appfixture.h"
#include "files/parameterfile.h"
#include "files/savefile.h"
#include "link/memoryport.h"
#include "monitor/frmoverview.h"
#include "ui/commandstates.h"
#include "ui/csvsavedialog.h"
#include "ui/filedialogs.h"
#include "ui/lampshape.h"
#include "ui/slotlistdelegate.h"
#include "ui/vbcolor.h"
#include "v9version.h"
#include "views/frmtraffic.h"
#include "views/frmtrend.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <functional>

namespace {

// COM ports that cannot be opened, for the failed-open path.
class BrokenPorts final : public PortProvider
{
public:
    std::unique_ptr<LinkPort> create(int comNo) override
    {
        auto p = std::make_unique<MemoryPort>(describe(comNo));
        p->setOpenError(QStringLiteral("/dev/ttyS1: Permission denied"));
        return p;
    }
    QString describe(int comNo) const override
    {
        return QStringLiteral("/dev/ttyS%1").arg(comNo - 1);
    }
};

const char *const kLockedWhenIdle[] = {"cmdUpload", "cmdDownload", "cmdStart", "cmdStop",
                                       "cmdComSet"};

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

Q_DECLARE_METATYPE(CommandInputs)

class TestApp : public QObject
{
    Q_OBJECT

    static quint32 lamp(const AppFixture &f)
    {
        return f.find<LampShape>(QStringLiteral("shpLamp"))->fillColor();
    }
    static QString text(const AppFixture &f, const char *name)
    {
        return f.find<QLabel>(QLatin1String(name))->text();
    }
    static QAction *action(const AppFixture &f, const char *name)
    {
        return f.window.findChild<QAction *>(QLatin1String(name));
    }
    void verifyDisconnected(const AppFixture &f)
    {
        QCOMPARE(lamp(f), VbColor::Navy);
        QCOMPARE(text(f, "lblConStatus"), QStringLiteral("Disconnected"));
        QCOMPARE(text(f, "lblComPortNo"), QString());
        QVERIFY(action(f, "mnuConnectConnect")->isEnabled());
        QVERIFY(!action(f, "mnuConnectDisconnect")->isEnabled());
        QVERIFY(!f.session.state.IsConnected);
        QVERIFY(!f.session.line.isOpen());
        QVERIFY(!f.session.line.isIntervalTimerActive());
        for (const char *name : kLockedWhenIdle)
            QVERIFY2(!f.enabled(name), name);
    }

private slots:
    // Which commands each state of the program offers; "fields" means the
    // editors' boxes take typing.
    void commandStates_data()
    {
        QTest::addColumn<CommandInputs>("in");
        QTest::addColumn<QString>("enabled");
        const auto state = [](std::function<void(CommandInputs &)> set) {
            CommandInputs in;
            set(in);
            return in;
        };
        const auto link = [](CommandInputs &in) { in.connected = in.portOpen = true; };
        const auto uploaded = [link](CommandInputs &in) {
            link(in);
            in.uploaded = in.downloadable = in.tableComplete = in.tableLoaded = true;
            in.cardDownloadable = true;
        };
        QTest::newRow("start-up") << CommandInputs{} << "overView connectMenu connect files fields";
        QTest::newRow("connected")
            << state(link) << "upload restore ether overView connectMenu disconnect files fields";
        QTest::newRow("file opened on the link")
            << state([link](CommandInputs &in) {
                   link(in), in.downloadable = in.tableComplete = in.tableLoaded = true;
               })
            << "upload restore download ether overView connectMenu disconnect files save report "
               "fields";
        // A table that is not the whole rack is looked at and reported, not
        // written back or saved.
        QTest::newRow("upload cancelled")
            << state([link](CommandInputs &in) { link(in), in.uploaded = in.tableLoaded = true; })
            << "upload restore start ether comSet overView connectMenu disconnect files report "
               "fields";
        QTest::newRow("uploaded")
            << state(uploaded)
            << "upload restore download start ether comSet overView connectMenu "
               "disconnect files save report fields";
        QTest::newRow("analog card shown")
            << state([uploaded](CommandInputs &in) {
                   uploaded(in), in.selectedCardNo = 3, in.formType = FormType::Analog;
               })
            << "upload restore download start ether comSet overView cardUp cardDown connectMenu "
               "disconnect files save report fields";
        QTest::newRow("pulse card shown")
            << state([uploaded](CommandInputs &in) {
                   uploaded(in), in.selectedCardNo = 10, in.formType = FormType::Pulse;
               })
            << "upload restore download start ether comSet overView cardUp cardDown connectMenu "
               "disconnect files save report fields";
        // Another rack on the line since the table's upload: its cards may
        // be read, not written.
        QTest::newRow("card of an earlier link's table")
            << state([link](CommandInputs &in) {
                   link(in), in.tableComplete = in.tableLoaded = true, in.selectedCardNo = 3,
                             in.formType = FormType::Analog;
               })
            << "upload restore ether overView cardUp connectMenu disconnect files save report "
               "fields";
        QTest::newRow("discrete card shown") << state([uploaded](CommandInputs &in) {
            uploaded(in), in.selectedCardNo = 11, in.formType = FormType::Discrete;
        })
                                             << "upload restore download start ether comSet "
                                                "overView connectMenu disconnect files save "
                                                "report fields";
        // A restore writes to the rack: not while another operation holds it.
        QTest::newRow("download running") << state([uploaded](CommandInputs &in) {
            uploaded(in), in.running = QStringLiteral("Download");
        }) << "connectMenu disconnect";
        QTest::newRow("transfer running") << state([uploaded](CommandInputs &in) {
            uploaded(in), in.running = QStringLiteral("Upload card"), in.selectedCardNo = 3,
                          in.formType = FormType::Analog;
        }) << "connectMenu disconnect";
        QTest::newRow("live read of the card shown") << state([uploaded](CommandInputs &in) {
            uploaded(in), in.running = kLiveReadOperation, in.selectedCardNo = 3,
                          in.formType = FormType::Analog;
        }) << "connectMenu disconnect fields";
        QTest::newRow("monitoring") << state([uploaded](CommandInputs &in) {
            uploaded(in), in.monitoring = true, in.running = QStringLiteral("Monitoring");
        }) << "stop connectMenu disconnect";
        QTest::newRow("Stop pressed, read not yet back") << state([uploaded](CommandInputs &in) {
            uploaded(in), in.running = QStringLiteral("Monitoring");
        }) << "connectMenu disconnect";
        QTest::newRow("port died under an operation")
            << state([uploaded](CommandInputs &in) { uploaded(in), in.portOpen = false; })
            << "overView connectMenu disconnect files save report fields";
        QTest::newRow("disconnected") << state([](CommandInputs &in) {
            in.afterDisconnect = true, in.selectedCardNo = 3, in.formType = FormType::Analog;
        }) << "connectMenu connect files";
        QTest::newRow("settings window open")
            << state([uploaded](CommandInputs &in) { uploaded(in), in.dialogOpen = true; })
            << "overView disconnect files save report fields";
    }
    void commandStates()
    {
        QFETCH(CommandInputs, in);
        QFETCH(QString, enabled);
        const CommandStates c = CommandStatesFor(in);
        const std::pair<const char *, bool> all[] = {
            {"upload", c.upload},
            {"restore", c.restore},
            {"download", c.download},
            {"start", c.start},
            {"stop", c.stop},
            {"ether", c.ether},
            {"comSet", c.comSet},
            {"overView", c.overView},
            {"cardUp", c.cardUpload},
            {"cardDown", c.cardDownload},
            {"connectMenu", c.connectMenu},
            {"connect", c.connect},
            {"disconnect", c.disconnect},
            {"files", c.files},
            {"save", c.save},
            {"report", c.report},
            {"fields", c.fieldsEditable},
        };
        QStringList on;
        for (const auto &[name, state] : all)
            if (state)
                on << QLatin1String(name);
        QCOMPARE(on, enabled.split(QLatin1Char(' ')));
    }

    void cleanup()
    {
        SaveFileFault::set(SaveFileFault::Step::None);
        FileDialogs::setHandler({});
        CsvSaveDialog::setHandler({});
        frmTrend::setSaveHandler({});
    }

    // At start-up and after a Disconnect that had nothing to end, the
    // disconnected state. Connect on COM2: its reads, the port's settings
    // and what the window shows. An adapter pulled while nothing runs: the
    // window shows the truth at once, with one message; a reconnect works,
    // and our own close is no failure.
    void connectUnplugAndDisconnect()
    {
        AppFixture f;
        verifyDisconnected(f);
        QVERIFY(f.enabled("cboCardNo") && f.enabled("cmdOverView"));
        QVERIFY(f.find<QWidget>(QStringLiteral("fraCmd"))->isHidden());
        QVERIFY(!f.window.overview()->parentWidget()->isHidden());
        f.window.mnuConnectDisconnect_Click();
        verifyDisconnected(f);

        f.connectOn(2);
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.wire(), (QStringList{"G00", "I40", "G00", "I04"}));
        QCOMPARE(qobject_cast<MemoryPort *>(f.session.line.port())->settings(),
                 QStringLiteral("1200,n,8,1"));
        QCOMPARE(text(f, "lblComPortNo"), QStringLiteral("COM2"));
        QCOMPARE(text(f, "lblConStatus"), QStringLiteral("Connected"));
        QCOMPARE(lamp(f), VbColor::LampGreen);
        QVERIFY(f.enabled("cmdUpload") && !f.enabled("cmdDownload") && !f.enabled("cmdStart"));
        QVERIFY(!action(f, "mnuConnectConnect")->isEnabled());
        QVERIFY(action(f, "mnuConnectDisconnect")->isEnabled());
        QVERIFY(!f.find<QWidget>(QStringLiteral("fraCmd"))->isHidden()); // a V9-XS1 card

        qobject_cast<MemoryPort *>(f.session.line.port())
            ->fail(QStringLiteral("Device disappeared from the system"));
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].title, QStringLiteral("Test of communication"));
        QCOMPARE(f.messages[0].informative,
                 QStringLiteral("COM2 (simulated rack)\nDevice disappeared from the system"));
        verifyDisconnected(f);
        f.connectOn(1);
        QCOMPARE(text(f, "lblConStatus"), QStringLiteral("Connected"));
        action(f, "mnuConnectDisconnect")->trigger();
        verifyDisconnected(f);
        QCOMPARE(f.messages.size(), 1);
    }

    // Another communication card, or one that answers "40" but not "04":
    // connected, no Ethernet commands. A silent rack, or a port that cannot
    // be opened: one message saying where and why, and not connected.
    void connectOutcomes_data()
    {
        QTest::addColumn<QString>("informative"); // empty: connected
        QTest::addColumn<QStringList>("wire");
        QTest::newRow("V9-XC1") << "" << QStringList();
        QTest::newRow("item 04 silent") << "" << QStringList();
        // Four attempts, each stopped at the card select.
        QTest::newRow("silent rack")
            << "COM2 (simulated rack)" << QStringList{"G00", "G00", "G00", "G00"};
        QTest::newRow("port cannot be opened")
            << "COM2 (/dev/ttyS1)\n/dev/ttyS1: Permission denied" << QStringList();
    }
    void connectOutcomes()
    {
        QFETCH(QString, informative);
        const QString row = QString::fromLatin1(QTest::currentDataTag());
        AppFixture f;
        if (row == QLatin1String("V9-XC1"))
            f.rack->setCommCard(QStringLiteral("V9-XC1"), QStringLiteral("1.00"));
        else if (row == QLatin1String("item 04 silent"))
            f.rack->setCardFaults(0, {.silent = true, .onlyItem = 4});
        else if (row == QLatin1String("silent rack"))
            f.rack->setFaults({.silent = true});
        else
            f.session.ports = std::make_unique<BrokenPorts>();
        f.connectOn(2);
        if (informative.isEmpty()) {
            QVERIFY(f.messages.isEmpty());
            QCOMPARE(text(f, "lblConStatus"), QStringLiteral("Connected"));
            QVERIFY(f.find<QWidget>(QStringLiteral("fraCmd"))->isHidden());
            QVERIFY(f.enabled("cmdUpload"));
            return;
        }
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon, Messages::Icon::Exclamation);
        QCOMPARE(f.messages[0].title, QStringLiteral("Test of communication"));
        QCOMPARE(f.messages[0].text,
                 QStringLiteral("Communication error. Check the signal conditioner, cable "
                                "and/or COM port setting."));
        QCOMPARE(f.messages[0].informative, informative);
        QTEST(f.wire(), "wire");
        verifyDisconnected(f);
        QVERIFY(!f.enabled("cboCardNo")); // the disconnect locks the commands
    }

    // View > Traffic opens one traffic window; an editor's Trend button and
    // View > Trend open a trend of a card with values.
    void viewWindows()
    {
        AppFixture f;
        f.connectOn(1);
        f.window.cmdUpload_Click();
        action(f, "mnuViewTraffic")->trigger();
        action(f, "mnuViewTraffic")->trigger();
        QCOMPARE(f.window.findChildren<QWidget *>(QStringLiteral("frmTraffic")).size(), 1);
        f.find<QComboBox>(QStringLiteral("cboCardNo"))->setCurrentText(QStringLiteral("02"));
        f.window.findChild<QWidget *>(QStringLiteral("frmSetModel"))
            ->findChild<QAbstractButton *>(QStringLiteral("cmdTrend"))
            ->click();
        QList<QWidget *> trends = f.window.findChildren<QWidget *>(QStringLiteral("frmTrend"));
        QCOMPARE(trends.size(), 1);
        QVERIFY(trends[0]->windowTitle().contains(QStringLiteral("XD2-K")));
        auto *menu = f.window.findChild<QMenu *>(QStringLiteral("mnuViewTrend"));
        emit menu->aboutToShow();
        QVERIFY(action(f, "mnuViewTrend_10"));  // the pulse card
        QVERIFY(!action(f, "mnuViewTrend_11")); // a discrete card has no values to plot
        action(f, "mnuViewTrend_10")->trigger();
        QCOMPARE(f.window.findChildren<QWidget *>(QStringLiteral("frmTrend")).size(), 2);
    }

    void comPortDialog()
    {
        AppFixture f; // records the messages, keeps the settings to the test
        SerialPortProvider ports;
        ports.map(3, QStringLiteral("/dev/ttyUSB0"));
        frmComPort dialog(5, ports);
        auto *opt5 = dialog.findChild<QRadioButton *>(QStringLiteral("optCom_5"));
        QVERIFY(opt5->isChecked());
        QCOMPARE(dialog.findChild<QRadioButton *>(QStringLiteral("optCom_3"))->toolTip(),
                 QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblDevice_3"))->text(),
                 QStringLiteral("/dev/ttyUSB0"));
        auto *device = dialog.findChild<QComboBox *>(QStringLiteral("cboDevice"));
        QCOMPARE(device->currentText(), QStringLiteral("/dev/ttyS4"));
        device->setEditText(QStringLiteral("/dev/pts/9")); // typed by the operator
        dialog.findChild<QAbstractButton *>(QStringLiteral("cmdOK"))->click();
        QCOMPARE(dialog.comPortNo(), 5);
        QCOMPARE(ports.describe(5), QStringLiteral("/dev/pts/9"));

        frmComPort outOfRange(12, ports);
        QVERIFY(outOfRange.findChild<QRadioButton *>(QStringLiteral("optCom_1"))->isChecked());

        // A serial device server instead of a device: an empty host is
        // refused with the dialog left open; an IPv6 address goes in
        // brackets; a COM number leading to a server shows it when chosen,
        // another offers the last one connected to.
        frmComPort::rememberNetworkPort(QStringLiteral("tcp://10.1.2.3:4001"));
        frmComPort net(2, ports);
        auto *network = net.findChild<QGroupBox *>(QStringLiteral("fraNetwork"));
        auto *host = net.findChild<QLineEdit *>(QStringLiteral("txtHost"));
        QVERIFY(!network->isChecked());
        QCOMPARE(host->text(), QStringLiteral("10.1.2.3"));
        network->setChecked(true);
        QVERIFY(!net.findChild<QComboBox *>(QStringLiteral("cboDevice"))->isEnabled());
        host->clear();
        net.findChild<QAbstractButton *>(QStringLiteral("cmdOK"))->click();
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(net.result() != QDialog::Accepted);
        host->setText(QStringLiteral(" fe80::1 "));
        net.findChild<QSpinBox *>(QStringLiteral("txtTcpPort"))->setValue(2217);
        net.findChild<QRadioButton *>(QStringLiteral("optRfc2217"))->click();
        net.findChild<QAbstractButton *>(QStringLiteral("cmdOK"))->click();
        QCOMPARE(ports.describe(2), QStringLiteral("rfc2217://[fe80::1]:2217"));
        frmComPort again(2, ports);
        QVERIFY(again.findChild<QGroupBox *>(QStringLiteral("fraNetwork"))->isChecked());
        QCOMPARE(again.findChild<QLineEdit *>(QStringLiteral("txtHost"))->text(),
                 QStringLiteral("fe80::1"));
        QVERIFY(again.findChild<QRadioButton *>(QStringLiteral("optRfc2217"))->isChecked());
    }

    // Every window that saves a file, on a disk that fills up: the old file
    // stays, and the operator hears which file was not saved.
    void failedSavesKeepTheOldFile_data()
    {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<Messages::Icon>("icon");
        QTest::addColumn<QString>("title");
        QTest::newRow("parameter file") << "file" << Messages::Icon::None << "Save Error";
        QTest::newRow("traffic CSV") << "traffic" << Messages::Icon::Critical << "Traffic";
        QTest::newRow("trend CSV") << "trend" << Messages::Icon::Critical << "Save As";
    }
    void failedSavesKeepTheOldFile()
    {
        QFETCH(QString, writer);
        AppFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.csv"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old\r\n");
        old.close();
        FileDialogs::setHandler([&](FileDialogs::Mode) { return path; });
        CsvSaveDialog::setHandler([&](const QString &) { return path; });
        frmTrend::setSaveHandler([&](QWidget *, const QString &) { return path; });
        SaveFileFault::set(SaveFileFault::Step::Flush, QStringLiteral("No space left on device"));
        if (writer == QLatin1String("file")) {
            f.connectAndUpload();
            f.window.mnuFilesSave_Click();
        } else if (writer == QLatin1String("traffic")) {
            frmTraffic w(f.session.traffic);
            w.cmdSaveAs_Click();
        } else {
            frmTrend w(f.session.live, 3, QStringLiteral("XD2-K"));
            w.cmdSaveAs_Click();
        }
        QCOMPARE(f.messages.size(), 1);
        QTEST(f.messages[0].icon, "icon");
        QTEST(f.messages[0].title, "title");
        QVERIFY2(f.messages[0].text.contains(QDir::toNativeSeparators(path)) &&
                     f.messages[0].text.endsWith(QStringLiteral("No space left on device")),
                 qPrintable(f.messages[0].text));
        QCOMPARE(contents(path), QByteArray("old\r\n"));
    }

    // What the next start finds again: the port that connected last, and a
    // file saved without an extension, which gets ".uJx": the title names
    // it, the recent files list it, the dialogs start in its folder.
    void rememberedForTheNextStart()
    {
        isolateSettings();
        QSettings().clear();
        const auto clear = qScopeGuard([] { QSettings().clear(); });
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("rack.uJx"));
        {
            AppFixture f;
            f.connectOn(3);
            QCOMPARE(f.find<QLabel>(QStringLiteral("lblPort"))->text(),
                     QStringLiteral("COM3 (simulated rack)"));
            f.window.cmdUpload_Click();
            FileDialogs::setHandler([&](FileDialogs::Mode) { return dir.filePath("rack"); });
            f.window.mnuFilesSave_Click();
            QVERIFY(QFileInfo(saved).isFile());
            QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("rack"))));
            QCOMPARE(f.window.windowTitle(), QStringLiteral("V9CON - rack.uJx"));
        }
        AppFixture g;
        QCOMPARE(g.session.state.ComPortNo, 3);
        QCOMPARE(FileDialogs::recentFiles(), QStringList{QFileInfo(saved).absoluteFilePath()});
        QCOMPARE(FileDialogs::lastFolder(), QFileInfo(saved).absolutePath());
        QCOMPARE(FileDialogs::withDefaultSuffix(QStringLiteral("a.txt"), QStringLiteral("uJx")),
                 QStringLiteral("a.txt"));
    }

    // The selector's list names each slot's model; an empty slot says so.
    void cardSelector()
    {
        AppFixture f;
        f.connectAndUpload();
        auto *cbo = f.find<QComboBox>(QStringLiteral("cboCardNo"));
        QCOMPARE(cbo->itemData(5, SlotListDelegate::ModelRole).toString(),
                 QStringLiteral("XA1-00"));
        QVERIFY(cbo->itemData(12, SlotListDelegate::ModelRole).toString().isEmpty());
        cbo->setCurrentText(QStringLiteral("12"));
        QCOMPARE(f.window.statusBar()->currentMessage(), QStringLiteral("Slot 12 holds no card."));
    }

    // Open first puts the selector on "00", so the editor shown until then
    // stores its boxes into the table that goes, never into the new one.
    void openStoresTheEditorIntoTheOldTable()
    {
        AppFixture f;
        QTemporaryDir dir;
        CardTable t;
        ResetCardTable(t);
        ClassifyCard(t, 1, QStringLiteral("XD1-K"));
        QVERIFY(t[1].Form == FormType::Analog);
        t[1].par(1).Value = QStringLiteral("10");
        const QString first = dir.filePath(QStringLiteral("first.uJx"));
        QCOMPARE(WriteParameterFile(t, first).reason(), QString());
        t[1].par(1).Value = QStringLiteral("-50");
        const QString second = dir.filePath(QStringLiteral("second.uJx"));
        QCOMPARE(WriteParameterFile(t, second).reason(), QString());
        QString chosen = first;
        FileDialogs::setHandler([&](FileDialogs::Mode) { return chosen; });

        f.window.mnuFilesOpen_Click();
        auto *cbo = f.find<QComboBox>(QStringLiteral("cboCardNo"));
        cbo->setCurrentText(QStringLiteral("01"));
        auto *box = f.find<QLineEdit>(QStringLiteral("txtZScale01"));
        QCOMPARE(box->text(), QStringLiteral("10"));
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("777"));
        QCOMPARE(box->text(), QStringLiteral("777")); // typed, not yet stored

        chosen = second;
        f.window.mnuFilesOpen_Click();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(cbo->currentText(), QStringLiteral("00"));
        cbo->setCurrentText(QStringLiteral("02"));
        QCOMPARE(f.session.cards[1].par(1).Value, QStringLiteral("-50"));
    }

    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("simulate");
        QTest::addColumn<QString>("rack");
        QTest::addColumn<QString>("com3");
        auto row = [](const char *tag, const QStringList &args, bool ok, bool simulate,
                      const char *rack, const char *com3) {
            QTest::newRow(tag) << args << ok << simulate << QString::fromLatin1(rack)
                               << QString::fromLatin1(com3);
        };
        row("none", {}, true, false, "", "");
        row("simulate", {"--simulate"}, true, true, "", "");
        row("simulate file", {"--simulate", "r.json"}, true, true, "r.json", "");
        row("com", {"--com", "3=/dev/pts/4"}, true, false, "", "/dev/pts/4");
        row("com=", {"--com=3=/dev/ttyUSB0", "--simulate"}, true, true, "", "/dev/ttyUSB0");
        row("com 9", {"--com", "9=/dev/x"}, false, false, "", "");
        row("com no device", {"--com", "3="}, false, false, "", "");
        row("com network", {"--com", "3=rfc2217://[fe80::1]:2217"}, true, false, "",
            "rfc2217://[fe80::1]:2217");
        row("com network without port", {"--com", "3=tcp://10.1.2.3"}, false, false, "", "");
        row("com unknown scheme", {"--com", "3=telnet://h:23"}, false, false, "", "");
        row("unknown", {"--fast"}, false, false, "", "");
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        QFETCH(bool, simulate);
        QFETCH(QString, rack);
        QFETCH(QString, com3);
        const AppOptions o = parseOptions(args);
        QCOMPARE(o.error.isEmpty(), ok);
        if (!ok)
            return;
        QCOMPARE(o.simulate, simulate);
        QCOMPARE(o.rackFile, rack);
        QCOMPARE(o.comDevices.value(3), com3);
    }

    // Help, version and a usage error need no display: a script or a
    // package check runs them where there is none.
    void helpWithoutDisplay()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name));
        const auto run = [&env](const QString &arg) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(V9CON), {arg});
            p.waitForFinished(10000);
            return std::tuple(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                              QString::fromLocal8Bit(p.readAllStandardOutput()),
                              QString::fromLocal8Bit(p.readAllStandardError()));
        };
        const auto [help, helpOut, helpErr] = run(QStringLiteral("--help"));
        QVERIFY2(help == 0 && helpOut == usageText(), qPrintable(helpErr));
        const auto [version, versionOut, versionErr] = run(QStringLiteral("--version"));
        QVERIFY2(version == 0 && versionOut == QStringLiteral("v9con " V9_VERSION "\n"),
                 qPrintable(versionErr));
        const auto [wrong, wrongOut, wrongErr] = run(QStringLiteral("--fast"));
        QVERIFY2(wrong == 2 && wrongErr.endsWith(usageText()), qPrintable(wrongErr));
    }

    // The first dialog opens in the documents folder, never the current
    // one (the program's own when installed); then in the last file's
    // folder while it is there.
    void dialogsStartInDocuments()
    {
        isolateSettings();
        QSettings().clear();
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            if (!oldConfig.isNull())
                qputenv("XDG_CONFIG_HOME", oldConfig);
            QSettings().clear();
        });
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_CONFIG_HOME");
        const QString documents = home.filePath(QStringLiteral("Documents"));

        QCOMPARE(FileDialogs::lastFolder(), documents);
        QVERIFY(QFileInfo(documents).isDir());
        const QString racks = home.filePath(QStringLiteral("racks"));
        QVERIFY(QDir().mkpath(racks));
        FileDialogs::remember(racks + QStringLiteral("/a.uJx"));
        QCOMPARE(FileDialogs::lastFolder(), racks);
        QVERIFY(QDir(racks).removeRecursively());
        QCOMPARE(FileDialogs::lastFolder(), documents);
        // No documents folder can be made: home.
        QVERIFY(QDir(documents).removeRecursively());
        QFile blocker(documents);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(FileDialogs::lastFolder(), home.path());
    }

    // The settings of releases that named no organisation are taken over
    // once, into an empty store; the old file stays.
    void oldSettingsAreTakenOver()
    {
        QTemporaryDir dir;
        for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, dir.path());
        const QString app = QCoreApplication::applicationName();
        const QString organisation = QCoreApplication::organizationName();
        const auto restore = qScopeGuard([&] {
            QCoreApplication::setApplicationName(app);
            QCoreApplication::setOrganizationName(organisation);
            isolateSettings();
        });
        QCoreApplication::setApplicationName(QStringLiteral("V9CON"));
        QCoreApplication::setOrganizationName(QString());
        const QStringList recent{QStringLiteral("/racks/a.uJx")};
        {
            QSettings old; // where those releases wrote
            old.setValue(QStringLiteral("port/last"), 3);
            old.setValue(QStringLiteral("files/recent"), recent);
        }

        setUpSettings();
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("V9CON"));
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("port/last")).toInt(), 3);
        QCOMPARE(settings.value(QStringLiteral("files/recent")).toStringList(), recent);
        settings.setValue(QStringLiteral("port/last"), 5);
        settings.sync();
        setUpSettings();
        QCOMPARE(QSettings().value(QStringLiteral("port/last")).toInt(), 5);
        const QSettings old(QStringLiteral("Unknown Organization"), QStringLiteral("V9CON"));
        QCOMPARE(old.value(QStringLiteral("port/last")).toInt(), 3);
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
