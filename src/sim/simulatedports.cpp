#include "sim/simulatedports.h"

#include "link/memoryport.h"
#include "sim/simulatedrack.h"

std::unique_ptr<LinkPort> SimulatedPortProvider::create(int comNo)
{
    auto port = std::make_unique<MemoryPort>(describe(comNo));
    m_rack.attach(port.get());
    return port;
}

QString SimulatedPortProvider::describe(int comNo) const
{
    return QStringLiteral("Simulated rack (COM%1)").arg(comNo);
}
