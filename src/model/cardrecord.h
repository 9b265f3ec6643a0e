#pragma once

#include "model/cardcodes.h"

#include <QString>
#include <array>
#include <functional>

// One parameter slot: the value text as the card reports it and the item
// number that reads and writes it ("-1" when the kind has no such item).
struct ParSlot
{
    QString Value;
    QString ItemNo;
};

// What the program knows of one I/O card slot. Until the first upload or
// file open every record holds empty texts and zeros.
struct CardRecord
{
    QString ModelName;
    int ModelKind = 0;
    int FormType = 0; // 0 none, 1 analog editor, 2 pulse editor, 3 discrete view
    QString VerNo;
    QString CardStatus; // "1".."4": IN, OUT, IN/OUT, NONE
    QString ChCount;    // "0", "1", "2", "4" or "16"
    int InputClass = 0; // 0 TC, 1 RTD, 2 DI, 3 DO, 4/5 pulse, 6 other
    int InputType = 0;
    QString Spare; // kept for the reset value only; never read or saved
    std::array<QString, 2> Burnout;
    int TempUnit = 0;   // 0 deg C, 1 deg F, 2 K
    int LimitState = 0; // 0 off, 1 on, 2 not available
    std::array<int, 2> AuxSetting{};
    std::array<ParSlot, 12> Par;
    std::array<QString, 16> ChData;

    ::FormType form() const { return static_cast<::FormType>(FormType); }
    ::InputClass inputClass() const { return static_cast<::InputClass>(InputClass); }
    ::LimitState limit() const { return static_cast<::LimitState>(LimitState); }
    ::TempUnit unit() const { return static_cast<::TempUnit>(TempUnit); }
    void setLimit(::LimitState state) { LimitState = static_cast<int>(state); }
    void setUnit(::TempUnit unit) { TempUnit = static_cast<int>(unit); }
    // ChCount as a number: 0 for no card, 1, 2, 4 or 16.
    int channels() const { return ChCount.toInt(); }
    bool isTwoChannel() const { return channels() == 2; }
    // Thermocouple and RTD cards: sensor type, unit and burnout.
    bool hasSensor() const
    {
        return inputClass() == ::InputClass::Thermocouple || inputClass() == ::InputClass::Rtd;
    }
    bool isPulse() const
    {
        return inputClass() == ::InputClass::PulseIn || inputClass() == ::InputClass::PulseOut;
    }
    bool isDiscrete() const
    {
        return inputClass() == ::InputClass::DiscreteIn ||
               inputClass() == ::InputClass::DiscreteOut;
    }

    // 1-based like the card's own numbering: par(1) is channel 1 zero scale.
    ParSlot &par(int k) { return Par.at(static_cast<std::size_t>(k - 1)); }
    const ParSlot &par(int k) const { return Par.at(static_cast<std::size_t>(k - 1)); }
};

inline constexpr int kCardCount = 16;

// The 16 slots of the rack, addressed by card number 1..16.
class CardTable
{
public:
    CardRecord &operator[](int cardNo) { return m_cards.at(static_cast<std::size_t>(cardNo - 1)); }
    const CardRecord &operator[](int cardNo) const
    {
        return m_cards.at(static_cast<std::size_t>(cardNo - 1));
    }

private:
    std::array<CardRecord, kCardCount> m_cards;
};

// Resets every record to the empty-slot state, then runs clearRow for cards
// 1..16 (the overview blanks its rows there). AuxSetting survives.
void ResetCardTable(CardTable &table, const std::function<void(int)> &clearRow = {});

// Stores the model text and fills the kind-dependent fields.
void ClassifyCard(CardTable &table, int cardNo, const QString &modelText);
// The kind alone, 99 when no rule matches; for previews and tests.
int KindOfModel(const QString &modelText);
