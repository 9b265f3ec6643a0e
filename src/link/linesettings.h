#pragma once

#include <QString>
#include <optional>

// The line settings text every port takes ("1200,n,8,1"), read once for the
// serial port and the RFC 2217 server alike.
struct LineSettings
{
    qint32 baud = 1200;
    char parity = 'n'; // 'n', 'e' or 'o'
    int dataBits = 8;  // 5..8
    int stopBits = 1;  // 1 or 2
};

// Fields that are missing keep their default; nullopt when one is not understood.
std::optional<LineSettings> ParseLineSettings(const QString &text);
