#pragma once

#include "sim/simulatedrack.h"

#include <QByteArray>
#include <memory>

// The description of the built-in demo rack, in the rack file format.
QByteArray demoRackJson();
// The built-in rack of docs/simulator.md.
std::unique_ptr<SimulatedRack> DemoRack();
