#include "cli/commands.h"

#include "cli/console.h"
#include "cli/fileaccess.h"
#include "cli/interruptreport.h"
#include "cli/interruptwatch.h"
#include "cli/monitorcommand.h"
#include "cli/progressprinter.h"
#include "cli/rackconnection.h"
#include "cli/reports.h"
#include "exchange/download.h"
#include "exchange/session.h"
#include "files/parameterfile.h"
#include "model/comparison.h"

#include <QDir>
#include <QTextStream>

namespace {

QString refusedWrites(const QList<FailedWrite> &writes)
{
    QStringList items;
    for (const FailedWrite &w : writes)
        items << QStringLiteral("card %1 item %2").arg(w.cardNo).arg(w.item);
    return QStringLiteral("%1 write%2 not accepted: %3")
        .arg(QString::number(writes.size()),
             writes.size() == 1 ? QStringLiteral(" was") : QStringLiteral("s were"),
             items.join(QStringLiteral(", ")));
}

// Ctrl-C while a command talks to the rack: the first lets the slot in
// progress finish and ends the operation before the next; the second closes
// the port, which ends the exchange under way at once through its failure
// path (as the window's Disconnect does).
class CtrlC
{
public:
    CtrlC(Session &s, ProgressPrinter &p)
        : m_watch([&p] { p.requestStop(); }, [&s] { s.line.close(); })
    {
    }

    // Whether Ctrl-C, not the rack, ended an operation that ended so.
    bool ended(OperationResult result) const
    {
        return result == OperationResult::Cancelled ||
               (result != OperationResult::Completed && atOnce());
    }
    bool atOnce() const { return m_watch.count() >= 2; }

private:
    InterruptWatch m_watch;
};

} // namespace

int Commands::interrupted(const QString &command, const QString &progress)
{
    m_c.error(QStringLiteral("%1 interrupted: %2").arg(command, progress));
    return kExitInterrupted;
}

int Commands::uploadRack(ProgressPrinter &progress, const QString &command, const QString &unsaved)
{
    const CtrlC ctrlC(m_session, progress);
    OperationResult result = OperationResult::Failed;
    const QString error = UploadRack(m_session, progress, &result);
    if (ctrlC.ended(result))
        return interrupted(
            command,
            SlotProgressText(UploadProgress(progress.done()), QStringLiteral("read")) + unsaved);
    if (!error.isEmpty()) {
        ReportRackFailure(m_c, m_session, error, progress.failurePlace());
        return kExitRack;
    }
    return kExitDone;
}

int Commands::fail(int code, const QString &message)
{
    m_c.error(message);
    return code;
}

int Commands::run(const CliOptions &o)
{
    switch (o.command) {
    case CliCommand::Upload:
        return upload(o.file);
    case CliCommand::Download:
    case CliCommand::Restore:
        // A restore is a download of a backup, with its own as-found backup.
        if (o.noBackup)
            m_session.backupRoot.clear();
        if (!o.rackName.isEmpty())
            m_session.rackName = o.rackName;
        return download(o.file, CommandName(o.command));
    case CliCommand::Verify:
        return verify(o.file, o.json);
    case CliCommand::Show:
        return show(o.file, o.json);
    case CliCommand::Monitor:
        return RunMonitor(m_session, m_c, {o.passes, o.intervalMs, o.csvPath});
    case CliCommand::Report:
        return report(o.output, o.file, o.performedBy, o.witnessedBy);
    case CliCommand::None:
        break;
    }
    return fail(kExitUsage, QStringLiteral("no command given"));
}

int Commands::upload(const QString &path)
{
    const QString problem = OutputPathProblem(path);
    if (!problem.isEmpty())
        return fail(kExitUsage, problem);
    ProgressPrinter progress(m_c);
    const int uploaded =
        uploadRack(progress, QStringLiteral("upload"),
                   QStringLiteral("; %1 not written").arg(QDir::toNativeSeparators(path)));
    if (uploaded != kExitDone)
        return uploaded;
    if (const Status written = WriteParameterFile(m_session.cards, path); !written)
        return fail(kExitUsage, written.reason());
    m_c.out << QStringLiteral("%1: %2 cards saved\n")
                   .arg(QDir::toNativeSeparators(path))
                   .arg(CardsHeld(m_session.cards))
            << Qt::flush;
    return kExitDone;
}

int Commands::download(const QString &path, const QString &command)
{
    auto cards = LoadParameterFile(path);
    if (!cards)
        return fail(kExitUsage, cards.reason());
    ProgressPrinter progress(m_c);
    const CtrlC ctrlC(m_session, progress);
    const QString written = QStringLiteral("written");
    const QString connectError = ConnectRack(m_session);
    if (!connectError.isEmpty()) {
        if (ctrlC.atOnce())
            return interrupted(command,
                               SlotProgressText(DownloadProgress(*cards, 0, false), written));
        ReportRackFailure(m_c, m_session, connectError);
        return kExitRack;
    }
    m_session.cards = std::move(*cards);
    // The cards in the rack are checked against the file's models.
    m_session.table.opened(path);
    const DownloadOutcome outcome = DownloadAllCards(m_session, progress);
    if (!outcome.notStarted.isEmpty()) {
        const QString why = QStringLiteral("%1 not started: %2").arg(command, outcome.notStarted);
        if (ctrlC.ended(outcome.result))
            return interrupted(command, QStringLiteral("nothing written (%1)").arg(why));
        if (outcome.backupUnwritten)
            return fail(kExitUsage, why);
        ReportRackFailure(m_c, m_session, why, progress.failurePlace());
        return kExitRack;
    }
    if (!outcome.backup.isEmpty())
        m_c.out
            << QStringLiteral("as-found backup: %1\n").arg(QDir::toNativeSeparators(outcome.backup))
            << Qt::flush;
    const auto reportRefused = [&] {
        if (!outcome.failedWrites.isEmpty()) {
            m_c.error(QStringLiteral("%1 on %2")
                          .arg(refusedWrites(outcome.failedWrites), DeviceOf(m_session)));
            m_c.detail(FailedWritesDetail(m_session.cards, outcome.failedWrites));
        }
        if (!outcome.skipped.isEmpty()) {
            m_c.error(QStringLiteral("%1 on %2")
                          .arg(outcome.skipped.size() == 1
                                   ? QStringLiteral("1 slot was not written")
                                   : QStringLiteral("%1 slots were not written")
                                         .arg(outcome.skipped.size()),
                               DeviceOf(m_session)));
            m_c.detail(SkippedCardLines(outcome.skipped).join(QLatin1Char('\n')));
        }
    };
    if (ctrlC.ended(outcome.result)) {
        reportRefused();
        // Stopped at once inside the slot loop: the next card got some writes.
        const bool cutShort = outcome.result != OperationResult::Cancelled && progress.started();
        return interrupted(
            command,
            SlotProgressText(DownloadProgress(m_session.cards, outcome.lastSlotDone, cutShort),
                             written));
    }
    if (outcome.result != OperationResult::Completed) {
        ReportRackFailure(m_c, m_session,
                          LinkFailureText(m_session, command + QStringLiteral(" incomplete")),
                          progress.failurePlace());
        return kExitRack;
    }
    if (!outcome.allWritten()) {
        reportRefused();
        return kExitRefused;
    }
    m_c.out << QStringLiteral("%1: %2 cards written\n")
                   .arg(QDir::toNativeSeparators(path))
                   .arg(CardsHeld(m_session.cards))
            << Qt::flush;
    return kExitDone;
}

int Commands::verify(const QString &path, bool json)
{
    const auto file = LoadParameterFile(path);
    if (!file)
        return fail(kExitUsage, file.reason());
    ProgressPrinter progress(m_c);
    const int uploaded = uploadRack(progress, QStringLiteral("verify"), {});
    if (uploaded != kExitDone)
        return uploaded;
    const QList<Difference> differences = CompareTables(*file, m_session.cards);
    const QString shown = QDir::toNativeSeparators(path);
    if (json)
        m_c.out << DifferencesJson(differences, shown);
    else
        m_c.out << DifferencesText(differences, shown);
    m_c.out << Qt::flush;
    return SettingsDiffer(differences) ? kExitDifferences : kExitDone;
}

int Commands::readTable(const QString &path, const QString &command, const QString &unsaved,
                        CardTable &cards, TableSource &source)
{
    if (!path.isEmpty()) {
        auto loaded = LoadParameterFile(path);
        if (!loaded)
            return fail(kExitUsage, loaded.reason());
        cards = std::move(*loaded);
        source.file = QDir::toNativeSeparators(path);
        return kExitDone;
    }
    ProgressPrinter progress(m_c);
    const int uploaded = uploadRack(progress, command, unsaved);
    if (uploaded != kExitDone)
        return uploaded;
    cards = m_session.cards;
    source.commModel = m_session.commCardModel;
    source.commVersion = m_session.commCardVersion;
    return kExitDone;
}

int Commands::show(const QString &path, bool json)
{
    TableSource source;
    CardTable cards;
    if (const int read = readTable(path, QStringLiteral("show"), {}, cards, source);
        read != kExitDone)
        return read;
    if (json)
        m_c.out << ShowJson(cards, source);
    else
        m_c.out << ShowText(cards, source);
    m_c.out << Qt::flush;
    return kExitDone;
}
