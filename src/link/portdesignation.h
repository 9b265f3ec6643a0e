#pragma once

#include "link/result.h"
#include <QString>
#include <memory>
#include <optional>

class LinkPort;

// Where a COM port leads: a serial device, or a serial device server on the
// network, reached with raw bytes (tcp://HOST:PORT) or with Telnet's
// COM-PORT-OPTION (rfc2217://HOST:PORT).
struct PortDesignation
{
    enum class Kind
    {
        Device,
        Tcp,
        Rfc2217,
    };
    Kind kind = Kind::Device;
    QString text; // as the operator typed it, for every display
    QString host; // network kinds: a name or an address, IPv6 without brackets
    quint16 port = 0;
};

// Anything with a scheme ("xyz://") is a network designation and must be
// tcp:// or rfc2217:// with a host and a port from 1 to 65535; anything else
// is a device path. A designation that is not understood fails with the
// reason.
Result<PortDesignation> ParsePortDesignation(const QString &text);

// The value of --com, in v9con and v9con-cli alike: "N=DEVICE", COM port N
// (1 to 8) opens DEVICE, a designation as above. A value that is not one
// fails with the message both programs print.
struct ComMapping
{
    int comNo = 1;
    QString device;
};
Result<ComMapping> ParseComMapping(const QString &value);

// "HOST:PORT" or "[IPV6]:PORT" into its parts; the port may be 0 when
// allowed. Empty, or what is wrong ("no port").
QString SplitHostPort(const QString &text, QString &host, quint16 &port, bool allowZero = false);

// Time limits of the network ports; tests shorten them.
struct NetworkTiming
{
    int connectMs = 5000;
    // The whole Telnet set-up of an RFC 2217 port, after the connection:
    // a server that leaves some of it unanswered is used as it is then.
    int negotiationMs = 2000;
};

// The port for a designation, not yet open. One that is not understood
// gives a port whose open() says why.
std::unique_ptr<LinkPort> MakeLinkPort(const QString &designation,
                                       const NetworkTiming &timing = {});
