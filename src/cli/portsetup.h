#pragma once

#include "cli/cliopts.h"
#include "link/result.h"

#include <memory>

class PortProvider;
class SimulatedRack;

// The ports the chosen option reaches. For --simulate the rack is made
// here and kept in `rack`; a rack file that cannot be read is the reason,
// naming the file.
Result<std::unique_ptr<PortProvider>> MakePorts(const PortChoice &choice,
                                                std::unique_ptr<SimulatedRack> &rack);
// The COM number the session opens.
int PortNumber(const PortChoice &choice);
