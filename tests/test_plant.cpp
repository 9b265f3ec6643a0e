// A plant of racks: the plant file's checks, and v9con-cli's plant commands
// run as a process on v9rack-sim processes behind real pseudo-terminals.
#include "files/parameterfile.h"
#include "model/comparison.h"
#include "plant/plantfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <vector>

namespace {

struct Run
{
    int code = -1;
    QByteArray out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(V9CON_CLI), args);
    p.waitForFinished(240000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

// The closing table's row of `rack`, split at its blanks.
QStringList tableRow(const QByteArray &out, const QString &rack)
{
    for (const QString &line : QString::fromUtf8(out).split(QLatin1Char('\n')))
        if (line.startsWith(rack + QLatin1Char(' ')))
            return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return {};
}

QByteArray racksJson(const QList<std::pair<QString, QString>> &racks, const QString &extra = {})
{
    QStringList items;
    for (const auto &[name, port] : racks)
        items << QStringLiteral("{\"name\": \"%1\", \"port\": \"%2\"%3}").arg(name, port, extra);
    return QStringLiteral("{\"racks\": [%1]}").arg(items.join(QStringLiteral(", "))).toUtf8();
}

} // namespace

class TestPlant : public QObject
{
    Q_OBJECT

    std::vector<std::unique_ptr<QProcess>> sims;
    QTemporaryDir dir;

    // A simulator on a pty; its first line is the device path.
    QString startSim(const QStringList &args)
    {
        auto &sim = sims.emplace_back(std::make_unique<QProcess>());
        sim->start(QStringLiteral(V9RACK_SIM), args);
        if (!sim->waitForStarted(5000))
            return {};
        while (!sim->canReadLine() && sim->waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(sim->readLine()).trimmed();
    }

    QString writePlant(const QByteArray &json)
    {
        const QString path = dir.filePath(QStringLiteral("plant.json"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(json) != json.size())
            return {};
        return path;
    }

private slots:
    void cleanup()
    {
        for (auto &sim : sims) {
            sim->kill();
            sim->waitForFinished(5000);
        }
        sims.clear();
    }

    // Each refusal names the file, the rack by index and name, and the field.
    void damagedPlantFile_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("why");
        const auto row = [](const char *name, const char *json, const char *why) {
            QTest::newRow(name) << QByteArray(json) << QString::fromUtf8(why);
        };
        row("not JSON", "{\"racks\": [", "line 1: ");
        row("no racks", "{\"rack\": []}", "unknown key \"rack\"");
        row("racks empty", "{\"racks\": []}", "\"racks\" is empty");
        row("racks not a list", "{\"racks\": {}}", "\"racks\" must be a list of racks");
        row("rack not an object", "{\"racks\": [3]}", "rack 1: a rack must be an object");
        row("no port", "{\"racks\": [{\"name\": \"A\", \"port\": \"/dev/x\"}, {\"name\": \"B\"}]}",
            "rack 2 (\"B\"): \"port\" is missing");
        row("no name", "{\"racks\": [{\"port\": \"/dev/x\"}]}", "rack 1: \"name\" is missing");
        row("name a number", "{\"racks\": [{\"name\": 7, \"port\": \"/dev/x\"}]}",
            "rack 1: \"name\" must be a text");
        row("name no folder", "{\"racks\": [{\"name\": \"a/b\", \"port\": \"/dev/x\"}]}",
            "rack 1 (\"a/b\"): \"name\": the name holds \"/\"");
        row("name reserved", "{\"racks\": [{\"name\": \"COM1\", \"port\": \"/dev/x\"}]}",
            "rack 1 (\"COM1\"): \"name\": \"COM1\" is a name Windows reserves");
        row("name twice, case apart",
            "{\"racks\": [{\"name\": \"North\", \"port\": \"/dev/x\"}, "
            "{\"name\": \"NORTH\", \"port\": \"/dev/y\"}]}",
            "rack 2 (\"NORTH\"): \"name\" is rack 1's already");
        row("port twice",
            "{\"racks\": [{\"name\": \"A\", \"port\": \"/dev/ttyUSB0\"}, "
            "{\"name\": \"B\", \"port\": \"/dev/./ttyUSB0\"}]}",
            "rack 2 (\"B\"): \"port\" is rack 1's already");
        row("server twice",
            "{\"racks\": [{\"name\": \"A\", \"port\": \"tcp://Host:4001\"}, "
            "{\"name\": \"B\", \"port\": \"rfc2217://host:4001\"}]}",
            "rack 2 (\"B\"): \"port\" is rack 1's already");
        row("bad URL", "{\"racks\": [{\"name\": \"A\", \"port\": \"tcp://host\"}]}",
            "rack 1 (\"A\"): \"port\": ");
        row("unknown key", "{\"racks\": [{\"name\": \"A\", \"port\": \"/dev/x\", \"tag\": 1}]}",
            "rack 1 (\"A\"): unknown key \"tag\"");
        row("slot 17",
            "{\"racks\": [{\"name\": \"A\", \"port\": \"/dev/x\", \"tags\": {\"17\": {}}}]}",
            "rack 1 (\"A\"): tags: \"17\" is not a slot number 1..16");
        row("channel 0",
            "{\"racks\": [{\"name\": \"A\", \"port\": \"/dev/x\", \"tags\": {\"3\": {\"0\": "
            "\"T\"}}}]}",
            "rack 1 (\"A\"): tags: slot 3: \"0\" is not a channel number 1..16");
        row("tag a number",
            "{\"racks\": [{\"name\": \"A\", \"port\": \"/dev/x\", \"tags\": {\"3\": {\"1\": 5}}}]}",
            "rack 1 (\"A\"): tags: slot 3 channel 1 must be a text");
        row("file empty", "{\"racks\": [{\"name\": \"A\", \"port\": \"/dev/x\", \"file\": \"\"}]}",
            "rack 1 (\"A\"): \"file\" is empty");
    }
    void damagedPlantFile()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, why);
        const QString path = writePlant(json);
        const Result<Plant> plant = LoadPlantFile(path);
        const QString &error = plant.reason();
        QVERIFY(!plant);
        QVERIFY2(error.startsWith(QDir::toNativeSeparators(path) + QStringLiteral(": ")),
                 qPrintable(error));
        QVERIFY2(error.contains(why), qPrintable(error));
        // The tool refuses it before touching a rack.
        const Run run = cli({QStringLiteral("plant"), QStringLiteral("backup"), path});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(why), qPrintable(run.err));
    }

    void goodPlantFile()
    {
        const QString path = writePlant(
            "{\"racks\": [{\"name\": \"North-1\", \"port\": \"/dev/ttyUSB0\", \"notes\": \"n\","
            " \"file\": \"ref/n1.uJx\", \"tags\": {\"3\": {\"1\": \"TT-101\", \"2\": \"TT-102\"}}},"
            " {\"name\": \"North-2\", \"port\": \"rfc2217://10.1.2.3:4001\"}]}");
        const auto plant = LoadPlantFile(path);
        QVERIFY2(plant, qPrintable(plant.reason()));
        QCOMPARE(plant->racks.size(), 2);
        QCOMPARE(plant->racks[0].file, dir.filePath(QStringLiteral("ref/n1.uJx")));
        QCOMPARE(plant->racks[0].tag(3, 2), QStringLiteral("TT-102"));
        QCOMPARE(plant->racks[1].port, QStringLiteral("rfc2217://10.1.2.3:4001"));
        QVERIFY(plant->racks[1].tags.isEmpty() && plant->racks[1].file.isEmpty());
        // The ports are the file's: a port option before "plant" is refused.
        const Run run = cli({QStringLiteral("--port"), QStringLiteral("/dev/ttyUSB0"),
                             QStringLiteral("plant"), QStringLiteral("backup"), path});
        QCOMPARE(run.code, 2);
        QVERIFY2(run.err.contains(QStringLiteral("plant takes no options before it")),
                 qPrintable(run.err));
    }

    // The sign-off block closes every report: names given, or lines to sign.
    void reportSignOff()
    {
        const QString path = dir.filePath(QStringLiteral("signed.html"));
        const Run run =
            cli({QStringLiteral("--simulate"), QStringLiteral("report"), QStringLiteral("-o"), path,
                 QStringLiteral("--witnessed-by"), QStringLiteral("K. <Jones>")});
        QCOMPARE(run.code, 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        const qsizetype block = html.indexOf(QStringLiteral("<h2>Sign-off</h2>"));
        QVERIFY(block > html.lastIndexOf(QStringLiteral("<h2 id=\"slot-")));
        for (const char *expected : {"Performed by</td><td>____",
                                     "Witnessed by</td><td>K. &lt;Jones&gt;", "Date</td><td>____"})
            QVERIFY2(html.indexOf(QString::fromUtf8(expected), block) > 0, expected);
    }

    // Ctrl-C: the rack being read stops after its slot and is not saved;
    // the rack waiting for its turn does not start.
    void interrupted()
    {
        const QString p1 = startSim({QStringLiteral("--pacing")});
        const QString p2 = startSim({QStringLiteral("--pacing")});
        const QString plant =
            writePlant(racksJson({{QStringLiteral("P1"), p1}, {QStringLiteral("P2"), p2}}));
        const QString out = dir.filePath(QStringLiteral("interrupted"));
        QProcess p;
        p.start(QStringLiteral(V9CON_CLI),
                {QStringLiteral("plant"), QStringLiteral("backup"), plant, QStringLiteral("--jobs"),
                 QStringLiteral("1"), QStringLiteral("--out"), out});
        p.setReadChannel(QProcess::StandardError);
        QByteArray err;
        while (!err.contains("P1: connecting") && p.waitForReadyRead(20000))
            err += p.readAllStandardError();
        QVERIFY2(err.contains("P1: connecting"), err.constData());
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 130);
        const QByteArray table = p.readAllStandardOutput();
        QCOMPARE(tableRow(table, QStringLiteral("P1")).mid(0, 3),
                 QStringList({"P1", "upload", "stopped"}));
        QCOMPARE(tableRow(table, QStringLiteral("P2")).mid(0, 3),
                 QStringList({"P2", "not", "started:"}));
        QVERIFY(!QFileInfo::exists(out));
    }

    // Two racks answer, one is silent, one refuses the connection, one falls
    // silent part-way: the answering ones are saved with upload -o's bytes,
    // the table and the exit code name the others; a second run compares.
    void backupVerifyReport()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const QString refused = QStringLiteral("tcp://127.0.0.1:%1").arg(closed.serverPort());
        closed.close();
        const QString a = startSim({});
        const QString b = startSim({});
        const QString silent = startSim({QStringLiteral("--silent")});
        const QString cut = startSim({QStringLiteral("--silent-after"), QStringLiteral("60")});
        for (const QString &d : {a, b, silent, cut})
            QVERIFY2(d.startsWith(QLatin1String("/dev/")), qPrintable(d));
        const QString plant = writePlant(racksJson({{QStringLiteral("A"), a},
                                                    {QStringLiteral("Silent"), silent},
                                                    {QStringLiteral("B"), b},
                                                    {QStringLiteral("Refused"), refused},
                                                    {QStringLiteral("Cut"), cut}}));
        const QString out = dir.filePath(QStringLiteral("backups"));

        Run run = cli({QStringLiteral("plant"), QStringLiteral("backup"), plant,
                       QStringLiteral("--json"), QStringLiteral("--jobs"), QStringLiteral("3")});
        QCOMPARE(run.code, 3);
        const QJsonArray racks =
            QJsonDocument::fromJson(run.out).object().value(QStringLiteral("racks")).toArray();
        QCOMPARE(racks.size(), 5);
        const QStringList names{"A", "Silent", "B", "Refused", "Cut"};
        const QList<int> codes{0, 3, 0, 3, 3};
        for (int i = 0; i < 5; ++i) {
            const QJsonObject r = racks.at(i).toObject();
            QCOMPARE(r.value(QStringLiteral("rack")).toString(), names.at(i));
            QCOMPARE(r.value(QStringLiteral("exitCode")).toInt(), codes.at(i));
            const QStringList files = QDir(QDir(out).filePath(names.at(i)))
                                          .entryList({QStringLiteral("*.uJx")}, QDir::Files);
            QCOMPARE(files.size(), codes.at(i) == 0 ? 1 : 0);
            if (codes.at(i) == 0) {
                QCOMPARE(r.value(QStringLiteral("cards")).toInt(), 14);
                QVERIFY(!r.contains(QStringLiteral("changed"))); // nothing earlier
            }
            QVERIFY2(codes.at(i) == 0 ||
                         run.err.contains(QStringLiteral("v9con-cli: %1: ").arg(names.at(i))),
                     qPrintable(run.err));
        }
        QVERIFY2(run.err.contains(QStringLiteral("Refused: cannot open")), qPrintable(run.err));
        // The rack that fell silent says where, as upload does.
        const QString where = racks.at(4).toObject().value(QStringLiteral("where")).toString();
        QVERIFY2(where.startsWith(QLatin1String("Slot ")) &&
                     where.endsWith(QLatin1String("no answer")),
                 qPrintable(where));
        QVERIFY2(run.err.contains(
                     QStringLiteral("upload incomplete: the rack did not answer on %1\n  %2")
                         .arg(cut, where)),
                 qPrintable(run.err));

        // What upload -o of the same rack saves, in the writer's own bytes
        // (the pulse counts move between the two uploads: live values).
        const QString single = dir.filePath(QStringLiteral("single.uJx"));
        QCOMPARE(cli({QStringLiteral("--port"), a, QStringLiteral("upload"), QStringLiteral("-o"),
                      single})
                     .code,
                 0);
        const QString backupA = racks.at(0).toObject().value(QStringLiteral("file")).toString();
        QFile fa(backupA);
        QVERIFY(fa.open(QIODevice::ReadOnly));
        const Result<CardTable> saved = ReadParameterFile(fa.readAll());
        QVERIFY2(saved.ok(), qPrintable(saved.reason()));
        fa.seek(0);
        QCOMPARE(fa.readAll(), ParameterFileText(*saved));
        const QList<Difference> apart = CompareTables(*OpenParameterFile(single), *saved);
        QVERIFY(!SettingsDiffer(apart));

        // Only the answering racks now: a second backup finds nothing changed
        // and verify finds them matching their backups, then a file that differs.
        CardTable changed = *OpenParameterFile(backupA);
        changed[1].par(2).Value = QStringLiteral("123");
        const QString ref = dir.filePath(QStringLiteral("ref.uJx"));
        QCOMPARE(WriteParameterFile(changed, ref).reason(), QString());
        writePlant(racksJson({{QStringLiteral("A"), a}, {QStringLiteral("B"), b}}));
        run = cli({QStringLiteral("plant"), QStringLiteral("backup"), plant});
        QCOMPARE(run.code, 0);
        QCOMPARE(tableRow(run.out, QStringLiteral("Rack")).mid(0, 4),
                 QStringList({"Rack", "Result", "Cards", "Changed"}));
        for (const QString &rack : {QStringLiteral("A"), QStringLiteral("B")})
            QCOMPARE(tableRow(run.out, rack).mid(0, 4), QStringList({rack, "saved", "14", "0"}));
        QCOMPARE(QDir(QDir(out).filePath(QStringLiteral("B"))).entryList({"*.uJx"}).size(), 2);
        // A newer as-found backup (the rack before some download) is not
        // what the rack should hold: verify passes it by.
        QVERIFY(
            QFile::copy(ref, QDir(out).filePath(QStringLiteral("A/29991231-235959-as-found.uJx"))));
        run = cli({QStringLiteral("plant"), QStringLiteral("verify"), plant});
        QCOMPARE(run.code, 0);
        QCOMPARE(tableRow(run.out, QStringLiteral("A")).mid(0, 4),
                 QStringList({"A", "matches", "14", "0"}));

        writePlant(QStringLiteral("{\"racks\": [{\"name\": \"A\", \"port\": \"%1\", \"file\": "
                                  "\"ref.uJx\", \"tags\": {\"1\": {\"1\": \"TT-101\"}}}]}")
                       .arg(a)
                       .toUtf8());
        run = cli({QStringLiteral("plant"), QStringLiteral("verify"), plant});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.out.contains("Slot 1, ") && run.out.contains("file \"123\""),
                 run.out.constData());

        const QString reports = dir.filePath(QStringLiteral("reports"));
        run = cli({QStringLiteral("plant"), QStringLiteral("report"), plant, QStringLiteral("-o"),
                   reports, QStringLiteral("--html"), QStringLiteral("--performed-by"),
                   QStringLiteral("J. Smith")});
        QCOMPARE(run.code, 0);
        QCOMPARE(tableRow(run.out, QStringLiteral("Rack")),
                 QStringList({"Rack", "Result", "Cards", "Time"}));
        QCOMPARE(tableRow(run.out, QStringLiteral("A")).mid(0, 3),
                 QStringList({"A", "written", "14"}));
        QFile html(QDir(reports).filePath(QStringLiteral("A.html")));
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(html.readAll());
        for (const char *expected : {"V9CON rack report: A", "Ch. 1: TT-101", "[TT-101]",
                                     "Performed by</td><td>J. Smith", "Witnessed by</td><td>___"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
    }
};

QTEST_GUILESS_MAIN(TestPlant)
#include "test_plant.moc"
