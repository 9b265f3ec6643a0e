#pragma once

// The command-line tool's commands run in this process against the
// simulated demo rack (or another), with what they print kept.
#include "cli/cliopts.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "exchange/session.h"
#include "sim/demorack.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"

#include <QStringList>
#include <QTextStream>
#include <memory>

// The commands on a rack whose live values stand still; the simulator's
// replies are due at once, so a short time-out only shortens silence.
struct InProcess
{
    explicit InProcess(std::unique_ptr<SimulatedRack> r = DemoRack()) : rack(std::move(r))
    {
        session.line.setTiming({20, 0, 5});
        rack->setClock([] { return qint64(0); });
    }
    int run(const QStringList &args)
    {
        out.clear();
        err.clear();
        const CliOptions o = ParseCliOptions(args);
        if (!o.error.isEmpty())
            return -1;
        return Commands(session, console).run(o);
    }
    QStringList wire() const
    {
        QStringList w;
        for (const TrafficEntry &e : session.traffic.entries())
            w << QString::fromLatin1(e.command).trimmed();
        return w;
    }

    std::unique_ptr<SimulatedRack> rack;
    Session session{std::make_unique<SimulatedPortProvider>(*rack)};
    QString out;
    QString err;
    QTextStream outStream{&out};
    QTextStream errStream{&err};
    Console console{outStream, errStream, false};
};
