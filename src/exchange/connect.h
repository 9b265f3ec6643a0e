#pragma once

#include <QString>
#include <functional>

struct Session;

// What connecting to the rack's communication card came to.
struct ConnectOutcome
{
    enum class Result
    {
        Connected,
        // Another exchange is waiting on the line: it was left alone.
        Refused,
        // The port could not be opened; `portError` says why.
        PortError,
        // The port opened, but the card did not answer item "40".
        NoAnswer,
        // The port failed while the card was asked.
        LinkLost,
    };
    Result result = Result::NoAnswer;
    QString portError;
    // Connected: item "04" as the card named itself (may be empty), and
    // whether that is the Ethernet communication card.
    QString model;
    bool ethernet = false;
};

// Opens COM ComPortNo at CommBaudRate,n,8,1, reads items "40" and "04" of
// card "00" and sets IsConnected. `answered` runs once "40" has answered,
// before the model is read, so the link can show as up meanwhile. On every
// failure but a refusal the line is closed and IsConnected is false.
ConnectOutcome ConnectComCard(Session &session, const std::function<void()> &answered = {});
