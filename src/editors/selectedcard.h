#pragma once

#include "model/cardrecord.h"
#include "model/catalogue.h"

// The record of the card the selector names, or nullptr while none is.
inline const CardRecord *selectedCard(const CardTable &cards, const GlobalState &state)
{
    const int n = state.SelectedCardNo;
    return n >= 1 && n <= kCardCount ? &cards[n] : nullptr;
}
