#include "cli/commands.h"

#include "cli/comparison.h"
#include "cli/console.h"
#include "cli/fileaccess.h"
#include "cli/monitorcommand.h"
#include "cli/progressprinter.h"
#include "cli/rackconnection.h"
#include "cli/reports.h"
#include "exchange/download.h"
#include "exchange/session.h"
#include "files/parameterfile.h"

#include <QDir>
#include <QTextStream>

namespace {

int knownCards(const CardTable &cards)
{
    int n = 0;
    for (int i = 1; i <= kCardCount; ++i)
        n += cards[i].ModelKind != kNoCard;
    return n;
}

QString refusedWrites(const QList<FailedWrite> &writes)
{
    QStringList items;
    for (const FailedWrite &w : writes)
        items << QStringLiteral("card %1 item %2").arg(w.cardNo).arg(w.item);
    return QStringLiteral("%1 write%2 not accepted: %3")
        .arg(writes.size())
        .arg(writes.size() == 1 ? QStringLiteral(" was") : QStringLiteral("s were"))
        .arg(items.join(QStringLiteral(", ")));
}

} // namespace

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
        return download(o.file);
    case CliCommand::Verify:
        return verify(o.file, o.json);
    case CliCommand::Show:
        return show(o.file, o.json);
    case CliCommand::Monitor:
        return RunMonitor(m_s, m_c, {o.passes, o.intervalMs, o.csvPath});
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
    const QString error = UploadRack(m_s, progress);
    if (!error.isEmpty())
        return fail(kExitRack, error);
    const QString writeError = WriteParameterFile(m_s.cards, path);
    if (!writeError.isEmpty())
        return fail(kExitUsage, writeError);
    m_c.out << QStringLiteral("%1: %2 cards saved\n")
                   .arg(QDir::toNativeSeparators(path))
                   .arg(knownCards(m_s.cards))
            << Qt::flush;
    return kExitDone;
}

int Commands::download(const QString &path)
{
    QString error;
    auto cards = LoadParameterFile(path, &error);
    if (!cards)
        return fail(kExitUsage, error);
    const QString connectError = ConnectRack(m_s);
    if (!connectError.isEmpty())
        return fail(kExitRack, connectError);
    m_s.cards = std::move(*cards);
    ProgressPrinter progress(m_c);
    const DownloadOutcome outcome = DownloadAllCards(m_s, progress);
    if (outcome.result != OperationResult::Completed)
        return fail(kExitRack, LinkFailureText(m_s, QStringLiteral("download incomplete")));
    if (!outcome.failedWrites.isEmpty())
        return fail(
            kExitRack,
            QStringLiteral("%1 on %2").arg(refusedWrites(outcome.failedWrites), DeviceOf(m_s)));
    m_c.out << QStringLiteral("%1: %2 cards written\n")
                   .arg(QDir::toNativeSeparators(path))
                   .arg(knownCards(m_s.cards))
            << Qt::flush;
    return kExitDone;
}

int Commands::verify(const QString &path, bool json)
{
    QString error;
    const auto file = LoadParameterFile(path, &error);
    if (!file)
        return fail(kExitUsage, error);
    ProgressPrinter progress(m_c);
    const QString uploadError = UploadRack(m_s, progress);
    if (!uploadError.isEmpty())
        return fail(kExitRack, uploadError);
    const QList<Difference> differences = CompareTables(*file, m_s.cards);
    const QString shown = QDir::toNativeSeparators(path);
    if (json)
        m_c.out << DifferencesJson(differences, shown);
    else
        m_c.out << DifferencesText(differences, shown);
    m_c.out << Qt::flush;
    return SettingsDiffer(differences) ? kExitDifferences : kExitDone;
}

int Commands::show(const QString &path, bool json)
{
    TableSource source;
    CardTable cards;
    if (!path.isEmpty()) {
        QString error;
        auto loaded = LoadParameterFile(path, &error);
        if (!loaded)
            return fail(kExitUsage, error);
        cards = std::move(*loaded);
        source.file = QDir::toNativeSeparators(path);
    } else {
        ProgressPrinter progress(m_c);
        const QString error = UploadRack(m_s, progress);
        if (!error.isEmpty())
            return fail(kExitRack, error);
        cards = m_s.cards;
        source.commModel = progress.commModel();
        source.commVersion = progress.commVersion();
    }
    if (json)
        m_c.out << ShowJson(cards, source);
    else
        m_c.out << ShowText(cards, source);
    m_c.out << Qt::flush;
    return kExitDone;
}
