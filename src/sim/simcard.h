#pragma once

#include "model/catalogue.h"
#include "sim/simslot.h"

#include <array>
#include <map>

// One simulated I/O card. Its items follow from its model code: the
// parameter items of its kind, live values or channel states, and the extra
// items of thermocouple, RTD and transformer cards. A model code that no
// kind matches still answers its model and version.
class SimCard final : public SimSlot
{
public:
    SimCard(QString model, QString version);

    QString model() const { return m_model; }
    QString version() const { return m_version; }
    int kind() const { return m_kind.kind; }
    int channels() const { return m_kind.channels; }
    bool isTemperatureCard() const { return m_kind.hasSensor(); }
    bool isDiscrete() const { return m_kind.isDiscrete(); }

    bool hasItem(int item) const override { return m_items.count(item) != 0; }
    QByteArray read(int item, qint64 nowMs) const override;
    QByteArray write(int item, const QString &data) override;
    bool setValue(int item, const QString &text) override;

    // What writing item 9 with the channel index answers (thermocouple, RTD).
    bool setBurnout(int channel, const QString &text);
    // Discrete cards: states before the inputs' own toggling; bit 0 = channel 1.
    void setStates(quint16 states) { m_states = states & channelMask(); }

private:
    enum class Role
    {
        Selector,
        Model,
        Version,
        ZeroScale,
        FullScale,
        Bias,
        Gain,
        ZeroBase,
        FullBase,
        Span,
        Live,
        Count,
        Channel,
        Packed,
        Burnout,
        Unit,
        Sensor,
        Limit,
        Range
    };
    struct Item
    {
        Role role;
        QString prefix;
        QString value;
        int channel = 0;
    };

    void addItems();
    void add(int item, Role role, const char *prefix, QString value = {}, int channel = 0);
    bool accepts(const Item &item, const QString &data) const;
    QString liveText(const Item &item, qint64 nowMs) const;
    quint16 statesAt(qint64 nowMs) const;
    quint16 channelMask() const;

    QString m_model;
    QString m_version;
    const CardKind &m_kind;
    std::map<int, Item> m_items;
    std::array<QString, 2> m_burnout{QStringLiteral("1"), QStringLiteral("1")};
    int m_burnoutChannel = 0;
    quint16 m_states = 0;
};
