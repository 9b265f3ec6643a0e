#include "cli/portsetup.h"

#include "exchange/portsetup.h"
#include "link/portprovider.h"

Result<std::unique_ptr<PortProvider>> MakePorts(const PortChoice &choice,
                                                std::unique_ptr<SimulatedRack> &rack)
{
    PortSetup setup;
    setup.simulate = choice.kind == PortChoice::Kind::Simulate;
    setup.rackFile = choice.rackFile;
    if (choice.kind == PortChoice::Kind::Device)
        setup.comDevices.insert(PortNumber(choice), choice.device);
    return MakePortProvider(setup, rack);
}

int PortNumber(const PortChoice &choice)
{
    return choice.kind == PortChoice::Kind::Simulate ? 1 : choice.comNo;
}
