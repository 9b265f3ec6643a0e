#include "cli/reportcommand.h"

#include "cli/commands.h"
#include "cli/console.h"
#include "cli/fileaccess.h"
#include "cli/plantcommand.h"
#include "cli/reports.h"
#include "exchange/portsetup.h"
#include "exchange/session.h"
#include "report/rackreport.h"
#include "report/sessionreport.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

std::unique_ptr<QCoreApplication> MakeCliApplication(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.value(0) == QLatin1String("plant") && PlantWritesReports(arguments.mid(1))) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    const CliOptions options = ParseCliOptions(arguments);
    if (options.command != CliCommand::Report || options.help || !options.error.isEmpty())
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int Commands::report(const QString &output, const QString &path, const QString &performedBy,
                     const QString &witnessedBy)
{
    // Both checked before an upload, so a typo does not cost one.
    QString problem = RackReport::formatProblem(output);
    if (problem.isEmpty())
        problem = OutputPathProblem(output);
    if (!problem.isEmpty())
        return fail(kExitUsage, problem);

    CardTable cards;
    TableSource source;
    if (const int read =
            readTable(path, QStringLiteral("report"),
                      QStringLiteral("; %1 not written").arg(QDir::toNativeSeparators(output)),
                      cards, source);
        read != kExitDone)
        return read;
    ReportHeader header;
    if (source.file.isEmpty())
        header = SessionReportHeader(m_session);
    else
        header.file = source.file;
    header.performedBy = performedBy;
    header.witnessedBy = witnessedBy;
    if (const Status saved = RackReport(cards, header).save(output); !saved)
        return fail(kExitUsage, saved.reason());
    m_c.out << QStringLiteral("%1: report written\n").arg(QDir::toNativeSeparators(output))
            << Qt::flush;
    return kExitDone;
}
