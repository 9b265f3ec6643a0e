#include "cli/plantcommand.h"

#include "cli/console.h"
#include "cli/fileaccess.h"
#include "cli/interruptwatch.h"
#include "cli/plantprogress.h"
#include "cli/rackconnection.h"
#include "cli/reports.h"
#include "exchange/commcardsettings.h"
#include "exchange/session.h"
#include "files/backupstore.h"
#include "files/parameterfile.h"
#include "model/catalogue.h"
#include "model/comparison.h"
#include "plant/plantfile.h"
#include "plant/plantrunner.h"
#include "report/rackreport.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

constexpr int kDefaultJobs = 8;

struct PlantOptions
{
    QString action;
    QString plantFile;
    QString out;
    int jobs = kDefaultJobs;
    bool json = false;
    bool html = false;
    QString performedBy;
    QString witnessedBy;
    bool help = false;
    QString error;
};

PlantOptions parse(const QStringList &arguments)
{
    PlantOptions o;
    QCommandLineParser p;
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}};
    const QCommandLineOption json{QStringLiteral("json")};
    const QCommandLineOption html{QStringLiteral("html")};
    const QCommandLineOption out{
        {QStringLiteral("o"), QStringLiteral("out")}, QString(), QStringLiteral("DIR")};
    const QCommandLineOption jobs{QStringLiteral("jobs"), QString(), QStringLiteral("N")};
    const QCommandLineOption performed{QStringLiteral("performed-by"), QString(),
                                       QStringLiteral("NAME")};
    const QCommandLineOption witnessed{QStringLiteral("witnessed-by"), QString(),
                                       QStringLiteral("NAME")};
    p.addOptions({help, json, html, out, jobs, performed, witnessed});
    if (!p.parse(QStringList{QStringLiteral("plant")} + arguments)) {
        o.error = p.errorText();
        return o;
    }
    o.help = p.isSet(help);
    if (o.help)
        return o;
    const QStringList positional = p.positionalArguments();
    o.action = positional.value(0);
    o.plantFile = positional.value(1);
    o.out = p.value(out);
    o.json = p.isSet(json);
    o.html = p.isSet(html);
    o.performedBy = p.value(performed);
    o.witnessedBy = p.value(witnessed);
    const bool report = o.action == QLatin1String("report");
    if (!QStringList{QStringLiteral("backup"), QStringLiteral("verify"), QStringLiteral("report")}
             .contains(o.action))
        o.error = o.action.isEmpty() ? QStringLiteral("plant needs backup, verify or report")
                                     : QStringLiteral("unknown plant command \"%1\"").arg(o.action);
    else if (o.plantFile.isEmpty())
        o.error = QStringLiteral("plant %1 needs a plant file").arg(o.action);
    else if (positional.size() > 2)
        o.error = QStringLiteral("plant %1 does not take \"%2\"").arg(o.action, positional.last());
    else if (report && o.out.isEmpty())
        o.error = QStringLiteral("plant report needs -o DIR");
    else if (!report && (p.isSet(html) || p.isSet(performed) || p.isSet(witnessed)))
        o.error = QStringLiteral("--html, --performed-by and --witnessed-by go with plant report");
    else if (report && o.json)
        o.error = QStringLiteral("--json applies to plant backup and plant verify");
    else if (p.isSet(jobs)) {
        bool ok = false;
        o.jobs = p.value(jobs).toInt(&ok);
        if (!ok || o.jobs < 1 || o.jobs > 256)
            o.error = QStringLiteral("--jobs expects a whole number from 1 to 256, not \"%1\"")
                          .arg(p.value(jobs));
    }
    return o;
}

int settingsDiffering(const QList<Difference> &differences)
{
    int n = 0;
    for (const Difference &d : differences)
        n += !d.informational;
    return n;
}

// One rack's line of the closing table, and its object in --json.
struct RackLine
{
    QString name;
    QString port;
    int code = kExitDone;
    QString result; // "saved", "differs", or why not
    int cards = -1;
    int changed = -1; // -1: nothing to compare with
    qint64 ms = 0;
    QString file; // the backup written, or the file compared with
    QList<Difference> differences;
    QString place; // where a failed upload stopped
};

QString table(const QList<RackLine> &lines, const QString &changedHeading)
{
    QStringList heads{QStringLiteral("Rack"), QStringLiteral("Result"), QStringLiteral("Cards"),
                      changedHeading, QStringLiteral("Time")};
    QList<QStringList> rows{heads};
    for (const RackLine &l : lines)
        rows << QStringList{l.name, l.result,
                            l.cards < 0 ? QStringLiteral("-") : QString::number(l.cards),
                            l.changed < 0 ? QStringLiteral("-") : QString::number(l.changed),
                            QStringLiteral("%1 s").arg(double(l.ms) / 1000.0, 0, 'f', 1)};
    // A report has nothing to count there.
    if (changedHeading.isEmpty())
        for (QStringList &r : rows)
            r.removeAt(3);
    QList<qsizetype> width(rows.first().size(), 0);
    for (const QStringList &r : rows)
        for (qsizetype c = 0; c < r.size(); ++c)
            width[c] = qMax(width[c], qMin<qsizetype>(r.at(c).size(), 60));
    QString text;
    for (const QStringList &r : rows) {
        QString line;
        for (qsizetype c = 0; c < r.size(); ++c)
            line += (c + 1 < r.size() ? r.at(c).leftJustified(width[c]) : r.at(c)) +
                    QStringLiteral("  ");
        text += line.trimmed() + QLatin1Char('\n');
    }
    return text;
}

QByteArray json(const QList<RackLine> &lines, const QString &changedKey)
{
    QJsonArray list;
    for (const RackLine &l : lines) {
        QJsonObject o{{QStringLiteral("rack"), l.name},
                      {QStringLiteral("port"), l.port},
                      {QStringLiteral("exitCode"), l.code},
                      {QStringLiteral("result"), l.result},
                      {QStringLiteral("seconds"), double(l.ms) / 1000.0}};
        if (l.cards >= 0)
            o.insert(QStringLiteral("cards"), l.cards);
        if (l.changed >= 0)
            o.insert(changedKey, l.changed);
        if (!l.file.isEmpty())
            o.insert(QStringLiteral("file"), QDir::toNativeSeparators(l.file));
        if (!l.place.isEmpty())
            o.insert(QStringLiteral("where"), l.place);
        if (changedKey == QLatin1String("differences") && l.changed >= 0)
            o.insert(QStringLiteral("list"),
                     QJsonDocument::fromJson(DifferencesJson(l.differences, l.file))
                         .object()
                         .value(QStringLiteral("differences")));
        list.append(o);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("racks"), list}}).toJson();
}

// A rack's upload as `upload` makes it, on the rack's own thread.
RackOutcome uploadWork(Session &session, RackObserver &observer)
{
    RackOutcome r;
    OperationResult result = OperationResult::Failed;
    r.error = UploadRack(session, observer, &result);
    r.code = result == OperationResult::Completed   ? kExitDone
             : result == OperationResult::Cancelled ? kExitInterrupted
                                                    : kExitRack;
    if (r.code == kExitDone) {
        r.cards = session.cards;
        r.commModel = session.commCardModel;
        r.commVersion = session.commCardVersion;
    }
    return r;
}

class PlantRun
{
public:
    PlantRun(const PlantOptions &o, const Plant &plant, Console &c) : m_o(o), m_plant(plant), m_c(c)
    {
        m_root =
            !o.out.isEmpty()
                ? o.out
                : QDir(QFileInfo(plant.path).absolutePath()).filePath(QStringLiteral("backups"));
    }

    int backup();
    int verify();
    int report();

private:
    // Uploads the racks with `take` true, each rack's outcome to `done`.
    void uploadAll(const QList<bool> &take,
                   const std::function<void(int, const RackOutcome &)> &done);
    int finish(const QList<RackLine> &lines, const QString &heading, const QString &key);

    const PlantOptions &m_o;
    const Plant &m_plant;
    Console &m_c;
    QString m_root;
};

void PlantRun::uploadAll(const QList<bool> &take,
                         const std::function<void(int, const RackOutcome &)> &done)
{
    QList<PlantRack> racks;
    QList<int> index;
    QStringList names;
    for (qsizetype i = 0; i < m_plant.racks.size(); ++i)
        if (take.at(i)) {
            racks << m_plant.racks.at(i);
            index << int(i);
            names << m_plant.racks.at(i).name;
        }
    PlantRunner runner(m_o.jobs, uploadWork);
    PlantProgress progress(m_c, names, runner);
    // Ctrl-C: every rack stops after its slot in progress; a second ends the program.
    const InterruptWatch watch([&runner] { runner.requestStop(); });
    const QList<RackOutcome> results = runner.runAll(racks);
    for (qsizetype k = 0; k < results.size(); ++k) {
        RackOutcome r = results.at(k);
        if (!r.started) {
            r.code = kExitInterrupted;
            r.error = QStringLiteral("not started: interrupted");
        }
        done(index.at(k), r);
    }
}

int PlantRun::finish(const QList<RackLine> &lines, const QString &heading, const QString &key)
{
    int code = kExitDone;
    for (const RackLine &l : lines) {
        code = qMax(code, l.code);
        if (l.code != kExitDone && l.code != kExitDifferences) {
            m_c.error(QStringLiteral("%1: %2").arg(l.name, l.result));
            m_c.detail(l.place);
        }
    }
    if (m_o.json)
        m_c.out << json(lines, key);
    else
        m_c.out << table(lines, heading);
    m_c.out << Qt::flush;
    return code;
}

RackLine failedLine(const PlantRack &rack, const RackOutcome &r)
{
    RackLine l{rack.name, rack.port, r.code, r.error, -1, -1, r.ms, {}, {}, r.place};
    return l;
}

// A rack whose upload went through, with what became of its file.
RackLine doneLine(const PlantRack &rack, const RackOutcome &r, const QString &result,
                  const QString &file)
{
    return {rack.name, rack.port, kExitDone, result, CardsHeld(r.cards), -1, r.ms, file, {}, {}};
}

int PlantRun::backup()
{
    QList<RackLine> lines(m_plant.racks.size());
    QList<QString> previous;
    for (const PlantRack &rack : m_plant.racks) {
        const QList<BackupFile> earlier = ListBackups(m_root, rack.name);
        previous << (earlier.isEmpty() ? QString() : earlier.first().path);
    }
    uploadAll(QList<bool>(m_plant.racks.size(), true), [&](int i, const RackOutcome &r) {
        const PlantRack &rack = m_plant.racks.at(i);
        if (r.code != kExitDone) {
            lines[i] = failedLine(rack, r);
            return;
        }
        RackLine &l = lines[i];
        l = doneLine(rack, r, QStringLiteral("saved"), {});
        const Result<QString> written =
            WriteBackup(m_root, rack.name, r.cards, QDateTime::currentDateTime(), false);
        if (!written) {
            l.code = kExitUsage;
            l.result = QStringLiteral("not saved: ") + written.reason();
            return;
        }
        l.file = *written;
        if (previous.at(i).isEmpty())
            return;
        if (const Result<CardTable> before = OpenParameterFile(previous.at(i)))
            l.changed = settingsDiffering(CompareTables(*before, r.cards));
    });
    return finish(lines, QStringLiteral("Changed"), QStringLiteral("changed"));
}

int PlantRun::verify()
{
    QList<RackLine> lines(m_plant.racks.size());
    QList<std::optional<CardTable>> reference(m_plant.racks.size());
    QList<bool> take(m_plant.racks.size(), false);
    for (qsizetype i = 0; i < m_plant.racks.size(); ++i) {
        const PlantRack &rack = m_plant.racks.at(i);
        RackLine &l = lines[i];
        l = {rack.name, rack.port, kExitUsage, {}, -1, -1, 0, rack.file, {}, {}};
        if (l.file.isEmpty()) {
            // An as-found backup is the rack before a download changed it on
            // purpose: not what it should hold now.
            QList<BackupFile> backups = ListBackups(m_root, rack.name);
            backups.removeIf([](const BackupFile &b) { return b.asFound; });
            if (backups.isEmpty()) {
                l.result = QStringLiteral("no backup under %1 and no \"file\" in the plant")
                               .arg(QDir::toNativeSeparators(m_root));
                continue;
            }
            l.file = backups.first().path;
        }
        // Read before the upload, so that a bad file does not cost one.
        Result<CardTable> read = OpenParameterFile(l.file);
        if (!read) {
            l.result = read.reason();
            continue;
        }
        reference[i] = std::move(*read);
        take[i] = true;
    }
    uploadAll(take, [&](int i, const RackOutcome &r) {
        RackLine &l = lines[i];
        l.ms = r.ms;
        l.code = r.code;
        if (r.code != kExitDone) {
            l.result = r.error;
            l.place = r.place;
            return;
        }
        l.cards = CardsHeld(r.cards);
        l.differences = CompareTables(*reference.at(i), r.cards);
        l.changed = settingsDiffering(l.differences);
        l.code = SettingsDiffer(l.differences) ? kExitDifferences : kExitDone;
        l.result = l.code == kExitDone ? QStringLiteral("matches") : QStringLiteral("differs");
    });
    if (!m_o.json)
        for (const RackLine &l : lines)
            if (l.changed >= 0)
                m_c.out << QStringLiteral("== %1 (%2) ==\n").arg(l.name, l.port)
                        << DifferencesText(l.differences, QDir::toNativeSeparators(l.file));
    return finish(lines, QStringLiteral("Differences"), QStringLiteral("differences"));
}

int PlantRun::report()
{
    if (!QDir().mkpath(m_o.out)) {
        m_c.error(
            QStringLiteral("Could not make the folder %1").arg(QDir::toNativeSeparators(m_o.out)));
        return kExitUsage;
    }
    QList<RackLine> lines(m_plant.racks.size());
    const QString suffix = m_o.html ? QStringLiteral(".html") : QStringLiteral(".pdf");
    uploadAll(QList<bool>(m_plant.racks.size(), true), [&](int i, const RackOutcome &r) {
        const PlantRack &rack = m_plant.racks.at(i);
        if (r.code != kExitDone) {
            lines[i] = failedLine(rack, r);
            return;
        }
        RackLine &l = lines[i];
        l = doneLine(rack, r, QStringLiteral("written"),
                     QDir(m_o.out).filePath(rack.name + suffix));
        ReportHeader header;
        header.port = r.portText;
        header.commModel = r.commModel;
        header.commVersion = r.commVersion;
        header.rackName = rack.name;
        header.tags = rack.tags;
        header.performedBy = m_o.performedBy;
        header.witnessedBy = m_o.witnessedBy;
        if (const Status saved = RackReport(r.cards, header).save(l.file); !saved) {
            l.code = kExitUsage;
            l.result = QStringLiteral("not written: ") + saved.reason();
        }
    });
    return finish(lines, {}, {});
}

} // namespace

int RunPlant(const QStringList &arguments, Console &console)
{
    const PlantOptions o = parse(arguments);
    if (!o.error.isEmpty()) {
        console.error(o.error + QStringLiteral(" (see v9con-cli plant --help)"));
        return kExitUsage;
    }
    if (o.help) {
        console.out << PlantHelpText() << Qt::flush;
        return kExitDone;
    }
    const Result<Plant> plant = LoadPlantFile(o.plantFile);
    if (!plant) {
        console.error(plant.reason());
        return kExitUsage;
    }
    PlantRun run(o, *plant, console);
    if (o.action == QLatin1String("backup"))
        return run.backup();
    if (o.action == QLatin1String("verify"))
        return run.verify();
    return run.report();
}

bool PlantWritesReports(const QStringList &arguments)
{
    return arguments.value(0) == QLatin1String("report");
}

QString PlantHelpText()
{
    return QStringLiteral(
        R"(Usage: v9con-cli plant backup PLANT.json [--out DIR] [--jobs N] [--json]
       v9con-cli plant verify PLANT.json [--out DIR] [--jobs N] [--json]
       v9con-cli plant report PLANT.json -o DIR [--html] [--performed-by NAME]
                                         [--witnessed-by NAME] [--jobs N]

Runs one command on every rack of a plant file (see docs/plant.md) at the
same time, at most N racks at once (default 8), each rack on its own port.
A rack that fails does not stop or slow the others. Progress goes to
standard error: a line per rack, redrawn on a terminal; in a log a line
when a rack starts, retries after silence and ends.

  backup   uploads every rack and saves DIR/<rack>/<yyyyMMdd-HHmmss>.uJx
           (the bytes upload -o writes). The table lists each rack's result,
           cards, settings changed since the rack's previous backup, time.
  verify   uploads every rack and compares it with the rack's "file" in the
           plant file, or else its latest backup under DIR; differences are
           listed as verify lists them.
  report   uploads every rack and writes DIR/<rack>.pdf (or .html), headed
           with the rack's name, its tags beside the channels, and a
           sign-off block with the names given or lines to sign.

  -o, --out DIR           the backup folder (default: "backups" beside the
                          plant file); for report, where reports go
  --jobs N                racks at once, 1..256
  --json                  the table as a JSON object
  --html                  reports as HTML instead of PDF
  --performed-by NAME     printed in the report's sign-off block
  --witnessed-by NAME     printed in the report's sign-off block

Exit code: the highest of the racks' codes: 0 all done, 1 verify found
differences, 2 the plant file, a rack's file or a backup could not be read
or written, 3 a rack did not answer or its port failed. A damaged plant
file is refused before any rack is touched (exit code 2).
)");
}
