#include "app/frmv9con.h"
#include "app/options.h"
#include "sim/simulatedports.h"
#include "exchange/session.h"
#include "sim/demorack.h"
#include "sim/rackloader.h"
#include "v9version.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("V9CON"));
    QApplication::setApplicationVersion(QStringLiteral(V9_VERSION));

    const AppOptions options = parseOptions(QApplication::arguments().mid(1));
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

    std::unique_ptr<SimulatedRack> rack;
    std::unique_ptr<PortProvider> ports;
    if (options.simulate) {
        QString error;
        rack = options.rackFile.isEmpty() ? DemoRack() : LoadRackFile(options.rackFile, &error);
        if (!rack) {
            std::fprintf(stderr, "v9con: %s\n", qPrintable(error));
            return 2;
        }
        ports = std::make_unique<SimulatedPortProvider>(*rack);
    } else {
        auto serial = std::make_unique<SerialPortProvider>();
        for (auto it = options.comDevices.cbegin(); it != options.comDevices.cend(); ++it)
            serial->map(it.key(), it.value());
        ports = std::move(serial);
    }

    Session session(std::move(ports));
    frmV9Con window(session);
    window.show();
    return QApplication::exec();
}
