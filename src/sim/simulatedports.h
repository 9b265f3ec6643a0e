#pragma once

#include "link/portprovider.h"

class MemoryPort;
class SimulatedRack;

// The rack answers every command written to the port, from a timer. The
// wiring goes away with the port; attaching twice changes nothing.
void AttachRack(SimulatedRack &rack, MemoryPort *port);

// Every COM port reaches the same simulated rack through an in-memory port.
class SimulatedPortProvider final : public PortProvider
{
public:
    explicit SimulatedPortProvider(SimulatedRack &rack) : m_rack(rack) {}
    std::unique_ptr<LinkPort> create(int comNo) override;
    QString describe(int comNo) const override;
    bool simulated() const override { return true; }

private:
    SimulatedRack &m_rack;
};
