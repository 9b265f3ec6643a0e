#pragma once

#include <QStringList>

struct Console;

// v9con-cli plant backup|verify|report PLANT.json ...: `arguments` are
// those after "plant". Returns the exit code: the highest of the racks'.
int RunPlant(const QStringList &arguments, Console &console);
// The help of the plant commands.
QString PlantHelpText();
// Whether these arguments after "plant" write reports (which need fonts).
bool PlantWritesReports(const QStringList &arguments);
