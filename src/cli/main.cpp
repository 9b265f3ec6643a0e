#include "cli/cliopts.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/helptext.h"
#include "cli/plantcommand.h"
#include "cli/portsetup.h"
#include "cli/reportcommand.h"
#include "exchange/session.h"
#include "files/backupstore.h"
#include "files/changelog.h"
#include "sim/simulatedrack.h"
#include "v9version.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) == 1;
#endif
}

} // namespace

int main(int argc, char **argv)
{
    const std::unique_ptr<QCoreApplication> app = MakeCliApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("v9con-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(V9_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    Console console{out, err, stderrIsTerminal()};

    // A plant's racks each have their own port, from the plant file.
    if (const QStringList args = QCoreApplication::arguments().mid(1);
        args.value(0) == QLatin1String("plant"))
        return RunPlant(args.mid(1), console);

    const CliOptions options = ParseCliOptions(QCoreApplication::arguments().mid(1));
    if (options.error == QLatin1String("unknown command \"plant\"")) {
        console.error(QStringLiteral(
            "plant takes no options before it: each rack's port is in the plant file"));
        return kExitUsage;
    }
    if (!options.error.isEmpty()) {
        console.error(options.error + QStringLiteral(" (see v9con-cli --help)"));
        return kExitUsage;
    }
    if (options.version) {
        out << "v9con-cli " V9_VERSION "\n" << Qt::flush;
        return kExitDone;
    }
    if (options.help) {
        out << HelpText(options.command) << Qt::flush;
        return kExitDone;
    }

    std::unique_ptr<SimulatedRack> rack;
    auto ports = MakePorts(options.port, rack);
    if (!ports) {
        console.error(ports.reason());
        return kExitUsage;
    }
    Session session(std::move(*ports));
    session.state.ComPortNo = PortNumber(options.port);
    ChangeLog changeLog(options.changeLog.isEmpty() ? ChangeLog::defaultPath() : options.changeLog);
    session.changeLog = &changeLog;
    // Every download first keeps the rack as found; --no-backup drops it.
    session.backupRoot = DefaultBackupRoot();
    const int code = Commands(session, console).run(options);
    // Said once, after the command: the writes themselves went on.
    if (const QString failure = changeLog.takeFailure(); !failure.isEmpty())
        console.error(failure);
    return code;
}
