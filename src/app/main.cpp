#include "app/frmv9con.h"
#include "app/options.h"
#include "exchange/portsetup.h"
#include "exchange/session.h"
#include "files/backupstore.h"
#include "files/changelog.h"
#include "sim/simulatedrack.h"
#include "v9version.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    // Read before QApplication exists: help, version and a usage error must
    // work where there is no display, and QApplication aborts without one.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const AppOptions options = parseOptions(arguments);
    if (options.help || !options.error.isEmpty()) {
        if (!options.error.isEmpty())
            std::fprintf(stderr, "%s\n\n", qPrintable(options.error));
        std::fputs(qPrintable(usageText()), options.help ? stdout : stderr);
        return options.help ? 0 : 2;
    }
    if (options.version) {
        std::printf("v9con %s\n", V9_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("V9CON"));
    QApplication::setApplicationVersion(QStringLiteral(V9_VERSION));
    setUpSettings();

    std::unique_ptr<SimulatedRack> rack;
    auto ports = MakePortProvider({options.simulate, options.rackFile, options.comDevices}, rack);
    if (!ports) {
        std::fprintf(stderr, "v9con: %s\n", qPrintable(ports.reason()));
        return 2;
    }

    Session session(std::move(*ports));
    ChangeLog changeLog(options.changeLog.isEmpty() ? ChangeLog::defaultPath() : options.changeLog);
    session.changeLog = &changeLog;
    // Every Download first keeps the rack as found.
    session.backupRoot = DefaultBackupRoot();
    frmV9Con window(session);
    window.show();
    return QApplication::exec();
}
