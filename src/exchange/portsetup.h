#pragma once

#include "link/result.h"
#include <QMap>
#include <QString>
#include <memory>

class PortProvider;
class SimulatedRack;

// Where the program's COM ports lead: the simulator, or serial devices with
// some COM numbers mapped to other devices.
struct PortSetup
{
    bool simulate = false;
    QString rackFile; // with simulate: empty is the built-in demo rack
    QMap<int, QString> comDevices;
};

// The ports of `setup`. A simulated rack is made here and kept in `rack`,
// which must outlive the ports; a rack file that cannot be read is the
// reason, naming the file.
Result<std::unique_ptr<PortProvider>> MakePortProvider(const PortSetup &setup,
                                                       std::unique_ptr<SimulatedRack> &rack);

// The port the operator chose, as every display names it:
// "COM1 (/dev/ttyUSB0)", or "COM1 (simulated rack)".
QString PortText(const PortProvider &ports, int comNo);
