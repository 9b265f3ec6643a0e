// v9rack-sim: a simulated V9 rack on a pseudo-terminal, or on a TCP port.
// Prints the device path or the address first, then serves until SIGINT or
// SIGTERM.
#include "sim/demorack.h"
#include "sim/ptyserver.h"
#include "sim/rackloader.h"
#include "sim/signalquitter.h"
#include "sim/tcprackserver.h"
#include "v9version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

// A whole number option, or fail with a message naming it.
bool intOption(const QCommandLineParser &p, const QString &name, int min, int &out)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    out = p.value(name).toInt(&ok);
    if (ok && out >= min)
        return true;
    std::fprintf(stderr, "v9rack-sim: --%s needs a whole number of at least %d\n", qPrintable(name),
                 min);
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("v9rack-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(V9_VERSION));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Serves a simulated V9 rack on a pseudo-terminal. The first line of output is the\n"
        "device path: open it in V9CON (--com N=PATH) or a serial terminal, 1200,n,8,1.\n"
        "With --tcp it serves raw bytes on a TCP port instead, as a serial device server\n"
        "would, to one client at a time; the first line is then the address to give\n"
        "V9CON (--com N=tcp://HOST:PORT). Runs until interrupted. Fault switches act on\n"
        "the whole rack, or with --card N on the select of card N and the commands while\n"
        "it is selected (0 = comm card)."));
    p.addHelpOption();
    p.addVersionOption();
    const QList<QCommandLineOption> options{
        {QStringLiteral("rack"),
         QStringLiteral("Rack description (JSON) instead of the demo rack."),
         QStringLiteral("file")},
        {QStringLiteral("tcp"),
         QStringLiteral("Serve on a TCP port instead of a pseudo-terminal (port 0: any free "
                        "one)."),
         QStringLiteral("host:port")},
        {QStringLiteral("record"),
         QStringLiteral("Append every byte the client sends, as it came, to <file>."),
         QStringLiteral("file")},
        {QStringLiteral("pacing"),
         QStringLiteral("Take the time of 1200 baud: 8.33 ms per character, both ways.")},
        {QStringLiteral("trace"),
         QStringLiteral("Print every command and reply with a timestamp on stderr.")},
        {QStringLiteral("silent"), QStringLiteral("Answer nothing.")},
        {QStringLiteral("silent-after"),
         QStringLiteral("Answer nothing once <n> commands have come."), QStringLiteral("n")},
        {QStringLiteral("chunk"), QStringLiteral("Send replies in pieces of <n> bytes."),
         QStringLiteral("n")},
        {QStringLiteral("chunk-pause"), QStringLiteral("Pause between pieces (default 20)."),
         QStringLiteral("ms")},
        {QStringLiteral("crlf"), QStringLiteral("End replies with CR LF instead of CR.")},
        {QStringLiteral("late"),
         QStringLiteral("Hold every reply back <ms> (3100 misses the 3 s limit)."),
         QStringLiteral("ms")},
        {QStringLiteral("garbage"),
         QStringLiteral("Line noise: spoils card selects, replaces other replies.")},
        {QStringLiteral("delay"), QStringLiteral("Think <ms> before every reply."),
         QStringLiteral("ms")},
        {QStringLiteral("card"),
         QStringLiteral("Apply the fault switches to card <n> only (0..16)."), QStringLiteral("n")},
        {QStringLiteral("timeout-refused"),
         QStringLiteral("The comm card refuses its time-out item (09).")},
    };
    p.addOptions(options);
    p.process(app);

    Result<std::unique_ptr<SimulatedRack>> loaded =
        p.isSet(QStringLiteral("rack")) ? LoadRackFile(p.value(QStringLiteral("rack")))
                                        : DemoRack();
    if (!loaded) {
        std::fprintf(stderr, "v9rack-sim: %s\n", qPrintable(loaded.reason()));
        return 2;
    }
    const std::unique_ptr<SimulatedRack> rack = std::move(*loaded);

    SimFaults faults;
    faults.silent = p.isSet(QStringLiteral("silent"));
    faults.crlf = p.isSet(QStringLiteral("crlf"));
    faults.garbage = p.isSet(QStringLiteral("garbage"));
    faults.chunkPauseMs = 20;
    int card = -1;
    if (!intOption(p, QStringLiteral("silent-after"), 0, faults.silentAfter) ||
        !intOption(p, QStringLiteral("chunk"), 1, faults.chunkSize) ||
        !intOption(p, QStringLiteral("chunk-pause"), 0, faults.chunkPauseMs) ||
        !intOption(p, QStringLiteral("late"), 0, faults.lateMs) ||
        !intOption(p, QStringLiteral("delay"), 0, faults.replyDelayMs) ||
        !intOption(p, QStringLiteral("card"), 0, card))
        return 2;
    if (card > 16) {
        std::fprintf(stderr, "v9rack-sim: --card takes 0..16\n");
        return 2;
    }
    if (card >= 0) {
        rack->setCardFaults(card, faults);
        faults = {};
    }
    faults.pacing = p.isSet(QStringLiteral("pacing"));
    rack->setFaults(faults);
    rack->setTimeoutRefused(p.isSet(QStringLiteral("timeout-refused")));

    QFile record(p.value(QStringLiteral("record")));
    if (p.isSet(QStringLiteral("record")) &&
        !record.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        std::fprintf(stderr, "v9rack-sim: %s: %s\n", qPrintable(record.fileName()),
                     qPrintable(record.errorString()));
        return 2;
    }
    const auto keep = [&record](const QByteArray &bytes) {
        if (record.isOpen())
            record.write(bytes);
    };
    const bool trace = p.isSet(QStringLiteral("trace"));

    std::unique_ptr<PtyServer> pty;
    std::unique_ptr<TcpRackServer> tcp;
    QString where;
    QString error;
    if (p.isSet(QStringLiteral("tcp"))) {
        tcp = std::make_unique<TcpRackServer>(rack.get());
        tcp->setTrace(trace);
        QObject::connect(tcp.get(), &TcpRackServer::received, &record, keep);
        error = tcp->listen(p.value(QStringLiteral("tcp")));
        where = tcp->address();
    } else {
        pty = std::make_unique<PtyServer>(rack.get());
        pty->setTrace(trace);
        QObject::connect(pty.get(), &PtyServer::received, &record, keep);
        error = pty->open();
        where = pty->devicePath();
    }
    if (!error.isEmpty()) {
        std::fprintf(stderr, "v9rack-sim: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(where));
    std::fflush(stdout);

    SignalQuitter quitter;
    return app.exec();
}
