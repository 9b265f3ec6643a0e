#include "exchange/portsetup.h"

#include "link/portprovider.h"
#include "sim/demorack.h"
#include "sim/rackloader.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"

Result<std::unique_ptr<PortProvider>> MakePortProvider(const PortSetup &setup,
                                                       std::unique_ptr<SimulatedRack> &rack)
{
    if (setup.simulate) {
        Result<std::unique_ptr<SimulatedRack>> loaded =
            setup.rackFile.isEmpty() ? DemoRack() : LoadRackFile(setup.rackFile);
        if (!loaded)
            return Result<std::unique_ptr<PortProvider>>::failedAs(loaded);
        rack = std::move(*loaded);
        return std::unique_ptr<PortProvider>(std::make_unique<SimulatedPortProvider>(*rack));
    }
    auto serial = std::make_unique<SerialPortProvider>();
    for (auto it = setup.comDevices.cbegin(); it != setup.comDevices.cend(); ++it)
        serial->map(it.key(), it.value());
    return std::unique_ptr<PortProvider>(std::move(serial));
}

QString PortText(const PortProvider &ports, int comNo)
{
    const QString where =
        ports.simulated() ? QStringLiteral("simulated rack") : ports.describe(comNo);
    return QStringLiteral("COM%1 (%2)").arg(comNo).arg(where);
}
