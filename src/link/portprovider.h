#pragma once

#include "link/linkport.h"
#include "link/portdesignation.h"

#include <QMap>
#include <memory>

// Turns the operator's COM port number into a port.
class PortProvider
{
public:
    virtual ~PortProvider() = default;
    virtual std::unique_ptr<LinkPort> create(int comNo) = 0;
    // What COM n reaches, shown as the option's tool tip.
    virtual QString describe(int comNo) const = 0;
    // Every port reaches the built-in simulated rack.
    virtual bool simulated() const { return false; }
    // COM n opens this device from now on (a path the operator typed).
    virtual void map(int /*comNo*/, const QString & /*device*/) {}
};

// Real serial devices: COMn is /dev/ttyS<n-1> on Linux and COMn on Windows,
// unless mapped to another device (a USB adapter, a pseudo-terminal) or to
// a serial device server (tcp://HOST:PORT, rfc2217://HOST:PORT); see
// ParsePortDesignation.
class SerialPortProvider final : public PortProvider
{
public:
    void map(int comNo, const QString &device) override { m_map.insert(comNo, device); }
    std::unique_ptr<LinkPort> create(int comNo) override;
    // The designation as mapped: every display names the port by it.
    QString describe(int comNo) const override;
    void setNetworkTiming(NetworkTiming timing) { m_timing = timing; }

private:
    QMap<int, QString> m_map;
    NetworkTiming m_timing;
};
