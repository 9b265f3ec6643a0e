#pragma once

#include "exchange/livefeed.h"
#include "exchange/operationgate.h"
#include "link/portprovider.h"
#include "link/serialline.h"
#include "link/trafficlog.h"
#include "model/cardrecord.h"
#include "model/catalogue.h"
#include "model/tableprovenance.h"

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
    // Where the table came from, whether it is whole, its generation.
    TableProvenance table;
    // Which connection the line is on: every Connect that answers gets a new
    // number, so what was read on an earlier link (even to the same port)
    // is told apart from what this one read. 0 before the first.
    quint64 link = 0;
    TrafficLog traffic{kTrafficKept};
    SerialLine line;
    std::unique_ptr<PortProvider> ports;
    OperationGate gate;
    LiveFeed live;
    // Where writes to the rack are recorded; none in tests that do not ask.
    ChangeLog *changeLog = nullptr;
    // The rack on this link as the program last knew it, for the change
    // log's old values and the report: each slot as the last upload read
    // it, with the writes accepted since; the communication card's settings
    // by item as read or written; its model and version. A new link starts
    // them afresh.
    CardTable lastRead;
    // The link on which lastRead holds the whole rack (an upload or a
    // download's read went through); a write met with silence makes it
    // unsure again. 0: not on this link.
    quint64 lastReadLink = 0;
    // Where a download of all cards first puts the rack's as-found
    // parameters (see AsFoundBackup); empty: no backup (--no-backup, tests
    // that do not ask).
    QString backupRoot;
    // The rack's name for its backups' folder; empty: the port's designation.
    QString rackName;
    // The as-found backup of the download under way, named in its change log
    // lines.
    QString downloadBackup;
    QMap<QString, QString> commCardRead;
    QString commCardModel;
    QString commCardVersion;
    // Monitoring's Stop: a fresh token for each monitoring cycle
    // (StopMonitoring requests it).
    CancelToken monitorStop;
    // Set by shut-down; an operation that fails because of it stays silent.
    bool quitting = false;
};
