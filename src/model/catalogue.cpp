#include "model/catalogue.h"

#include "model/cardcodes.h"

#include <cmath>

namespace {

using Items = std::array<int, 12>;

constexpr Items kNone{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
// Voltage/current and thermocouple cards of the first generation.
constexpr Items kA1{13, 14, 11, 12, 19, 20, -1, -1, -1, -1, -1, -1};
constexpr Items kA2{16, 17, 12, 13, 28, 29, 18, 19, 14, 15, 30, 31};
// Cards without zero/full base.
constexpr Items kF1{13, 14, 11, 12, -1, -1, -1, -1, -1, -1, -1, -1};
constexpr Items kF2{16, 17, 12, 13, -1, -1, 18, 19, 14, 15, -1, -1};
// Transformer, RTD and newer thermocouple cards.
constexpr Items kN1{13, 14, 11, 12, 21, 22, -1, -1, -1, -1, -1, -1};
constexpr Items kN2{16, 17, 12, 13, 32, 33, 18, 19, 14, 15, 34, 35};
// IN/OUT cards with one channel on the two-channel item map.
constexpr Items kAA{16, 17, 12, 13, 28, 29, -1, -1, -1, -1, -1, -1};
constexpr Items kFA{16, 17, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1};
// Pulse cards: count and span per channel.
constexpr Items kP{10, 14, -1, -1, -1, -1, 11, 15, -1, -1, -1, -1};

struct KindRow
{
    int inputClass;
    int status;
    int chCount;
    int formType;
    Items items;
};

constexpr std::array<KindRow, kKindCount> kKinds{{
    {6, 1, 1, 1, kA1},    // 0  XA.1
    {6, 1, 2, 1, kA2},    // 1  XA.2
    {6, 1, 1, 1, kA1},    // 2  XB.1
    {6, 1, 2, 1, kA2},    // 3  XB.2
    {6, 1, 1, 1, kA1},    // 4  XC.1
    {6, 1, 2, 1, kA2},    // 5  XC.2
    {6, 2, 1, 1, kA1},    // 6  XJ.1
    {6, 2, 2, 1, kA2},    // 7  XJ.2
    {6, 2, 1, 1, kA1},    // 8  XK.1
    {6, 2, 2, 1, kA2},    // 9  XK.2
    {6, 1, 1, 1, kF1},    // 10 XF.1
    {6, 1, 2, 1, kF2},    // 11 XF.2
    {2, 1, 4, 3, kNone},  // 12 XG.4
    {2, 1, 16, 3, kNone}, // 13 XG..6
    {3, 2, 4, 3, kNone},  // 14 XH.4
    {3, 2, 16, 3, kNone}, // 15 XH..6
    {4, 1, 2, 2, kP},     // 16 XL.2
    {5, 2, 2, 2, kP},     // 17 XM.2
    {6, 1, 1, 1, kN1},    // 18 XN.1
    {6, 1, 2, 1, kN2},    // 19 XN.2
    {6, 1, 1, 1, kN1},    // 20 XP.1
    {6, 1, 2, 1, kN2},    // 21 XP.2
    {6, 3, 1, 1, kAA},    // 22 XA.A
    {6, 3, 1, 1, kAA},    // 23 XB.A
    {6, 3, 1, 1, kAA},    // 24 XC.A
    {6, 3, 1, 1, kFA},    // 25 XF.A
    {0, 1, 1, 1, kN1},    // 26 XDA1
    {0, 1, 2, 1, kN2},    // 27 XDA2
    {1, 1, 1, 1, kN1},    // 28 XEA1
    {1, 1, 2, 1, kN2},    // 29 XEA2
    {6, 1, 1, 1, kN1},    // 30 XPA1
    {6, 1, 2, 1, kN2},    // 31 XPA2
    {6, 1, 1, 1, kN1},    // 32 XPB1
    {6, 1, 2, 1, kN2},    // 33 XPB2
    {6, 4, 0, 0, kNone},  // 34 produced by no code: an empty slot
    {0, 1, 1, 1, kA1},    // 35 XD.1
    {0, 1, 2, 1, kA2},    // 36 XD.2
    {1, 1, 1, 1, kN1},    // 37 XE.1
    {1, 1, 2, 1, kN2},    // 38 XE.2
    {0, 3, 1, 1, kA1},    // 39 XD.A
    {1, 3, 1, 1, kA1},    // 40 XE.A
}};

struct NominalRange
{
    int firstKind;
    int lastKind;
    std::optional<double> low;
    std::optional<double> high;
    const char *unit;
};

constexpr std::array<NominalRange, 10> kRanges{{
    {0, 1, std::nullopt, std::nullopt, "V"},
    {8, 9, std::nullopt, std::nullopt, "V"},
    {2, 7, std::nullopt, std::nullopt, "mA"},
    {18, 19, 0, 300, "V"},
    {20, 21, 0, 5, "A"},
    {22, 22, -10, 10, "V"},
    {23, 23, -10, 10, "mA"},
    {24, 24, 4, 20, "mA"},
    {30, 31, 0, 500, "A"},
    {32, 33, 0, 600, "A"},
}};

// The transformer kinds whose range setting chooses the base rows' high
// end, by setting 0, 1, ...; the one-channel kind reads its setting on item
// 24, the two-channel one on 37 and 38.
struct RangeSetting
{
    int oneChannelKind;
    std::array<double, 5> highs;
    int count;
};

constexpr std::array<RangeSetting, 3> kRangeSettings{{
    {18, {300, 150}, 2},
    {30, {500, 300, 120, 80}, 4},
    {32, {600, 400, 200, 100, 50}, 5},
}};

CardKind describe(int kind)
{
    const KindRow &row = kKinds[static_cast<std::size_t>(kind)];
    CardKind d;
    d.kind = kind;
    d.inputClass = static_cast<InputClass>(row.inputClass);
    d.status = static_cast<CardStatus>(row.status);
    d.channels = row.chCount;
    d.form = static_cast<FormType>(row.formType);
    d.items = row.items;
    if (d.form == FormType::Discrete)
        d.statesItem = 26;
    if (kind == 39 || kind == 40)
        d.liveItem = 22;
    for (const RangeSetting &r : kRangeSettings) {
        if (kind != r.oneChannelKind && kind != r.oneChannelKind + 1)
            continue;
        d.rangeItems =
            kind == r.oneChannelKind ? std::array<int, 2>{24, -1} : std::array<int, 2>{37, 38};
        d.rangeHighs = r.highs;
        d.rangeHighCount = r.count;
    }
    d.limitFunction = d.inputClass == InputClass::Thermocouple;
    d.editableBase = kind >= 18 && kind <= 21;
    d.baseLimitsShown = !(kind <= 11 || kind == 25);
    d.baseRowsShown = !(kind == 10 || kind == 11 || kind == 25);
    for (const NominalRange &r : kRanges)
        if (kind >= r.firstKind && kind <= r.lastKind) {
            d.rangeLow = r.low;
            d.rangeHigh = r.high;
            d.rangeUnit = r.unit;
        }
    if (d.inputClass == InputClass::Thermocouple)
        d.sensors = CardKind::Sensors::Thermocouple;
    else if (d.inputClass == InputClass::Rtd)
        d.sensors =
            kind == 28 || kind == 29 ? CardKind::Sensors::NarrowRtd : CardKind::Sensors::Rtd;
    return d;
}

struct SensorSpec
{
    const char *name;
    double lowC;
    double highC;
};

// Degrees Fahrenheit are whole degrees; Kelvin is deg C + 273 exactly.
SensorTable buildTable(const std::vector<SensorSpec> &specs)
{
    SensorTable t;
    const char *units[3] = {"deg C", "deg F", "K"};
    for (std::size_t u = 0; u < 3; ++u) {
        t[u].Unit = QString::fromLatin1(units[u]);
        for (std::size_t i = 0; i < specs.size(); ++i) {
            const SensorSpec &s = specs[i];
            t[u].Names << QString::fromLatin1(s.name);
            auto convert = [u](double c) {
                return u == 0 ? c : u == 1 ? std::round(c * 1.8 + 32) : c + 273;
            };
            t[u].LowLimit[i] = convert(s.lowC);
            t[u].HighLimit[i] = convert(s.highC);
        }
    }
    return t;
}

} // namespace

const CardKind &KindOf(int kind)
{
    static const std::array<CardKind, kKindCount> kinds = [] {
        std::array<CardKind, kKindCount> all;
        for (int k = 0; k < kKindCount; ++k)
            all[static_cast<std::size_t>(k)] = describe(k);
        return all;
    }();
    static const CardKind none;
    if (kind < 0 || kind >= kKindCount)
        return none;
    return kinds[static_cast<std::size_t>(kind)];
}

int CardKind::itemNo(int slot) const
{
    if (slot < 1 || slot > 12)
        return -1;
    return items[static_cast<std::size_t>(slot - 1)];
}

int CardKind::liveItemOf(int channel) const
{
    if (channel < 1 || channel > channels)
        return -1;
    return liveItem + channel - 1;
}

const QStringList *CardKind::sensorNames() const
{
    switch (sensors) {
    case Sensors::None:
        return nullptr;
    case Sensors::Thermocouple:
        return &TCTable()[0].Names;
    case Sensors::Rtd:
    case Sensors::NarrowRtd:
        // The narrow kinds name their types as the others do.
        return &RTDTable()[0].Names;
    }
    return nullptr;
}

const SensorTable *CardKind::sensorTable() const
{
    switch (sensors) {
    case Sensors::None:
        return nullptr;
    case Sensors::Thermocouple:
        return &TCTable();
    case Sensors::Rtd:
        return &RTDTable();
    case Sensors::NarrowRtd:
        return &RTD2Table();
    }
    return nullptr;
}

std::optional<double> CardKind::baseHigh(int aux) const
{
    if (rangeHighCount == 0)
        return rangeHigh;
    if (aux < 1 || aux >= rangeHighCount)
        return rangeHighs[0];
    return rangeHighs[static_cast<std::size_t>(aux)];
}

QString StatusName(CardStatus status)
{
    switch (status) {
    case CardStatus::In:
        return QStringLiteral("IN");
    case CardStatus::Out:
        return QStringLiteral("OUT");
    case CardStatus::InOut:
        return QStringLiteral("IN/OUT");
    case CardStatus::None:
        break;
    }
    return QStringLiteral("NONE");
}

quint32 StatusColor(CardStatus status)
{
    switch (status) {
    case CardStatus::In:
    case CardStatus::None:
        return 0xC00000;
    case CardStatus::Out:
        return 0x0000C0;
    case CardStatus::InOut:
        break;
    }
    return 0x80000012;
}

const SensorTable &TCTable()
{
    static const SensorTable table = buildTable({
        {"(PR)", 0, 1760},
        {"K(CA)", -270, 1370},
        {"E(CRC)", -270, 1000},
        {"J(IC)", -210, 1200},
        {"T(CC)", -270, 400},
        {"B(RH)", 100, 1820},
        {"R", -50, 1768},
        {"S", -50, 1768},
        {"WRe 5-26", 0, 2315},
        {"N", -270, 1300},
        {"U", -200, 600},
        {"L", -200, 900},
        {"Platinel", 0, 1395},
    });
    return table;
}

const SensorTable &RTDTable()
{
    static const SensorTable table = buildTable({
        {"Cu50", -50, 150},
        {"Pt100JIS'89", -200, 660},
        {"Pt100JIS'97", -200, 850},
        {"Pt50JIS'81", -200, 649},
        {"Ni100", -80, 250},
        {"Cu10at25", -50, 250},
        {"Pt1000", -200, 850},
        {"Ni508.4", -50, 200},
        {"JPt100JIS'89", -200, 510},
    });
    return table;
}

const SensorTable &RTD2Table()
{
    // Only the platinum types have a narrow range; the others are "-" with 0 .. 0.
    static const SensorTable table = [] {
        SensorTable t = buildTable({
            {"-", 0, 0},
            {"Pt100JIS'89", -20, 200},
            {"Pt100JIS'97", -20, 200},
            {"-", 0, 0},
            {"-", 0, 0},
            {"-", 0, 0},
            {"-", 0, 0},
            {"-", 0, 0},
            {"JPt100JIS'89", -20, 200},
        });
        for (auto &unitRow : t)
            for (int i : {0, 3, 4, 5, 6, 7})
                unitRow.LowLimit[static_cast<std::size_t>(i)] =
                    unitRow.HighLimit[static_cast<std::size_t>(i)] = 0;
        return t;
    }();
    return table;
}

void InitTables(GlobalState &state)
{
    state.SelectedCardNo = 0;
    state.ComPortNo = 1;
    state.CommBaudRate = QStringLiteral("1200");
    state.Initialising = true;
    state.IsMonitoring = false;
    // Build the sensor tables now rather than inside the first upload.
    TCTable();
    RTDTable();
    RTD2Table();
}
