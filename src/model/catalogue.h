#pragma once

#include "model/cardcodes.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

inline constexpr int kKindCount = 41; // kinds 0..40
inline constexpr int kNoCard = 99;

struct SensorRangeRecord;
using SensorTable = std::array<SensorRangeRecord, 3>;

// Everything the program knows of one kind of card. Every place that
// treats kinds differently asks this, never the kind's number.
struct CardKind
{
    int kind = kNoCard;
    InputClass inputClass = InputClass::Other;
    CardStatus status = CardStatus::None;
    int channels = 0; // 0 for no card, 1, 2, 4 or 16
    FormType form = FormType::None;
    // Item of parameter slot 1..12, -1 where the kind has none. Slots 1..6
    // are channel 1's (zero scale, full scale, bias, gain, zero base, full
    // base), 7..12 channel 2's; a pulse card has count and span in 1 and 2.
    std::array<int, 12> items{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    // Item of channel 1's live value; channel n's follows at liveItem + n - 1
    // (discrete channels 1..16 at 10..25). The output kinds read on 22.
    int liveItem = 10;
    // Item of a discrete card's 16 states as four hex digits, -1 for others.
    int statesItem = -1;
    // Range-setting items of channel 1 and 2 (transformer kinds), -1 none.
    std::array<int, 2> rangeItems{-1, -1};
    // Thermocouple kinds: item 37 switches the limit function on firmware
    // that has it.
    bool limitFunction = false;
    // Transformer kinds 18..21: their base rows are set by the operator.
    bool editableBase = false;
    // The base rows' limits beside the editor: hidden for the early
    // voltage/current kinds, which have no fixed input range.
    bool baseLimitsShown = true;
    // The zero and full base rows themselves.
    bool baseRowsShown = true;
    // Nominal input range; nullopt where the kind has none, which is not
    // the same as a range starting at 0.
    std::optional<double> rangeLow;
    std::optional<double> rangeHigh;
    const char *rangeUnit = nullptr;
    // The high ends a range setting chooses, by setting 0, 1, ...; a
    // setting past the list takes its first entry.
    std::array<double, 5> rangeHighs{};
    int rangeHighCount = 0;
    // Sensor table: the names the card reports its input type by, and the
    // limits of each (narrow for RTD kinds 28 and 29).
    enum class Sensors
    {
        None,
        Thermocouple,
        Rtd,
        NarrowRtd,
    } sensors = Sensors::None;

    bool known() const { return kind != kNoCard; }
    bool hasSensor() const { return sensors != Sensors::None; }
    bool isPulse() const { return form == FormType::Pulse; }
    bool isDiscrete() const { return form == FormType::Discrete; }
    bool hasScale() const { return form == FormType::Analog; }
    bool hasOneRangeSetting() const { return rangeItems[0] >= 0 && rangeItems[1] < 0; }
    bool hasTwoRangeSettings() const { return rangeItems[1] >= 0; }
    // Item of parameter slot 1..12, -1 where there is none.
    int itemNo(int slot) const;
    // Item of the live value of channel 1.., -1 past the card's channels.
    int liveItemOf(int channel) const;
    // The names of the input types by code; null without a sensor.
    const QStringList *sensorNames() const;
    // The limits of each input type by unit; null without a sensor.
    const SensorTable *sensorTable() const;
    // High end of the base rows with range setting `aux` (the nominal
    // range's high end for kinds without a setting).
    std::optional<double> baseHigh(int aux) const;
};

// The descriptor of a kind 0..40; any other number, kNoCard among them, is
// the empty slot's.
const CardKind &KindOf(int kind);

// A pulse card's parameter slots: count and span of channel 1 and 2.
inline constexpr std::array<int, 2> kPulseCountSlots{1, 7};
inline constexpr std::array<int, 2> kPulseSpanSlots{2, 8};

// Status names and colours. Colours are BGR values as the rest of the
// program uses them; &H800000xx are system colours.
QString StatusName(CardStatus status);
quint32 StatusColor(CardStatus status);

// One unit row of a sensor table.
struct SensorRangeRecord
{
    QStringList Names;
    std::array<double, 13> LowLimit{};
    std::array<double, 13> HighLimit{};
    QString Unit;
};

// A SensorTable is indexed by TempUnit: 0 deg C, 1 deg F, 2 K.
const SensorTable &TCTable();
const SensorTable &RTDTable();
const SensorTable &RTD2Table(); // the narrow ranges of kinds 28 and 29

// Entry limits shown beside the editors' fields.
inline constexpr double ZScaleLLmt = -32000;
inline constexpr double ZScaleHLmt = 32000;
inline constexpr double FScaleLLmt = -32000;
inline constexpr double FScaleHLmt = 32000;
inline constexpr double BiasLLmt = -320;
inline constexpr double BiasHLmt = 320;
inline constexpr double GainLLmt = -3.2;
inline constexpr double GainHLmt = 3.2;
inline constexpr double SpanLLmt = 100;
inline constexpr double SpanHLmt = 60000;

#include "model/globalstate.h"
