#pragma once

#include "link/portprovider.h"

class SimulatedRack;

// Every COM port reaches the same simulated rack through an in-memory port.
class SimulatedPortProvider final : public PortProvider
{
public:
    explicit SimulatedPortProvider(SimulatedRack &rack) : m_rack(rack) {}
    std::unique_ptr<LinkPort> create(int comNo) override;
    QString describe(int comNo) const override;

private:
    SimulatedRack &m_rack;
};
