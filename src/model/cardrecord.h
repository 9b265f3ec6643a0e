#pragma once

#include "model/cardcodes.h"
#include "model/catalogue.h"

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
// file open every record holds empty texts and no card. The kind's fields
// (form, status, channels, class) are filled from its descriptor when the
// model is classified; a parameter file keeps none of them.
struct CardRecord
{
    QString ModelName;
    int ModelKind = kNoCard;
    ::FormType Form = ::FormType::None;
    QString VerNo;
    ::CardStatus Status = ::CardStatus::None;
    int ChCount = 0; // 0 for no card, 1, 2, 4 or 16
    ::InputClass Class = ::InputClass::Other;
    int InputType = 0; // code of the sensor type (CardKind::sensorNames)
    QString Spare;     // kept for the reset value only; never read or saved
    std::array<QString, 2> Burnout;
    ::TempUnit Unit = ::TempUnit::Celsius;
    ::LimitState Limit = ::LimitState::Off;
    std::array<int, 2> AuxSetting{};
    std::array<ParSlot, 12> Par;
    std::array<QString, 16> ChData;

    const CardKind &kind() const { return KindOf(ModelKind); }
    // The slot holds a card of a kind the program knows.
    bool holdsCard() const { return ModelKind != kNoCard; }
    // The slot named a model, known or not ("NONE" is an empty slot).
    bool namesModel() const { return !ModelName.isEmpty() && ModelName != QLatin1String("NONE"); }
    ::FormType form() const { return Form; }
    ::InputClass inputClass() const { return Class; }
    ::LimitState limit() const { return Limit; }
    ::TempUnit unit() const { return Unit; }
    int channels() const { return ChCount; }
    bool isTwoChannel() const { return ChCount == 2; }
    // Thermocouple and RTD cards: sensor type, unit and burnout.
    bool hasSensor() const
    {
        return Class == ::InputClass::Thermocouple || Class == ::InputClass::Rtd;
    }
    bool isPulse() const
    {
        return Class == ::InputClass::PulseIn || Class == ::InputClass::PulseOut;
    }
    bool isDiscrete() const
    {
        return Class == ::InputClass::DiscreteIn || Class == ::InputClass::DiscreteOut;
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

// How many slots hold a card of a kind the program knows.
int CardsHeld(const CardTable &table);

// Resets every record to the empty-slot state, then runs clearRow for cards
// 1..16 (the overview blanks its rows there). AuxSetting survives.
void ResetCardTable(CardTable &table, const std::function<void(int)> &clearRow = {});

// Stores the model text and fills the kind's fields from its descriptor.
void ClassifyCard(CardTable &table, int cardNo, const QString &modelText);
// The kind alone, 99 when no rule matches; for previews and tests.
int KindOfModel(const QString &modelText);
