// v9con-cli: its commands in-process on a simulated rack with short
// time-outs, and the built tool run as a process where only a process
// tells (exit codes of main, Ctrl-C).
#include "cli/portsetup.h"
#include "cli/progressprinter.h"
#include "exchange/upload.h"
#include "files/csvfields.h"
#include "inprocesscli.h"
#include "link/portprovider.h"
#include "link/serialportlink.h"
#include "link/transactions.h"
#include "sim/rackloader.h"
#include "v9version.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <stdlib.h>
#endif

namespace {

struct CliRun
{
    int code = -1;
    QString out;
    QString err;
};

// A rack of five cards, the second to fourth long to transfer: Ctrl-C
// caught in the middle of slot 2 leaves slots to report as not done.
const QByteArray kSmallRack = R"({"slots": {"1": {"model": "XA1-00", "version": "1.0"},
    "2": {"model": "XD2-K", "version": "1.1"}, "3": {"model": "XD2-K", "version": "1.1"},
    "4": {"model": "XD2-K", "version": "1.1"}, "5": {"model": "XA1-00", "version": "1.0"}}})";
constexpr int kSmallRackLast = 5;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The parameter file with field `field` (1-based) of slot `slot` replaced.
QByteArray withField(const QByteArray &file, int slot, int field, const QByteArray &value)
{
    QList<QByteArray> lines = file.split('\n');
    QList<QByteArray> fields = lines[slot - 1].split(',');
    fields[field - 1] = field == 33 ? value + '\r' : '"' + value + '"';
    lines[slot - 1] = fields.join(',');
    return lines.join('\n');
}

QStringList nonEmptyLines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Standard error without the progress lines.
QStringList errorLines(const QString &err)
{
    return nonEmptyLines(err).filter(QRegularExpression(QStringLiteral("^v9con-cli: ")));
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_demoFile;  // the demo rack as `upload -o` saved it
    QString m_smallRack; // kSmallRack as a rack file for v9rack-sim
    QString m_smallFile; // and as `upload -o` saved it

    QString path(const QString &name) const { return m_dir.filePath(name); }

    CliRun cli(const QStringList &args, int timeoutMs = 60000)
    {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        p.start(QStringLiteral(V9CON_CLI), args);
        p.waitForFinished(timeoutMs);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The tool's default change log goes to this test's folder, never
        // the user's, for the tool run here and the ones started from here.
        qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
        m_demoFile = path(QStringLiteral("demo.uJx"));
        QCOMPARE(InProcess().run({"upload", "-o", m_demoFile}), 0);
        m_smallRack = path(QStringLiteral("small.json"));
        writeAll(m_smallRack, kSmallRack);
        m_smallFile = path(QStringLiteral("small.uJx"));
        InProcess small(std::move(*LoadRack(kSmallRack)));
        QCOMPARE(small.run({"upload", "-o", m_smallFile}), 0);
    }

    // The rules of the tool's own beyond what the parser checks, the rack
    // file of --simulate in each spelling scripts use, and --com N=DEVICE
    // meaning what it means to v9con in each of its spellings.
    void options_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("error"); // a part of it; empty when accepted
        QTest::addColumn<QString>("port");  // COM n opening a device, or the simulated rack
        // clang-format off
        QTest::newRow("com range") << "--com 9 show" << "from 1 to 8" << "";
        QTest::newRow("two ports") << "--port /dev/x --simulate show" << "choose one" << "";
        QTest::newRow("port late") << "show --simulate" << "before the command" << "";
        QTest::newRow("no output") << "upload" << "-o FILE" << "";
        QTest::newRow("json") << "upload -o f --json" << "show and verify" << "";
        QTest::newRow("passes") << "monitor --passes 0" << "from 1" << "";
        QTest::newRow("extra") << "show a b" << "does not take" << "";
        QTest::newRow("demo") << "--simulate show" << "" << "simulate ";
        QTest::newRow("=file") << "--simulate=r.json show" << "" << "simulate r.json";
        QTest::newRow("file") << "--simulate r.json show" << "" << "simulate r.json";
        QTest::newRow("--rack") << "--simulate --rack r.json show" << "" << "simulate r.json";
        QTest::newRow("com=device") << "--com 3=/dev/x show" << "" << "COM3 /dev/x";
        QTest::newRow("com port") << "--com 3 --port /dev/x show" << "" << "COM3 /dev/x";
        QTest::newRow("port") << "--port /dev/x show" << "" << "COM1 /dev/x";
        QTest::newRow("com") << "--com 3 show" << "" << "COM3 /dev/ttyS2";
        QTest::newRow("com no device") << "--com 3= show" << "N=DEVICE with N from 1 to 8" << "";
        QTest::newRow("com= and port") << "--com 3=/dev/x --port /dev/y show" << "drop --port" << "";
        QTest::newRow("two coms") << "--com 3 --com 4=/dev/x show" << "choose one" << "";
        // clang-format on
    }
    void options()
    {
        QFETCH(QString, args);
        QFETCH(QString, error);
        QFETCH(QString, port);
        const CliOptions o = ParseCliOptions(args.split(QLatin1Char(' ')));
        if (!error.isEmpty()) {
            QVERIFY2(o.error.contains(error), qPrintable(o.error));
            return;
        }
        QVERIFY2(o.error.isEmpty(), qPrintable(o.error));
        QCOMPARE(o.command, CliCommand::Show);
        if (o.port.kind == PortChoice::Kind::Simulate) {
            QCOMPARE(QStringLiteral("simulate ") + o.port.rackFile, port);
            return;
        }
        // The COM number the session opens and the device the ports give it.
        std::unique_ptr<SimulatedRack> rack;
        const auto ports = MakePorts(o.port, rack);
        QVERIFY2(ports, qPrintable(ports.reason()));
        const int comNo = PortNumber(o.port);
        QCOMPARE(QStringLiteral("COM%1 %2").arg(comNo).arg((*ports)->describe(comNo)), port);
    }

    // A line break inside a field is quoted too (commas and quotes: the
    // traffic window's CSV, written through the same field quoting).
    void csvFieldWithALineBreak()
    {
        QCOMPARE(CsvField(QStringLiteral("a\nb")), QStringLiteral("\"a\nb\""));
    }

    void progress_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QString>("text");
        // A shorter redraw blanks the retry it drops.
        QTest::newRow("terminal")
            << true
            << "\rUploading 0/2\rUploading 0/2  Slot 1 of 16: XD1-K"
               "\rUploading 0/2  Slot 1 of 16: XD1-K, no answer, try 2 of 3"
               "\rUploading 1/2  Slot 1 of 16: XD1-K                       \n";
        QTest::newRow("log") << false
                             << "Uploading 0/2\nSlot 1 of 16: XD1-K\n"
                                "Slot 1 of 16: XD1-K, no answer, try 2 of 3\nUploading 1/2\n";
    }
    void progress()
    {
        QFETCH(bool, terminal);
        QFETCH(QString, text);
        QString out;
        QString err;
        QTextStream o(&out);
        QTextStream e(&err);
        Console console{o, e, terminal};
        ProgressPrinter p(console);
        p.progressStarted(2, QStringLiteral("Uploading"));
        p.progressDetail(QStringLiteral("Slot 1 of 16: XD1-K"));
        p.transactionRetrying(2, 3);
        p.progressAdvanced();
        p.progressFinished();
        QCOMPARE(err, text);
    }

    // The built tool end to end: its version, and a file shown as JSON; as
    // text, parameters by the editor's caption with the raw slot and item.
    void processSmoke()
    {
        const CliRun v = cli({"--version"});
        QCOMPARE(v.code, 0);
        QCOMPARE(v.out, QStringLiteral("v9con-cli " V9_VERSION "\n"));
        const CliRun r = cli({"show", "--json", m_demoFile}, 10000);
        QCOMPARE(r.code, 0);
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray slotList = doc.object().value(QStringLiteral("slots")).toArray();
        QCOMPARE(slotList.size(), 16);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(slotList[i].toObject().value(QStringLiteral("slot")).toInt(), i + 1);
        const QJsonObject first = slotList[0].toObject();
        QCOMPARE(first.value(QStringLiteral("model")).toString(), QStringLiteral("XD1-K"));
        QCOMPARE(first.value(QStringLiteral("inputType")).toString(), QStringLiteral("K(CA)"));
        QCOMPARE(first.value(QStringLiteral("parameters")).toArray()[1].toString(),
                 QStringLiteral("12000"));
        InProcess p;
        QCOMPARE(p.run({"show", m_demoFile}), 0);
        QVERIFY2(p.out.contains(
                     QStringLiteral("\n      Full scale, Ch. 1 (parameter 2, item 14): 12000\n")),
                 qPrintable(p.out));
    }

    // The file as saved, and with one field changed. A settings line names
    // the slot, the parameter by the editor's caption with the raw slot and
    // item, and both values; live values are listed as information only. A
    // card of another model is one line for its slot, nothing compared
    // under the wrong captions.
    void verify_data()
    {
        QTest::addColumn<bool>("json");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("field"); // in the file line; 0 leaves the file as saved
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("said"); // the line of the slot; JSON: field|file value
        QTest::addColumn<int>("exitCode");
        QTest::newRow("unchanged") << false << 0 << 0 << QByteArray() << "" << 0;
        QTest::newRow("parameter") << false << 1 << 6 << QByteArray("11000")
                                   << "Slot 1, Full scale, Ch. 1 (parameter 2, item 14): file "
                                      "\"11000\", rack \"12000\""
                                   << 1;
        QTest::newRow("other model")
            << false << 1 << 1 << QByteArray("XD2-K")
            << "Slot 1: models differ: file \"XD2-K\", rack \"XD1-K\"" << 1;
        QTest::newRow("burnout") << true << 3 << 4 << QByteArray("0") << "burnout|0" << 1;
        QTest::newRow("limit state")
            << true << 1 << 33 << QByteArray("0") << "limit state|off" << 1;
        QTest::newRow("channel data")
            << true << 14 << 17 << QByteArray("0") << "channel data 1|0" << 0;
    }
    void verify()
    {
        QFETCH(bool, json);
        QFETCH(int, slot);
        QFETCH(int, field);
        QFETCH(QByteArray, value);
        QFETCH(QString, said);
        QFETCH(int, exitCode);
        const QString file = path(QStringLiteral("verify.uJx"));
        const QByteArray saved = readAll(m_demoFile);
        writeAll(file, field ? withField(saved, slot, field, value) : saved);
        InProcess p;
        QCOMPARE(p.run(json ? QStringList{"verify", "--json", file} : QStringList{"verify", file}),
                 exitCode);

        if (!json) {
            const QStringList lines = nonEmptyLines(p.out);
            QStringList settings = lines.filter(QStringLiteral("Slot "));
            settings.removeIf([](const QString &l) { return l.contains("information only"); });
            QCOMPARE(settings, said.isEmpty() ? QStringList{} : QStringList{said});
            if (slot)
                QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^Slot %1\\b").arg(slot))),
                         QStringList{said});
            if (exitCode)
                QVERIFY2(lines.last().endsWith(QStringLiteral(": 1 setting differs from the rack")),
                         qPrintable(p.out));
            return;
        }
        const QJsonObject root = QJsonDocument::fromJson(p.out.toUtf8()).object();
        QCOMPARE(root.value(QStringLiteral("settingsDiffer")).toBool(), exitCode == 1);
        int matches = 0;
        for (const QJsonValue &v : root.value(QStringLiteral("differences")).toArray()) {
            const QJsonObject d = v.toObject();
            if (d.value(QStringLiteral("informational")).toBool() && exitCode == 1)
                continue;
            if (d.value(QStringLiteral("slot")).toInt() != slot ||
                d.value(QStringLiteral("field")).toString() != said.section(QLatin1Char('|'), 0, 0))
                continue;
            QCOMPARE(d.value(QStringLiteral("file")).toString(), said.section(QLatin1Char('|'), 1));
            ++matches;
        }
        QCOMPARE(matches, 1);
    }

    // One rack across two commands: what download wrote, upload reads back.
    void downloadThenUploadGivesFileBack()
    {
        InProcess p;
        const QString before = path(QStringLiteral("before.uJx"));
        const QString edited = path(QStringLiteral("edited.uJx"));
        const QString after = path(QStringLiteral("after.uJx"));
        QCOMPARE(p.run({"upload", "-o", before}), 0);
        QByteArray file = withField(readAll(before), 1, 6, "11000"); // full scale
        file = withField(file, 10, 6, "1500");                       // pulse span 1
        file = withField(file, 1, 33, "0");                          // limit off
        writeAll(edited, file);

        QCOMPARE(p.run({"download", edited}), 0);
        QCOMPARE(p.run({"upload", "-o", after}), 0);
        QVERIFY(file != readAll(before));
        // The pulse card's count follows its span: a live value, masked.
        QCOMPARE(withField(readAll(after), 10, 5, "count"), withField(file, 10, 5, "count"));
    }

    // The connect reads, then the upload itself, as the window sends them.
    void uploadWireIsTheWindows()
    {
        InProcess cliSide;
        QCOMPARE(cliSide.run({"upload", "-o", path(QStringLiteral("wire.uJx"))}), 0);
        const QStringList wire = cliSide.wire();
        const QString head = QStringLiteral(
            "G00 I40 G00 I04 G00 I4 G00 I40 G00 I1 DF G00 I41 D847 G00 I1 D0 G00 I6");
        QCOMPARE(wire.mid(0, 19).join(QLatin1Char(' ')), head);

        InProcess core;
        SerialLine &line = core.session.line;
        QVERIFY(line.attachPort(core.session.ports->create(1)));
        QVERIFY(line.port()->open(LineSettings{}).isEmpty());
        std::ignore = ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("40"));
        std::ignore = ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("04"));
        ResetCardTable(core.session.cards);
        RackObserver quiet;
        QCOMPARE(UploadAllCards(core.session, quiet), OperationResult::Completed);
        QCOMPARE(wire, core.wire());
    }

    // A run that cannot do what it was asked: one error line saying why
    // and where, nothing on standard output, no output file. A port that
    // cannot be opened (missing, or held by another program), a silent rack
    // (or slot 1's full scale only, retries showing while it waits) exit 3;
    // a refused write 4, so a script tells it from a dead line; a file that
    // cannot be read or an output that cannot be made 2, before the rack is
    // asked anything, naming the file once. Root ignores permission bits, so
    // an output that cannot be made is one in /proc. Arguments: DEMO the
    // demo file, FILE this row's file, out.* a file in the test folder.
    void failedRuns_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("setup"); // a fault of the rack, or "file:" FILE's content
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("says");
        const QStringList port{"Simulated rack (COM1)", "\n  Port: COM1 (simulated rack)\n"};
        const QString full = QString::fromLocal8Bit(std::strerror(ENOSPC));
        const auto row = [](const char *tag, const QStringList &args, const char *setup, int code,
                            const QStringList &says) {
            QTest::newRow(tag) << args << QString::fromLatin1(setup) << code << says;
        };
        row("port missing", {"upload", "-o", "out.uJx"}, "port", 3, {"No such file"});
        row("port held", {"upload", "-o", "out.uJx"}, "port held", 3,
            {"the port is in use by another program"});
        row("silent, upload", {"upload", "-o", "out.uJx"}, "silent", 3, port);
        row("silent, download", {"download", "DEMO"}, "silent", 3, port);
        row("silent, verify", {"verify", "DEMO"}, "silent", 3, port);
        row("silent, monitor", {"monitor", "--csv", "out.csv"}, "silent", 3, port);
        row("silent slot, upload", {"upload", "-o", "out.uJx"}, "silent 14", 3,
            port + QStringList{"\n  Slot 1: XD1-K, item 14: no answer\n",
                               "Slot 1 of 16: XD1-K, no answer, try 2 of 4"});
        row("refused write", {"download", "DEMO"}, "refuse 14", 4,
            {"1 write was not accepted: card 1 item 14", "\n  Card 1 (XD1-K): "});
        row("download missing", {"download", "FILE"}, "file", 2, {"No such file"});
        row("verify missing", {"verify", "FILE"}, "file", 2, {"No such file"});
        row("download malformed", {"download", "FILE"}, "file:\"XD1-K\",\"1\"\r\n", 2,
            {", line 1: "});
        row("show malformed", {"show", "FILE"}, "file:x\r\n", 2, {", line 1: "});
        row("upload output", {"upload", "-o", "/proc/v9con-cli-test.uJx"}, "", 2, {});
        row("monitor output", {"monitor", "--csv", "/proc/v9con-cli-test.csv"}, "", 2, {});
        // Rows that never reach the file end the run as a write failure.
        row("monitor onto a full disk", {"monitor", "--passes", "1", "--csv", "/dev/full"}, "", 2,
            {full});
    }
    void failedRuns()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, setup);
        QFETCH(QStringList, says);
        if (args.last().startsWith(QLatin1String("/proc/")) &&
            !QFileInfo(QStringLiteral("/proc/self")).isDir())
            QSKIP("needs the Linux /proc folder");
        // The output check creates its probe file beside the target.
        if (args.last() == QLatin1String("/dev/full") &&
            (!QFileInfo(args.last()).isWritable() ||
             !QFileInfo(QStringLiteral("/dev")).isWritable()))
            QSKIP("needs /dev/full and a writable /dev (root on Linux)");
        for (QString &a : args) {
            if (a == QLatin1String("DEMO"))
                a = m_demoFile;
            else if (a == QLatin1String("FILE"))
                a = path(QStringLiteral("bad-%1.uJx").arg(QTest::currentDataTag()));
            else if (a.startsWith(QLatin1String("out.")))
                a = path(a);
        }
        const QString last = args.last();
        InProcess p;
        if (setup == QLatin1String("silent"))
            p.rack->setFaults({.silent = true});
        else if (setup == QLatin1String("silent 14"))
            p.rack->setCardFaults(1, {.silent = true, .onlyItem = 14});
        else if (setup == QLatin1String("refuse 14"))
            p.rack->setCardFaults(1, {.refuse = true, .onlyItem = 14});
        else if (setup.startsWith(QLatin1String("file:")))
            writeAll(last, setup.mid(5).toLatin1());
        std::unique_ptr<SerialPortLink> holder;
        if (setup.startsWith(QLatin1String("port"))) {
            QString device = QStringLiteral("/nonexistent/ttyV9");
            if (setup == QLatin1String("port held")) {
#ifdef Q_OS_UNIX
                // This test process holds a pseudo-terminal as another program would.
                const int master = posix_openpt(O_RDWR | O_NOCTTY);
                QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
                device = QString::fromLocal8Bit(ptsname(master));
                holder = std::make_unique<SerialPortLink>(device);
                QVERIFY(holder->open(LineSettings{}).isEmpty());
#else
                QSKIP("pseudo-terminals are POSIX");
#endif
            }
            auto ports = std::make_unique<SerialPortProvider>();
            ports->map(1, device);
            p.session.ports = std::move(ports);
            says << device;
        }
        QFETCH(int, code);
        QCOMPARE(p.run(args), code);
        QCOMPARE(errorLines(p.err).size(), 1);
        for (const QString &s : says)
            QVERIFY2(p.err.contains(s), qPrintable(p.err));
        QVERIFY(p.out.isEmpty());
        if (QFileInfo(last).fileName().startsWith(QLatin1String("out.")))
            QVERIFY(!QFile::exists(last));
        if (code != 2)
            return;
        // Monitoring says where its rows go before it fails.
        const bool asked = last == QLatin1String("/dev/full");
        const QString error = asked ? errorLines(p.err).constFirst() : p.err;
        QVERIFY2(error.count(QFileInfo(last).fileName()) == 1 && error.contains(last),
                 qPrintable(p.err));
        if (!asked)
            QCOMPARE(p.rack->commandCount(), 0);
    }

    void monitorTwoPasses()
    {
        const QString csv = path(QStringLiteral("two.csv"));
        InProcess p;
        QCOMPARE(p.run({"monitor", "--passes", "2", "--csv", csv}), 0);
        QVERIFY2(
            p.err.contains(QStringLiteral("\nMonitoring 14 cards every pass, 2 passes, rows to ") +
                           csv + QStringLiteral("; Ctrl-C stops\n")),
            qPrintable(p.err));
        const QStringList lines = QString::fromUtf8(readAll(csv)).split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("time,card,model,ch1,ch2,bits"));
        QCOMPARE(lines.last(), QString()); // the last row ends with its line break
        // Slot 12 is empty, 15 holds a card the program does not know.
        const QList<int> present{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 16};
        QCOMPARE(lines.size(), 1 + 2 * present.size() + 1);
        for (qsizetype i = 1; i + 1 < lines.size(); ++i) {
            const QStringList f = lines[i].split(QLatin1Char(','));
            QCOMPARE(f.size(), 6);
            QVERIFY(QDateTime::fromString(f[0], Qt::ISODateWithMs).isValid());
            QCOMPARE(f[0].section(QLatin1Char('.'), 1).size(), 3);
            const int card = f[1].toInt();
            QCOMPARE(card, present[(i - 1) % present.size()]);
            const bool discrete = card == 11 || card == 13 || card == 14;
            QCOMPARE(f[5].size(), discrete ? 16 : 0);
            QCOMPARE(f[3].isEmpty(), discrete);
            // Analog values as the rack sent them, the decimal point kept.
            QCOMPARE(f[3].contains(QLatin1Char('.')), !discrete);
        }
    }

    // Ctrl-C on a rack slow enough to be caught in the middle of a slot
    // (v9rack-sim thinking 10 ms before every reply, through the real
    // serial stack): once lets the slot in progress finish, twice stops
    // at once; either way the report names the slots done and not done, and
    // the rack hears nothing about a slot the report calls not written.
    void interrupt_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("presses");
        QTest::newRow("download once") << "download" << 1;
        QTest::newRow("download twice") << "download" << 2;
        QTest::newRow("upload once") << "upload" << 1;
    }
    void interrupt()
    {
#if defined(Q_OS_UNIX) && defined(V9RACK_SIM)
        QFETCH(QString, command);
        QFETCH(int, presses);
        QProcess sim;
        QProcess p;
        const auto stop = qScopeGuard([&] {
            p.kill();
            sim.kill();
            p.waitForFinished();
            sim.waitForFinished();
        });
        sim.start(QStringLiteral(V9RACK_SIM), {"--rack", m_smallRack, "--delay", "10", "--trace"});
        QVERIFY(sim.waitForReadyRead(10000));
        const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY2(device.startsWith(QLatin1String("/dev/")), qPrintable(device));

        const bool download = command == QLatin1String("download");
        const QString file = path(QStringLiteral("interrupted.uJx"));
        QStringList args{"--port", device, command};
        // Without the read for the as-found backup: the rack's trace holds
        // the writes alone.
        args << (download ? QStringList{"--no-backup", m_smallFile} : QStringList{"-o", file});
        p.start(QStringLiteral(V9CON_CLI), args);
        QString err;
        const QString caption =
            download ? QStringLiteral("Downloading") : QStringLiteral("Uploading");
        QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromUtf8(p.readAllStandardError()))
                                     .contains(caption + QStringLiteral(" 1/16")),
                                 30000);
        const auto pid = static_cast<pid_t>(p.processId());
        ::kill(pid, SIGINT);
        if (presses == 2) {
            QTRY_VERIFY_WITH_TIMEOUT((err += QString::fromUtf8(p.readAllStandardError()))
                                         .contains(QStringLiteral("Ctrl-C again")),
                                     10000);
            ::kill(pid, SIGINT);
        }
        QVERIFY(p.waitForFinished(30000));
        err += QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 130);

        // The last slot the progress counted as done.
        int done = 0;
        for (const QString &line : nonEmptyLines(err))
            if (line.startsWith(caption))
                done = line.section(QLatin1Char(' '), 1).section(QLatin1Char('/'), 0, 0).toInt();
        // Once: the slot in progress at the Ctrl-C (2) was finished.
        QVERIFY2(done >= (presses == 1 ? 2 : 1) && done + presses <= kSmallRackLast,
                 qPrintable(err));
        const auto range = [](int from, int to) {
            return from == to ? QStringLiteral("slot %1").arg(from)
                              : QStringLiteral("slots %1-%2").arg(from).arg(to);
        };
        QString expected =
            QStringLiteral("upload interrupted: %1 read; %2 not read; %3 not written")
                .arg(range(1, done), range(done + 1, 16), file);
        if (download) {
            expected = QStringLiteral("download interrupted: %1 written; ").arg(range(1, done));
            if (presses == 2)
                expected += QStringLiteral("slot %1 may be partly written; ").arg(done + 1);
            expected += range(done + presses, kSmallRackLast) + QStringLiteral(" not written");
        }
        QCOMPARE(errorLines(err), QStringList{QStringLiteral("v9con-cli: ") + expected});
        QVERIFY(!QFile::exists(file));

        sim.terminate();
        QVERIFY(sim.waitForFinished(10000));
        // The first slot the rack must not have heard of.
        const int untouched = done + presses;
        const QString trace = QString::fromUtf8(sim.readAllStandardError());
        QVERIFY2(trace.contains(QStringLiteral("> G%1\\r").arg(untouched - 1)), qPrintable(trace));
        QVERIFY(!trace.contains(QStringLiteral("> G%1\\r").arg(untouched)));
#else
        QSKIP("needs POSIX signals and v9rack-sim");
#endif
    }

    void interruptEndsMonitoringWithTheFileWhole()
    {
#ifdef Q_OS_UNIX
        const QString csv = path(QStringLiteral("interrupted.csv"));
        const QString rack = path(QStringLiteral("one.json"));
        writeAll(rack, R"({"slots": {"1": {"model": "XA1-00", "version": "1.0"}}})");
        QProcess p;
        p.start(QStringLiteral(V9CON_CLI), {"--simulate=" + rack, "monitor", "--csv", csv});
        QTRY_VERIFY_WITH_TIMEOUT(readAll(csv).count('\n') > 2, 30000);
        ::kill(static_cast<pid_t>(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QByteArray text = readAll(csv);
        QVERIFY(text.endsWith('\n'));
        for (const QByteArray &line : text.trimmed().split('\n'))
            QCOMPARE(line.count(','), 5);
#else
        QSKIP("signals are POSIX");
#endif
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
