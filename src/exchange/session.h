#pragma once

#include "exchange/livefeed.h"
#include "exchange/operationgate.h"
#include "link/portprovider.h"
#include "link/serialline.h"
#include "link/trafficlog.h"
#include "model/cardrecord.h"
#include "model/catalogue.h"

#include <QMap>
#include <memory>

class ChangeLog;

// What the program holds for one run: the global state, the rack's card
// table, the serial line with the ports it can reach, and the gate that
// keeps operations one at a time.
struct Session
{
    explicit Session(std::unique_ptr<PortProvider> portProvider) : ports(std::move(portProvider))
    {
        line.setTrafficLog(&traffic);
    }

    // The traffic window keeps this many exchanges.
    static constexpr std::size_t kTrafficKept = 100000;

    GlobalState state;
    CardTable cards;
    TrafficLog traffic{kTrafficKept};
    SerialLine line;
    std::unique_ptr<PortProvider> ports;
    OperationGate gate;
    LiveFeed live;
    // Where writes to the rack are recorded; none in tests that do not ask.
    ChangeLog *changeLog = nullptr;
    // The rack as the program last knew it, for the change log's old values:
    // each slot as the last upload read it, with the writes accepted since;
    // the communication card's settings by item; its model and version.
    CardTable lastRead;
    QMap<QString, QString> commCardRead;
    QString commCardModel;
    QString commCardVersion;
    // Set by shut-down; an operation that fails because of it stays silent.
    bool quitting = false;
};
