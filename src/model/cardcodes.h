#pragma once

// The codes of a card record, named. The numbers are those of the kind
// table and, for the limit state, of the parameter file's last field.

// The window that serves the card.
enum class FormType
{
    None = 0,
    Analog = 1,   // frmSetModel
    Pulse = 2,    // frmSetPalseModel
    Discrete = 3, // frmShowModel
};

enum class InputClass
{
    Thermocouple = 0,
    Rtd = 1,
    DiscreteIn = 2,
    DiscreteOut = 3,
    PulseIn = 4,
    PulseOut = 5,
    Other = 6,
};

// Which way the card's signals go, as the overview's status column names it.
enum class CardStatus
{
    In = 1,
    Out = 2,
    InOut = 3,
    None = 4, // no card
};

// The limit function of a thermocouple card (item 37).
enum class LimitState
{
    Off = 0,
    On = 1,
    NotAvailable = 2, // firmware without the function
};

enum class TempUnit
{
    Celsius = 0,
    Fahrenheit = 1,
    Kelvin = 2,
};
