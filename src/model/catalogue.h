#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

inline constexpr int kKindCount = 41; // kinds 0..40
inline constexpr int kNoCard = 99;

// Per-kind card tables, indexed by ModelKind 0..40.
int KindStatus(int kind);
int KindChCount(int kind);
int KindFormType(int kind);
int KindInputClass(int kind);
// Thermocouple kinds carry the limit function (item 37) when their firmware
// has it: upload, download and the editor all read and write it by this rule.
bool KindHasLimitFunction(int kind);
// The output kinds 39 and 40 show their live value on item 22, the others
// on 10 (and 11 for channel 2).
bool KindReadsValueOn22(int kind);
// Transformer kinds 18..21: their base rows are set by the operator.
bool KindHasEditableBase(int kind);
// RTD kinds 28 and 29 use the narrow ranges of RTD2Table.
bool KindHasNarrowRtdRange(int kind);
// Range-setting kinds: one-channel 18, 30, 32 read item 24; two-channel 19,
// 31, 33 read items 37 and 38 (AuxSetting).
bool KindHasOneRangeSetting(int kind);
bool KindHasTwoRangeSettings(int kind);
// Item number of parameter slot 1..12, -1 where the kind has none.
int KindItemNo(int slot, int kind);

// Nominal input range of a kind; nullopt where the kind has none, which is
// not the same as a range starting at 0.
std::optional<double> KindRangeLow(int kind);
std::optional<double> KindRangeHigh(int kind);
std::optional<QString> KindRangeUnit(int kind);

// Status names and colours, indexed by CardStatus 1..4. Colours are BGR
// values as the rest of the program uses them; &H800000xx are system colours.
QString StatusName(int status);
quint32 StatusColor(int status);

// One unit row of a sensor table.
struct SensorRangeRecord
{
    QStringList Names;
    std::array<double, 13> LowLimit{};
    std::array<double, 13> HighLimit{};
    QString Unit;
};

// Each indexed by TempUnit: 0 deg C, 1 deg F, 2 K.
using SensorTable = std::array<SensorRangeRecord, 3>;
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
