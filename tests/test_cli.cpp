// v9con-cli: the built tool run as a process against --simulate, and its
// commands in-process where a test needs the rack itself (one rack across
// two commands, a silent rack, the commands on the wire).
#include "cli/cliopts.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/csvwriter.h"
#include "cli/progressprinter.h"
#include "exchange/session.h"
#include "exchange/upload.h"
#include "link/transactions.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

struct Result
{
    int code = -1;
    QString out;
    QString err;
};

// The commands on one demo rack whose live values stand still.
struct InProcess
{
    InProcess()
    {
        session.line.setTiming({100, 0, 20});
        rack->setClock([] { return qint64(0); });
    }
    int run(const QStringList &args)
    {
        out.clear();
        err.clear();
        const CliOptions o = ParseCliOptions(args);
        if (!o.error.isEmpty())
            return -1;
        return Commands(session, console).run(o);
    }
    QStringList wire() const
    {
        QStringList w;
        for (const TrafficEntry &e : session.traffic.entries())
            w << QString::fromLatin1(e.command).trimmed();
        return w;
    }

    std::unique_ptr<SimulatedRack> rack = SimulatedRack::demo();
    Session session{std::make_unique<SimulatedPortProvider>(*rack)};
    QString out;
    QString err;
    QTextStream outStream{&out};
    QTextStream errStream{&err};
    Console console{outStream, errStream, false};
};

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
    QString m_demoFile; // the demo rack as `upload -o` saved it

    QString path(const QString &name) const { return m_dir.filePath(name); }

    Result cli(const QStringList &args, int timeoutMs = 60000)
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
        m_demoFile = path(QStringLiteral("demo.uJx"));
        const Result r = cli({QStringLiteral("--simulate"), QStringLiteral("upload"),
                              QStringLiteral("-o"), m_demoFile});
        QCOMPARE(r.code, 0);
        QCOMPARE(readAll(m_demoFile).count('\n'), 16);
    }

    void options_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("error"); // a part of it; empty when accepted
        QTest::newRow("com") << "--com 3 show"
                             << "";
        QTest::newRow("com range") << "--com 9 show"
                                   << "from 1 to 8";
        QTest::newRow("two ports") << "--port /dev/x --simulate show"
                                   << "choose one";
        QTest::newRow("port late") << "show --simulate"
                                   << "before the command";
        QTest::newRow("no output") << "upload"
                                   << "-o FILE";
        QTest::newRow("no file") << "verify --json"
                                 << "needs a parameter file";
        QTest::newRow("json") << "upload -o f --json"
                              << "show and verify";
        QTest::newRow("passes") << "monitor --passes 0"
                                << "from 1";
        QTest::newRow("extra") << "show a b"
                               << "does not take";
        QTest::newRow("monitor") << "--simulate=r.json monitor --passes=2 --interval 80 --csv x"
                                 << "";
    }
    void options()
    {
        QFETCH(QString, args);
        QFETCH(QString, error);
        const CliOptions o = ParseCliOptions(args.split(QLatin1Char(' ')));
        QVERIFY2(error.isEmpty() ? o.error.isEmpty() : o.error.contains(error),
                 qPrintable(o.error));
        if (QTest::currentDataTag() == QLatin1String("monitor")) {
            QCOMPARE(o.port.rackFile, QStringLiteral("r.json"));
            QCOMPARE(o.passes, 2);
            QCOMPARE(o.intervalMs, 80);
            QCOMPARE(o.csvPath, QStringLiteral("x"));
        }
        if (QTest::currentDataTag() == QLatin1String("com"))
            QCOMPARE(o.port.comNo, 3);
    }

    void csvField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "XD1-K"
                               << "XD1-K";
        QTest::newRow("comma") << "a,b"
                               << "\"a,b\"";
        QTest::newRow("quote") << "5\" card"
                               << "\"5\"\" card\"";
        QTest::newRow("line break") << "a\nb"
                                    << "\"a\nb\"";
    }
    void csvField()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(CsvField(text), field);
    }

    void progress_data()
    {
        QTest::addColumn<bool>("terminal");
        QTest::addColumn<QString>("text");
        QTest::newRow("terminal") << true << "\rUploading 0/3\rUploading 1/3\rUploading 2/3\n";
        QTest::newRow("log") << false << "Uploading 0/3\nUploading 1/3\nUploading 2/3\n";
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
        p.progressStarted(3, QStringLiteral("Uploading"));
        p.progressAdvanced();
        p.progressAdvanced();
        p.progressFinished();
        QCOMPARE(err, text);
    }

    void help_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("global") << "--help"
                                << "--simulate[=RACK.json]";
        QTest::newRow("upload") << "upload --help"
                                << "-o, --output FILE";
        QTest::newRow("monitor") << "monitor --help"
                                 << "--interval MS";
    }
    void help()
    {
        QFETCH(QString, args);
        QFETCH(QString, mentions);
        const Result r = cli(args.split(QLatin1Char(' ')));
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(QLatin1String("Usage: v9con-cli")));
        QVERIFY(r.out.contains(mentions));
    }

    void showJsonOfFile()
    {
        const Result r = cli({QStringLiteral("show"), QStringLiteral("--json"), m_demoFile}, 10000);
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
    }

    void verify_data()
    {
        QTest::addColumn<bool>("json");
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("field"); // in the file line; 0 leaves the file as saved
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown"); // the file's value as verify names it
        QTest::addColumn<int>("exitCode");
        QTest::newRow("unchanged") << false << 0 << 0 << QByteArray() << ""
                                   << "" << 0;
        QTest::newRow("parameter") << false << 1 << 6 << QByteArray("11000") << "parameter 2"
                                   << "11000" << 1;
        QTest::newRow("burnout") << true << 3 << 4 << QByteArray("0") << "burnout"
                                 << "0" << 1;
        QTest::newRow("limit state") << true << 1 << 33 << QByteArray("0") << "limit state"
                                     << "off" << 1;
        QTest::newRow("channel data") << true << 14 << 17 << QByteArray("0") << "channel data 1"
                                      << "0" << 0;
    }
    void verify()
    {
        QFETCH(bool, json);
        QFETCH(int, slot);
        QFETCH(int, field);
        QFETCH(QByteArray, value);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QFETCH(int, exitCode);
        const QString file = path(QStringLiteral("verify.uJx"));
        const QByteArray saved = readAll(m_demoFile);
        writeAll(file, field ? withField(saved, slot, field, value) : saved);
        QStringList args{QStringLiteral("--simulate"), QStringLiteral("verify"), file};
        if (json)
            args.insert(2, QStringLiteral("--json"));
        const Result r = cli(args);
        QCOMPARE(r.code, exitCode);

        if (!json) {
            // Settings lines only; live values are listed as information.
            QStringList settings = nonEmptyLines(r.out).filter(QStringLiteral("Slot "));
            settings.removeIf([](const QString &l) { return l.contains("information only"); });
            QCOMPARE(settings, field ? QStringList{QStringLiteral(
                                           "Slot 1, parameter 2: file \"11000\", rack \"12000\"")}
                                     : QStringList{});
            return;
        }
        const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(root.value(QStringLiteral("settingsDiffer")).toBool(), exitCode == 1);
        int matches = 0;
        for (const QJsonValue &v : root.value(QStringLiteral("differences")).toArray()) {
            const QJsonObject d = v.toObject();
            if (d.value(QStringLiteral("informational")).toBool() && exitCode == 1)
                continue;
            if (d.value(QStringLiteral("slot")).toInt() != slot ||
                d.value(QStringLiteral("field")).toString() != name)
                continue;
            QCOMPARE(d.value(QStringLiteral("file")).toString(), shown);
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
        QCOMPARE(p.run({QStringLiteral("upload"), QStringLiteral("-o"), before}), 0);
        QByteArray file = withField(readAll(before), 1, 6, "11000"); // full scale
        file = withField(file, 10, 6, "1500");                       // pulse span 1
        file = withField(file, 1, 33, "0");                          // limit off
        writeAll(edited, file);

        QCOMPARE(p.run({QStringLiteral("download"), edited}), 0);
        QCOMPARE(p.run({QStringLiteral("upload"), QStringLiteral("-o"), after}), 0);
        QVERIFY(file != readAll(before));
        // The pulse card's count follows its span: a live value, masked.
        QCOMPARE(withField(readAll(after), 10, 5, "count"), withField(file, 10, 5, "count"));
    }

    // The connect reads, then the upload itself, as the window sends them.
    void uploadWireIsTheWindows()
    {
        InProcess cliSide;
        QCOMPARE(cliSide.run({QStringLiteral("upload"), QStringLiteral("-o"),
                              path(QStringLiteral("wire.uJx"))}),
                 0);
        const QStringList wire = cliSide.wire();
        const QString head = QStringLiteral(
            "G00 I40 G00 I04 G00 I4 G00 I40 G00 I1 DF G00 I41 D847 G00 I1 D0 G00 I6");
        QCOMPARE(wire.mid(0, 19).join(QLatin1Char(' ')), head);

        InProcess core;
        SerialLine &line = core.session.line;
        QVERIFY(line.attachPort(core.session.ports->create(1)));
        QVERIFY(line.port()->open(QStringLiteral("1200,n,8,1")).isEmpty());
        ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("40"));
        ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("04"));
        ResetCardTable(core.session.cards);
        RackObserver quiet;
        QCOMPARE(UploadAllCards(core.session, quiet), OperationResult::Completed);
        QCOMPARE(wire, core.wire());
    }

    void portCannotBeOpened()
    {
        const QString device = QStringLiteral("/nonexistent/ttyV9");
        const Result r = cli({QStringLiteral("--port"), device, QStringLiteral("upload"),
                              QStringLiteral("-o"), QStringLiteral("never.uJx")});
        QCOMPARE(r.code, 3);
        QCOMPARE(errorLines(r.err).size(), 1);
        QVERIFY(r.err.contains(device));
        QVERIFY(!QFile::exists(path(QStringLiteral("never.uJx"))));
    }

    void silentRack_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output"); // must not appear
        QTest::newRow("upload") << QStringList{"upload", "-o", "silent.uJx"} << "silent.uJx";
        QTest::newRow("download") << QStringList{"download", "DEMO"} << "";
        QTest::newRow("verify") << QStringList{"verify", "DEMO"} << "";
        QTest::newRow("monitor") << QStringList{"monitor", "--csv", "silent.csv"} << "silent.csv";
    }
    void silentRack()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        InProcess p;
        p.rack->setFaults({.silent = true});
        for (QString &a : args) {
            if (a == QLatin1String("DEMO"))
                a = m_demoFile;
            else if (a.startsWith(QLatin1String("silent.")))
                a = path(a);
        }
        QCOMPARE(p.run(args), 3);
        QCOMPARE(errorLines(p.err).size(), 1);
        QVERIFY(p.err.contains(QStringLiteral("Simulated rack (COM1)")));
        QVERIFY(p.out.isEmpty());
        if (!output.isEmpty())
            QVERIFY(!QFile::exists(path(output)));
    }

    // A card that does not take a write: the download is not done.
    void refusedWrite()
    {
        InProcess p;
        p.rack->setCardFaults(1, {.refuse = true, .onlyItem = 14});
        QCOMPARE(p.run({QStringLiteral("download"), m_demoFile}), 3);
        QCOMPARE(errorLines(p.err).size(), 1);
        QVERIFY2(p.err.contains(QStringLiteral("1 write was not accepted: card 1 item 14")),
                 qPrintable(p.err));
    }

    void badFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("content"); // empty: the file does not exist
        QTest::addColumn<QString>("reason");
        QTest::newRow("download missing") << "download" << QByteArray() << "No such file";
        QTest::newRow("verify missing") << "verify" << QByteArray() << "No such file";
        QTest::newRow("download malformed")
            << "download" << QByteArray("\"XD1-K\",\"1\"\r\n") << "Line 1";
        QTest::newRow("show malformed") << "show" << QByteArray("x\r\n") << "Line 1";
    }
    void badFile()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        const QString file = path(QStringLiteral("bad-%1.uJx").arg(QTest::currentDataTag()));
        if (!content.isEmpty())
            writeAll(file, content);
        InProcess p;
        QCOMPARE(p.run({command, file}), 2);
        QCOMPARE(errorLines(p.err).size(), 1);
        QVERIFY(p.err.contains(file));
        QVERIFY2(p.err.contains(reason), qPrintable(p.err));
        QVERIFY(p.out.isEmpty());
        QCOMPARE(p.rack->commandCount(), 0);
    }

    void monitorTwoPasses()
    {
        const QString csv = path(QStringLiteral("two.csv"));
        const Result r =
            cli({QStringLiteral("--simulate"), QStringLiteral("monitor"),
                 QStringLiteral("--passes"), QStringLiteral("2"), QStringLiteral("--csv"), csv});
        QCOMPARE(r.code, 0);
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
        }
    }

    void interruptEndsMonitoringWithTheFileWhole()
    {
#ifdef Q_OS_UNIX
        const QString csv = path(QStringLiteral("interrupted.csv"));
        QProcess p;
        p.start(QStringLiteral(V9CON_CLI), {QStringLiteral("--simulate"), QStringLiteral("monitor"),
                                            QStringLiteral("--csv"), csv});
        QTRY_VERIFY_WITH_TIMEOUT(readAll(csv).count('\n') > 20, 30000);
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
