// Soak run of the program's own line against the simulated rack: N item
// reads and writes, each under a random fault (or none), every answered
// value checked against what the simulated card holds at that moment.
// Prints figures; exits 1 when it counts a wrong value or a hang.
//
//   bench_soak [N] [seed]      N defaults to 100000
#include "link/memoryport.h"
#include "link/serialline.h"
#include "link/transactions.h"
#include "model/encodings.h"
#include "sim/demorack.h"
#include "sim/simcard.h"
#include "sim/simcommcard.h"
#include "sim/simulatedports.h"
#include "sim/simulatedrack.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// Short enough that a time-out costs milliseconds; guard a sixth of the
// time-out as in the product's 3000/500.
constexpr int kTimeoutMs = 30;
constexpr int kPauseMs = 1;
constexpr int kGuardMs = kTimeoutMs / 6;

// Four attempts of up to three exchanges each, every one allowed a time-out
// and a resynchronisation, three times over, plus room for a busy machine.
constexpr int kHangLimitMs = (kRetries + 1) * (kTimeoutMs + kGuardMs + kPauseMs) * 3 + 1000;
// A transaction that has not returned by now never will: stop the run.
constexpr int kStuckSeconds = 60;

constexpr int kWritePercent = 25;
constexpr int kOnlyItemPercent = 30;
constexpr int kRackScopePercent = 30;

enum class Fault
{
    None,
    Chunks,
    CrLf,
    Late,
    Garbage,
    Silent,
    SilentAfter,
    Refuse,
};
constexpr int kFaultKinds = 8;
constexpr std::array<const char *, kFaultKinds> kFaultNames{
    "none", "chunks", "CR LF", "late", "garbage", "silent", "silent after", "refuse"};
// Per 1000 transactions. Silence, lateness and noise in place of a reply cost
// a time-out on every attempt, so they are the rare ones.
constexpr std::array<int, kFaultKinds> kFaultWeights{800, 70, 40, 10, 30, 8, 8, 34};

enum class WriteKind
{
    None,
    Selector01,
    Selector01F,
    Scale,
    Bias,
    Gain,
    Span,
    Unit,
    Limit,
    Range,
    Output,
    Packed,
    Key,
    CommTimeout,
    Dotted,
    TcpPort,
    Linger,
};

struct ItemInfo
{
    int item = 0;
    WriteKind write = WriteKind::None;
};

struct SlotInfo
{
    int slot = 0;
    QString address;
    SimSlot *card = nullptr;
    std::vector<ItemInfo> items;
    std::vector<std::size_t> writable; // indices into items
    quint16 outputMask = 0;
};

struct AppliedFault
{
    Fault kind = Fault::None;
    SimFaults faults;
    bool onRack = false;
};

struct Tally
{
    long transactions = 0;
    long answered = 0;
    long refusals = 0;
    long timeouts = 0;
    long wrong = 0;
    qint64 slowestMs = 0;
    qint64 totalMs = 0;
};

QString prefixOf(const QByteArray &reply)
{
    const qsizetype colon = reply.indexOf(':');
    return colon > 1 ? QString::fromLatin1(reply.mid(1, colon - 1)) : QString();
}

WriteKind ioWriteKind(const QString &prefix)
{
    if (prefix == QLatin1String("SL"))
        return WriteKind::Selector01;
    if (prefix == QLatin1String("ZS") || prefix == QLatin1String("FS") ||
        prefix == QLatin1String("ZB") || prefix == QLatin1String("FB"))
        return WriteKind::Scale;
    if (prefix == QLatin1String("BI"))
        return WriteKind::Bias;
    if (prefix == QLatin1String("GA"))
        return WriteKind::Gain;
    if (prefix == QLatin1String("SP"))
        return WriteKind::Span;
    if (prefix == QLatin1String("UN"))
        return WriteKind::Unit;
    if (prefix == QLatin1String("LM"))
        return WriteKind::Limit;
    if (prefix == QLatin1String("RG"))
        return WriteKind::Range;
    if (prefix == QLatin1String("DO"))
        return WriteKind::Output;
    // Burnout answers with the other channel's setting and sensor names need
    // the card's tables: both are left to the tests.
    return WriteKind::None;
}

WriteKind commWriteKind(int item)
{
    switch (item) {
    case 1:
        return WriteKind::Selector01F;
    case 9:
        return WriteKind::CommTimeout;
    case 41:
        return WriteKind::Key;
    case 59:
    case 60:
        return WriteKind::Dotted;
    default:
        break;
    }
    if (item >= 61 && item <= 64)
        return WriteKind::TcpPort;
    if (item >= 71 && item <= 74)
        return WriteKind::Linger;
    return WriteKind::None;
}

std::vector<SlotInfo> surveyRack(SimulatedRack &rack)
{
    std::vector<SlotInfo> cards;
    for (int n = 0; n <= 16; ++n) {
        SlotInfo info;
        info.slot = n;
        info.address = n == 0 ? QStringLiteral("00") : QString::number(n);
        info.card = n == 0 ? static_cast<SimSlot *>(&rack.commCard()) : rack.card(n);
        if (!info.card)
            continue;
        int outputs = 0;
        for (int item = 0; item < 100; ++item) {
            if (!info.card->hasItem(item))
                continue;
            const WriteKind kind =
                n == 0 ? commWriteKind(item) : ioWriteKind(prefixOf(info.card->read(item, 0)));
            outputs += kind == WriteKind::Output;
            info.items.push_back({item, kind});
        }
        // The packed states of an output card take writes; an input card's do not.
        if (outputs > 0) {
            info.outputMask = outputs >= 16 ? 0xFFFF : static_cast<quint16>((1u << outputs) - 1);
            for (ItemInfo &i : info.items)
                if (prefixOf(info.card->read(i.item, 0)) == QLatin1String("DX"))
                    i.write = WriteKind::Packed;
        }
        for (std::size_t i = 0; i < info.items.size(); ++i)
            if (info.items[i].write != WriteKind::None)
                info.writable.push_back(i);
        cards.push_back(std::move(info));
    }
    return cards;
}

QString fixed(QRandomGenerator &rng, int lo, int hi, int decimals)
{
    double scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    return QString::number(rng.bounded(lo, hi + 1) / scale, 'f', decimals);
}

QString validValue(QRandomGenerator &rng, WriteKind kind)
{
    auto whole = [&rng](int lo, int hi) { return QString::number(rng.bounded(lo, hi + 1)); };
    switch (kind) {
    case WriteKind::Selector01:
    case WriteKind::Limit:
    case WriteKind::Output:
        return whole(0, 1);
    case WriteKind::Selector01F:
        return QStringList{QStringLiteral("0"), QStringLiteral("1"),
                           QStringLiteral("F")}[rng.bounded(3)];
    case WriteKind::Scale:
        return whole(-32000, 32000);
    case WriteKind::Bias:
        return fixed(rng, -32000, 32000, 2);
    case WriteKind::Gain:
        return fixed(rng, -3200, 3200, 3);
    case WriteKind::Span:
        return whole(100, 60000);
    case WriteKind::Unit:
        return QStringList{QStringLiteral("C"), QStringLiteral("F"),
                           QStringLiteral("K")}[rng.bounded(3)];
    case WriteKind::Range:
        return whole(0, 9);
    case WriteKind::Packed:
        return QStringLiteral("%1").arg(rng.bounded(0x10000), 4, 16, QLatin1Char('0')).toUpper();
    case WriteKind::Key:
        return whole(0, 9999);
    case WriteKind::CommTimeout:
    case WriteKind::Linger:
        return whole(0, 32767);
    case WriteKind::Dotted:
        return QStringLiteral("%1.%2.%3.%4")
            .arg(rng.bounded(256))
            .arg(rng.bounded(256))
            .arg(rng.bounded(256))
            .arg(rng.bounded(256));
    case WriteKind::TcpPort:
        return whole(1, 65535);
    case WriteKind::None:
        break;
    }
    return {};
}

// What a read of the item shows after the card took the value.
QString shownAfterWrite(const SlotInfo &slot, const ItemInfo &item, const QString &data)
{
    switch (item.write) {
    case WriteKind::Limit:
        return data == QLatin1String("1") ? QStringLiteral("ENA") : QStringLiteral("DIS");
    case WriteKind::Linger:
        return QString::number(item.item - 70) + QLatin1Char(':') + data;
    case WriteKind::Packed:
        return QStringLiteral("%1")
            .arg(data.toUInt(nullptr, 16) & slot.outputMask, 4, 16, QLatin1Char('0'))
            .toUpper();
    default:
        return data;
    }
}

AppliedFault pickFault(QRandomGenerator &rng, int item)
{
    AppliedFault out;
    int roll = rng.bounded(1000);
    int kind = 0;
    while (kind < kFaultKinds - 1 && roll >= kFaultWeights[static_cast<std::size_t>(kind)])
        roll -= kFaultWeights[static_cast<std::size_t>(kind++)];
    out.kind = static_cast<Fault>(kind);
    SimFaults &f = out.faults;
    switch (out.kind) {
    case Fault::None:
        return out;
    case Fault::Chunks:
        f.chunkSize = rng.bounded(1, 5);
        f.chunkPauseMs = rng.bounded(0, 4);
        break;
    case Fault::CrLf:
        f.crlf = true;
        break;
    case Fault::Late:
        // Past the time-out but within the guard: the line must drop it.
        f.lateMs = rng.bounded(kTimeoutMs + 1, kTimeoutMs + kGuardMs + 1);
        break;
    case Fault::Garbage:
        f.garbage = true;
        break;
    case Fault::Silent:
        f.silent = true;
        break;
    case Fault::SilentAfter:
        f.silentAfter = rng.bounded(0, 4);
        break;
    case Fault::Refuse:
        f.refuse = true;
        break;
    }
    if (rng.bounded(100) < kOnlyItemPercent)
        f.onlyItem = item;
    out.onRack = rng.bounded(100) < kRackScopePercent;
    return out;
}

QString describe(const AppliedFault &a, int slot)
{
    const SimFaults &f = a.faults;
    QString s = a.onRack ? QStringLiteral("rack") : QStringLiteral("card %1").arg(slot);
    s += QStringLiteral(": %1").arg(QLatin1String(kFaultNames[static_cast<std::size_t>(a.kind)]));
    if (f.chunkSize > 0)
        s += QStringLiteral(" %1 bytes/%2 ms").arg(f.chunkSize).arg(f.chunkPauseMs);
    if (f.lateMs > 0)
        s += QStringLiteral(" %1 ms").arg(f.lateMs);
    if (f.silentAfter >= 0)
        s += QStringLiteral(" %1").arg(f.silentAfter);
    if (f.onlyItem >= 0)
        s += QStringLiteral(", only item %1").arg(f.onlyItem);
    return s;
}

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const long total = argc > 1 ? std::max(1L, std::atol(argv[1])) : 100000L;
    const quint32 seed = argc > 2 ? static_cast<quint32>(std::strtoul(argv[2], nullptr, 10)) : 1;
    QRandomGenerator rng(seed);

    auto rack = DemoRack();
    // Live values stand still, so every answer has one right value.
    rack->setClock([] { return qint64(0); });
    const std::vector<SlotInfo> cards = surveyRack(*rack);

    SerialLine line;
    auto owned = std::make_unique<MemoryPort>();
    MemoryPort *port = owned.get();
    AttachRack(*rack, port);
    line.attachPort(std::move(owned));
    if (!port->open(LineSettings{}).isEmpty()) {
        std::fprintf(stderr, "bench_soak: the memory port does not open\n");
        return 1;
    }
    line.setTiming({kTimeoutMs, kPauseMs, kGuardMs});

    // A wait that never ends would leave nothing to count: a watchdog ends
    // the run with the transaction it hung in.
    std::atomic<qint64> startedNs{steadyNs()};
    std::atomic<long> current{0};
    std::atomic<bool> finished{false};
    std::thread watchdog([&] {
        while (!finished.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (steadyNs() - startedNs.load() > qint64(kStuckSeconds) * 1000000000) {
                std::fprintf(stderr, "bench_soak: transaction %ld hangs (> %d s)\nhangs: 1\n",
                             current.load(), kStuckSeconds);
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    });

    std::array<Tally, kFaultKinds> byFault{};
    Tally all;
    long reads = 0, writes = 0, writesAnswered = 0, writesUnanswered = 0;
    long quietTimeouts = 0, unexplainedRefusals = 0, hangs = 0;
    int details = 0;
    constexpr int kMaxDetails = 20;
    auto report = [&](const char *what, long n, const QString &text) {
        if (details++ < kMaxDetails)
            std::printf("  %s in transaction %ld: %s\n", what, n, qPrintable(text));
    };

    std::printf("bench_soak: %ld transactions, seed %u, reply time-out %d ms, pause %d ms, "
                "guard %d ms, hang limit %d ms\n",
                total, seed, kTimeoutMs, kPauseMs, kGuardMs, kHangLimitMs);
    QElapsedTimer wall;
    wall.start();
    for (long n = 1; n <= total; ++n) {
        const SlotInfo &slot = cards[rng.bounded(static_cast<quint32>(cards.size()))];
        const bool write = !slot.writable.empty() && int(rng.bounded(100)) < kWritePercent;
        const ItemInfo &item =
            write
                ? slot.items[slot.writable[rng.bounded(static_cast<quint32>(slot.writable.size()))]]
                : slot.items[rng.bounded(static_cast<quint32>(slot.items.size()))];
        const AppliedFault fault = pickFault(rng, item.item);
        rack->clearFaults();
        if (fault.kind != Fault::None) {
            if (fault.onRack)
                rack->setFaults(fault.faults);
            else
                rack->setCardFaults(slot.slot, fault.faults);
        }
        Tally &t = byFault[static_cast<std::size_t>(fault.kind)];
        const QString itemCode = QString::number(item.item);
        const QString data = write ? validValue(rng, item.write) : QString();

        current.store(n);
        startedNs.store(steadyNs());
        QElapsedTimer clock;
        clock.start();
        // The value written; the value read, or a refusal as its text.
        const QString result =
            write ? WriteItem(line, kRetries, slot.address, itemCode, data).valueOr(QString())
                  : ReplyText(ReadItem(line, kRetries, slot.address, itemCode));
        const qint64 ms = clock.elapsed();

        ++t.transactions;
        t.slowestMs = std::max(t.slowestMs, ms);
        t.totalMs += ms;
        const QString context =
            QStringLiteral("%1 G%2 I%3%4 under %5")
                .arg(write ? QStringLiteral("write") : QStringLiteral("read"), slot.address,
                     itemCode, write ? QStringLiteral(" D") + data : QString(),
                     describe(fault, slot.slot));
        if (ms > kHangLimitMs) {
            ++hangs;
            report("hang", n, QStringLiteral("%1 took %2 ms").arg(context).arg(ms));
        }

        bool wrong = false;
        if (write) {
            ++writes;
            if (result.isEmpty()) {
                // The card may have taken the value before its reply was lost.
                ++writesUnanswered;
                ++t.timeouts;
            } else {
                ++writesAnswered;
                ++t.answered;
                const QString shown = rack->itemValue(slot.slot, item.item);
                const QString expected = shownAfterWrite(slot, item, data);
                if (result != QLatin1Char(':') + data || shown != expected) {
                    wrong = true;
                    report("wrong value", n,
                           QStringLiteral("%1: answered \"%2\", card shows \"%3\", expected \"%4\"")
                               .arg(context, result, shown, expected));
                }
            }
        } else {
            ++reads;
            const QByteArray own = slot.card->read(item.item, rack->nowMs());
            const bool ownRefusal = own == "CNG" || own == "CNU";
            if (result.isEmpty()) {
                ++t.timeouts;
            } else if (result == QLatin1String("CNG") || result == QLatin1String("NEEDLESS")) {
                ++t.refusals;
                const bool faultRefuses = fault.faults.refuse && fault.faults.onlyItem == item.item;
                const bool cardRefuses = (result == QLatin1String("CNG") && own == "CNG") ||
                                         (result == QLatin1String("NEEDLESS") && own == "CNU");
                if (!faultRefuses && !cardRefuses) {
                    ++unexplainedRefusals;
                    wrong = true;
                    report("wrong refusal", n,
                           QStringLiteral("%1: answered \"%2\", the card answers \"%3\"")
                               .arg(context, result, QString::fromLatin1(own)));
                }
            } else {
                ++t.answered;
                const QString value = rack->itemValue(slot.slot, item.item);
                if (ownRefusal || TextAfterColon(result) != value ||
                    result != QString::fromLatin1(own.mid(1))) {
                    wrong = true;
                    report("wrong value", n,
                           QStringLiteral("%1: answered \"%2\", card holds \"%3\" (\"%4\")")
                               .arg(context, result, value, QString::fromLatin1(own)));
                }
            }
        }
        t.wrong += wrong;
        if (result.isEmpty() && fault.kind == Fault::None) {
            ++quietTimeouts;
            report("lost answer", n, context);
        }
    }
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    finished.store(true);
    watchdog.join();

    std::printf("\n%-13s %12s %9s %9s %10s %6s %8s %11s %8s\n", "fault", "transactions", "answered",
                "refusals", "time-outs", "wrong", "mean ms", "slowest ms", "total s");
    for (int k = 0; k < kFaultKinds; ++k) {
        const Tally &t = byFault[static_cast<std::size_t>(k)];
        std::printf("%-13s %12ld %9ld %9ld %10ld %6ld %8.2f %11lld %8.1f\n",
                    kFaultNames[static_cast<std::size_t>(k)], t.transactions, t.answered,
                    t.refusals, t.timeouts, t.wrong,
                    t.transactions ? double(t.totalMs) / double(t.transactions) : 0.0,
                    static_cast<long long>(t.slowestMs), double(t.totalMs) / 1000.0);
        all.transactions += t.transactions;
        all.answered += t.answered;
        all.refusals += t.refusals;
        all.timeouts += t.timeouts;
        all.wrong += t.wrong;
        all.slowestMs = std::max(all.slowestMs, t.slowestMs);
    }

    std::printf("\ntransactions:          %ld (%ld reads, %ld writes)\n", all.transactions, reads,
                writes);
    std::printf("answered:              %ld (writes: %ld)\n", all.answered, writesAnswered);
    std::printf("refusals (CNG/NEEDLESS): %ld\n", all.refusals);
    std::printf("time-outs (\"\"):        %ld (writes: %ld; with no fault set: %ld)\n",
                all.timeouts, writesUnanswered, quietTimeouts);
    std::printf("wrong values:          %ld (of them refusals the card did not give: %ld)\n",
                all.wrong, unexplainedRefusals);
    std::printf("hangs (> %d ms):     %ld (slowest transaction %lld ms)\n", kHangLimitMs, hangs,
                static_cast<long long>(all.slowestMs));
    std::printf("crashes:               0\n");
    std::printf("wall time:             %.1f s, %.0f transactions per second\n", seconds,
                double(all.transactions) / seconds);
    return all.wrong > 0 || hangs > 0 ? 1 : 0;
}
