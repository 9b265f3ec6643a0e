#include "exchange/portsetup.h"

#include "link/portprovider.h"
#include "sim/demorack.h"
#include "sim/rackloader.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"

std::unique_ptr<PortProvider> MakePortProvider(const PortSetup &setup,
                                               std::unique_ptr<SimulatedRack> &rack, QString *error)
{
    if (setup.simulate) {
        rack = setup.rackFile.isEmpty() ? DemoRack() : LoadRackFile(setup.rackFile, error);
        if (!rack)
            return nullptr;
        return std::make_unique<SimulatedPortProvider>(*rack);
    }
    auto serial = std::make_unique<SerialPortProvider>();
    for (auto it = setup.comDevices.cbegin(); it != setup.comDevices.cend(); ++it)
        serial->map(it.key(), it.value());
    return serial;
}

QString PortText(const PortProvider &ports, int comNo)
{
    const QString where =
        ports.simulated() ? QStringLiteral("simulated rack") : ports.describe(comNo);
    return QStringLiteral("COM%1 (%2)").arg(comNo).arg(where);
}
