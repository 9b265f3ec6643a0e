#pragma once

#include "cli/cliopts.h"

#include <memory>

class PortProvider;
class SimulatedRack;

// The ports the chosen option reaches. For --simulate the rack is made
// here and kept in `rack`; nullptr and the reason (naming the rack file)
// when it cannot be.
std::unique_ptr<PortProvider> MakePorts(const PortChoice &choice,
                                        std::unique_ptr<SimulatedRack> &rack, QString *error);
// The COM number the session opens.
int PortNumber(const PortChoice &choice);
