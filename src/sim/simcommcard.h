#pragma once

#include "sim/simslot.h"

#include <map>

// The communication card at address "00": identity, the installed-card mask,
// the upload's set-up items, the communication time-out and, on the
// Ethernet model, the network settings.
class SimCommCard final : public SimSlot
{
public:
    SimCommCard(QString model, QString version);

    QString model() const { return m_model; }
    QString version() const { return m_version; }
    bool isEthernet() const { return m_model.startsWith(QLatin1String("V9-XS1")); }

    // Bit 0 = slot 1; kept up to date by the rack.
    void setInstalled(quint16 mask) { m_installed = mask; }
    // Cards whose firmware cannot set the time-out refuse item 09.
    void setTimeoutRefused(bool refused) { m_timeoutRefused = refused; }

    bool hasItem(int item) const override;
    QByteArray read(int item, qint64 nowMs) const override;
    QByteArray write(int item, const QString &data) override;
    bool setValue(int item, const QString &text) override;

private:
    bool accepts(int item, const QString &data) const;
    bool isEthernetItem(int item) const;
    QByteArray reply(const char *prefix, const QString &value) const;

    QString m_model;
    QString m_version;
    quint16 m_installed = 0;
    bool m_timeoutRefused = false;
    // Stored texts of the writable items and of the MAC address parts.
    std::map<int, QString> m_values;
};
