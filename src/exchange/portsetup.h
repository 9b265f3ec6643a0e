#pragma once

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
// which must outlive the ports; nullptr and the reason (naming the rack
// file) when it cannot be.
std::unique_ptr<PortProvider>
MakePortProvider(const PortSetup &setup, std::unique_ptr<SimulatedRack> &rack, QString *error);

// The port the operator chose, as every display names it:
// "COM1 (/dev/ttyUSB0)", or "COM1 (simulated rack)".
QString PortText(const PortProvider &ports, int comNo);
