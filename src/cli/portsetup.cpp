#include "cli/portsetup.h"

#include "link/portprovider.h"
#include "sim/simulatedports.h"
#include "sim/demorack.h"
#include "sim/rackloader.h"

std::unique_ptr<PortProvider> MakePorts(const PortChoice &choice,
                                        std::unique_ptr<SimulatedRack> &rack, QString *error)
{
    switch (choice.kind) {
    case PortChoice::Kind::Simulate: {
        rack = choice.rackFile.isEmpty() ? DemoRack() : LoadRackFile(choice.rackFile, error);
        if (!rack)
            return nullptr;
        return std::make_unique<SimulatedPortProvider>(*rack);
    }
    case PortChoice::Kind::Device: {
        auto serial = std::make_unique<SerialPortProvider>();
        serial->map(PortNumber(choice), choice.device);
        return serial;
    }
    case PortChoice::Kind::Com:
        break;
    }
    return std::make_unique<SerialPortProvider>();
}

int PortNumber(const PortChoice &choice)
{
    return choice.kind == PortChoice::Kind::Com ? choice.comNo : 1;
}
