#pragma once

#include <QString>

// The line a port is opened at, handed from Connect to the port as numbers.
// The defaults are the rack's line: 1200 baud, no parity, 8 data bits, 1
// stop bit.
struct LineSettings
{
    enum class Parity
    {
        None,
        Odd,
        Even,
    };
    qint32 baud = 1200;
    Parity parity = Parity::None;
    int dataBits = 8; // 5..8
    int stopBits = 1; // 1 or 2

    bool operator==(const LineSettings &) const = default;
};

// "1200,n,8,1": how a message names the line.
QString LineSettingsText(const LineSettings &s);
// Empty when a port can be set to `s`, else the message saying it cannot.
QString LineSettingsProblem(const LineSettings &s);
