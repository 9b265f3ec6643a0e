#pragma once

#include <QByteArray>

// The description of the built-in demo rack, in the rack file format.
QByteArray demoRackJson();
