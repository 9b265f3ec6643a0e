// Seeded random walks over the main window's operations on two simulated
// racks, with the simulator's faults switched at random and invariants
// checked after every step: what one operation leaves behind (a Cancel, a
// failure, another rack, another file) must not spoil the next.
// V9_WALK_SEED=n replays walk n; V9_WALKS and V9_WALK_STEPS size the run.
#include "appfixture.h"
#include "inprocesscli.h"

#include "app/cardwindows.h"
#include "app/comparecommands.h"
#include "editors/frmsetmodel.h"
#include "files/changelog.h"
#include "files/parameterfile.h"
#include "link/memoryport.h"
#include "model/catalogue.h"
#include "model/comparison.h"
#include "sim/rackloader.h"
#include "sim/racksession.h"
#include "sim/simcard.h"
#include "sim/simcommcard.h"
#include "ui/filedialogs.h"
#include "ui/frmloading.h"
#include "views/frmcompare.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

// Where rack B differs from the demo rack (A), a write meant for the other
// rack lands on a card of another model: slot 1 voltage where A has a
// thermocouple, 3 pulse for an RTD, 5 thermocouple for a voltage card, 9
// discrete for a transformer; 12 is occupied, 4, 7, 8, 10, 11, 13-16 empty.
const QByteArray kRackB = R"json({
  "comm": {"model": "V9-XS1-B", "version": "2.01", "items": {"9": "450"}},
  "slots": {
    "1": {"model": "XA1-00", "version": "1.02", "items": {"13": "-100", "14": "5000"}},
    "2": {"model": "XD2-K", "version": "1.20", "items": {"6": "C", "8": "K(CA)", "17": "9000"},
          "burnout": ["0", "1"]},
    "3": {"model": "XL2-0", "version": "1.01", "items": {"14": "3000", "15": "4000"}},
    "5": {"model": "XD1-K", "version": "1.20", "items": {"6": "C", "8": "K(CA)", "37": "0"}},
    "6": {"model": "XB2-10", "version": "1.02"},
    "9": {"model": "XG4-0", "version": "1.00", "states": "000A"},
    "12": {"model": "XA1-00", "version": "1.02"}
  }
})json";

std::unique_ptr<SimulatedRack> RackB()
{
    QString error;
    auto rack = LoadRack(kRackB, &error);
    Q_ASSERT_X(rack, "RackB", qPrintable(error));
    rack->setClock([] { return qint64(0); });
    return rack;
}

// SimulatedPortProvider reaches one rack; COM1 reaches A here, COM2 B.
class TwoRacks final : public PortProvider
{
public:
    TwoRacks(SimulatedRack &a, SimulatedRack &b) : m_racks{&a, &b} {}
    std::unique_ptr<LinkPort> create(int comNo) override
    {
        auto port = std::make_unique<MemoryPort>(describe(comNo));
        AttachRack(*m_racks.at(comNo == 2 ? 1 : 0), port.get());
        return port;
    }
    QString describe(int comNo) const override
    {
        return QStringLiteral("Simulated rack %1 (COM%2)").arg(comNo == 2 ? 'B' : 'A').arg(comNo);
    }
    bool simulated() const override { return true; }

private:
    std::array<SimulatedRack *, 2> m_racks;
};

int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

// Short time-outs keep silence cheap; the guard outlasts a late reply, so
// a reply that misses its time-out never answers the next command.
constexpr LinkTiming kTiming{20, 0, 30};
constexpr int kLateMs = 35;
constexpr int kStepBoundMs = 20000;

struct WalkFiles
{
    QString a, b, damaged, dir;
};

// One command line of the step's traffic.
struct Wire
{
    QString cmd, reply;
    int attempt;
    QString op; // the operation holding the gate
};

// One transaction: its select, item and data, retries included.
struct Tx
{
    int card = -1;
    QString item, data, result, op;
    bool written = false; // a "D" went out
};

class Walk
{
public:
    Walk(quint32 seed, int steps, const WalkFiles &files);
    ~Walk();
    // Empty when every invariant held; else what broke, with the steps.
    QString run();
    int stepsTaken() const { return int(m_steps.size()); }

private:
    enum class Fit
    {
        Run,
        Refuse, // must be refused: the step checks that it is
        Skip
    };
    enum class Interrupt
    {
        None,
        Cancel,
        Unplug,
        Stop
    };
    struct Kind
    {
        const char *name;
        int weight;
        Fit (Walk::*fit)();
        void (Walk::*act)();
        void (Walk::*expect)();
    };
    static const Kind kKinds[];

    // The steps: precondition, action, expectation.
    Fit always() { return Fit::Run; }
    Fit linked() { return m_link ? Fit::Run : Fit::Skip; }
    Fit hasTable() { return m_source == Source::None ? Fit::Skip : Fit::Run; }
    Fit fitDownload();
    Fit fitEdit()
    {
        return analogSlots().isEmpty() || !f.enabled("cboCardNo") ? Fit::Skip : Fit::Run;
    }
    Fit fitReport();
    Fit fitSave();
    Fit fitMonitor() { return f.enabled("cmdStart") ? Fit::Run : Fit::Skip; }
    Fit fitSetting() { return f.enabled("cmdComSet") ? Fit::Run : Fit::Skip; }
    void connectRack();
    void expectConnect();
    void disconnect() { trigger("mnuConnectDisconnect"); }
    void expectDisconnected();
    void unplug();
    void upload();
    void expectUpload();
    void download();
    void expectDownload();
    void open();
    void expectOpen();
    void edit();
    void expectEdit();
    void compare();
    void expectCompare();
    void report();
    void expectReport();
    void save();
    void expectSave();
    void monitor();
    void expectMonitor();
    void setting();
    void expectSetting();
    void faults();
    void nothing() {}

    // The invariants that hold after every step.
    void checkAfterStep();
    void checkChangeLog();
    void onTraffic(const TrafficEntry &e);

    void fail(const QString &what)
    {
        if (m_failure.isEmpty())
            m_failure = what;
    }
    void note(const QString &text) { m_steps.last() += text; }
    int pick(int n) { return int(m_rng.bounded(n)); }
    bool connected() const { return f.session.state.IsConnected; }
    SimulatedRack &rack(int n) const { return n == 2 ? *m_b : *f.rack; }
    static QString rackName(int n) { return n == 2 ? QStringLiteral("B") : QStringLiteral("A"); }
    QString held(int rackNo, int slot) const;
    QList<int> analogSlots() const;
    QByteArray table() const { return ParameterFileText(f.session.cards); }
    QPushButton *button(const char *name) const { return f.find<QPushButton>(QLatin1String(name)); }
    bool trigger(const char *name);
    void armInterrupt(Interrupt what, int at);
    void fire();
    bool wireHas(const QStringList &run) const;
    QList<Tx> transactions() const;
    bool said(const QString &title, const QString &textStart = {}, bool critical = false) const;
    QString saidText() const;
    bool stale() const;
    int logSize() const { return int(ReadChangeLog(m_logPath).entries.size()); }

    AppFixture f;
    std::unique_ptr<SimulatedRack> m_b = RackB();
    const WalkFiles &m_files;
    QTemporaryDir m_dir;
    QString m_logPath = m_dir.filePath(QStringLiteral("changes.jsonl"));
    ChangeLog m_changeLog{m_logPath};
    quint32 m_seed;
    int m_stepCount;
    QRandomGenerator m_rng;
    QStringList m_steps;
    QString m_failure;

    // What the walk knows of the program's state.
    enum class Source
    {
        None,
        Upload,
        File
    };
    int m_link = 0; // the rack the link reaches, 0 none
    Source m_source = Source::None;
    int m_sourceRack = 0, m_sourceCom = 0;
    QString m_sourceFile, m_titleFile;
    bool m_incomplete = false;
    bool m_downloadable = false; // an upload or an open ended on this link
    std::optional<CardTable> m_compared;
    std::array<bool, 3> m_faulty{}, m_commSilent{};
    std::array<int, 3> m_fullUpload{0, 600, 300}, m_fullDownload{0, 500, 200};

    // The step in progress.
    struct Before
    {
        QByteArray table;
        int messages = 0, log = 0, link = 0, com = 0, editSlot = 0;
        bool edits = false;
    } m_before;
    Fit m_fit = Fit::Run;
    int m_variant = 0;
    QString m_path, m_value;
    bool m_wasEnabled = false, m_answer = true, m_downloaded = false;
    QStringList m_questions;
    QList<Wire> m_wire;
    int m_selected = -1;
    QString m_item;
    std::unique_ptr<QObject> m_ctx;
    Interrupt m_interrupt = Interrupt::None;
    int m_interruptAt = 0, m_commands = 0;
    bool m_fired = false, m_firePending = false;
};

const Walk::Kind Walk::kKinds[] = {
    {"Connect", 3, &Walk::always, &Walk::connectRack, &Walk::expectConnect},
    {"Disconnect", 1, &Walk::linked, &Walk::disconnect, &Walk::expectDisconnected},
    {"Unplug", 1, &Walk::linked, &Walk::unplug, &Walk::expectDisconnected},
    {"Upload", 5, &Walk::linked, &Walk::upload, &Walk::expectUpload},
    {"Download", 3, &Walk::fitDownload, &Walk::download, &Walk::expectDownload},
    {"Open", 3, &Walk::always, &Walk::open, &Walk::expectOpen},
    {"Edit card", 3, &Walk::fitEdit, &Walk::edit, &Walk::expectEdit},
    {"Compare with File", 2, &Walk::hasTable, &Walk::compare, &Walk::expectCompare},
    {"Report", 2, &Walk::fitReport, &Walk::report, &Walk::expectReport},
    {"Save", 2, &Walk::fitSave, &Walk::save, &Walk::expectSave},
    {"Monitoring", 1, &Walk::fitMonitor, &Walk::monitor, &Walk::expectMonitor},
    {"Time-out setting", 1, &Walk::fitSetting, &Walk::setting, &Walk::expectSetting},
    {"Faults", 2, &Walk::always, &Walk::faults, &Walk::nothing},
};

Walk::Walk(quint32 seed, int steps, const WalkFiles &files)
    : m_files(files), m_seed(seed), m_stepCount(steps), m_rng(seed)
{
    f.session.ports = std::make_unique<TwoRacks>(*f.rack, *m_b);
    f.session.line.setTiming(kTiming);
    f.session.changeLog = &m_changeLog;
    QObject::connect(&f.session.traffic, &TrafficLog::appended, &f.window,
                     [this](const TrafficEntry &e) { onTraffic(e); });
    Messages::setQuestionHandler([this](const QString &title, const QString &) {
        m_questions << title;
        return m_answer;
    });
    FileDialogs::setHandler([this](FileDialogs::Mode) { return m_path; });
}

Walk::~Walk()
{
    Messages::setQuestionHandler({});
    FileDialogs::setHandler({});
}

QString Walk::run()
{
    int total = 0;
    for (const Kind &k : kKinds)
        total += k.weight;
    while (int(m_steps.size()) < m_stepCount && m_failure.isEmpty()) {
        const Kind *kind = nullptr;
        while (!kind) {
            int r = pick(total);
            for (const Kind &k : kKinds)
                if ((r -= k.weight) < 0 && !kind)
                    kind = &k;
            m_fit = (this->*kind->fit)();
            if (m_fit == Fit::Skip)
                kind = nullptr;
        }
        m_steps << QLatin1String(kind->name);
        m_before = Before{table(),
                          int(f.messages.size()),
                          logSize(),
                          m_link,
                          f.session.state.ComPortNo,
                          f.session.state.SelectedCardNo,
                          f.session.state.SelectedCardNo > 0 &&
                              f.window.cardWindows().setModel()->hasUnsentEdits()};
        m_wire.clear();
        m_questions.clear();
        m_ctx = std::make_unique<QObject>();
        m_interrupt = Interrupt::None;
        m_commands = 0;
        m_fired = m_firePending = false;
        // Counts what the rack hears, and is where a Cancel or unplug hooks in.
        if (auto *rs =
                f.session.line.port() ? f.session.line.port()->findChild<RackSession *>() : nullptr)
            QObject::connect(rs, &RackSession::commandReceived, m_ctx.get(), [this] {
                if (++m_commands >= m_interruptAt && m_interrupt != Interrupt::None && !m_fired &&
                    !m_firePending) {
                    m_firePending = true;
                    QTimer::singleShot(0, m_ctx.get(), [this] {
                        m_firePending = false;
                        fire();
                    });
                }
            });
        // I6: a step that hangs is ended from here and fails its walk.
        QTimer guard;
        bool hung = false;
        QObject::connect(&guard, &QTimer::timeout, &guard, [this, &hung] {
            hung = true;
            if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
                d->reject();
            f.session.state.IsMonitoring = false;
            f.session.line.close();
        });
        guard.start(kStepBoundMs);
        (this->*kind->act)();
        guard.stop();
        m_ctx.reset();
        if (hung)
            fail(QStringLiteral("I6: the step did not end within %1 ms").arg(kStepBoundMs));
        if (f.modalTimedOut)
            fail(QStringLiteral("I6: a dialog did not come or did not close"));
        if (m_failure.isEmpty())
            (this->*kind->expect)();
        if (const QString said = saidText(); !said.isEmpty())
            note(QStringLiteral(" [%1]").arg(said));
        checkAfterStep();
    }
    if (m_failure.isEmpty())
        return {};
    QString out = QStringLiteral("seed %1: %2").arg(m_seed).arg(m_failure);
    for (int i = 0; i < m_steps.size(); ++i)
        out += QStringLiteral("\n  %1. %2").arg(i + 1).arg(m_steps.at(i));
    return out;
}

QString Walk::held(int rackNo, int slot) const
{
    const SimCard *card = rackNo ? rack(rackNo).card(slot) : nullptr;
    return card ? card->model() : QString();
}

QList<int> Walk::analogSlots() const
{
    QList<int> out;
    for (int i = 1; i <= kCardCount; ++i)
        if (f.session.cards[i].form() == FormType::Analog)
            out << i;
    return out;
}

bool Walk::trigger(const char *name)
{
    auto *a = f.find<QAction>(QLatin1String(name));
    m_wasEnabled = a->isEnabled();
    a->trigger();
    return m_wasEnabled;
}

void Walk::armInterrupt(Interrupt what, int at)
{
    m_interrupt = what;
    m_interruptAt = at;
}

void Walk::fire()
{
    if (m_interrupt == Interrupt::Cancel) {
        // Only what the operator can reach: the shown, enabled button.
        auto *b = f.window.loading()->findChild<QPushButton *>(QStringLiteral("cmdCancel"));
        if (!f.window.loading()->isVisible() || b->isHidden() || !b->isEnabled())
            return; // tried again at the next command
        b->click();
    } else if (m_interrupt == Interrupt::Unplug) {
        auto *port = qobject_cast<MemoryPort *>(f.session.line.port());
        if (!port)
            return;
        port->fail(QStringLiteral("unplugged"));
    } else {
        button("cmdStop")->click();
    }
    m_fired = true;
    static const char *const names[] = {"", "Cancel", "unplug", "Stop"};
    note(QStringLiteral(", %1 at command %2")
             .arg(QLatin1String(names[int(m_interrupt)]))
             .arg(m_commands));
}

void Walk::onTraffic(const TrafficEntry &e)
{
    const QString cmd = QString::fromLatin1(e.command).trimmed();
    const QString reply = e.timedOut ? QString() : QString::fromLatin1(e.reply).trimmed();
    m_wire.append(Wire{cmd, reply, e.attempt, f.session.gate.running()});
    if (cmd.startsWith(QLatin1Char('G'))) {
        m_selected = reply == QLatin1String("COK") ? cmd.mid(1).toInt() : -1;
    } else if (cmd.startsWith(QLatin1Char('I'))) {
        m_item = cmd.mid(1);
    } else if (cmd.startsWith(QLatin1Char('D')) && m_selected >= 1 &&
               m_item != QLatin1String("1")) {
        // I1: the card takes this item only as its own model's parameter.
        const QString heldModel = held(m_link, m_selected);
        const QString tableModel = f.session.cards[m_selected].ModelName;
        if (heldModel != tableModel)
            fail(QStringLiteral("I1: slot %1 holds %2, the table's record is %3, and it was "
                                "sent I%4 %5")
                     .arg(m_selected)
                     .arg(heldModel, tableModel, m_item, cmd));
    }
}

bool Walk::wireHas(const QStringList &run) const
{
    for (int i = 0; i + run.size() <= m_wire.size(); ++i) {
        int k = 0;
        while (k < run.size() && m_wire.at(i + k).cmd == run.at(k))
            ++k;
        if (k == run.size())
            return true;
    }
    return false;
}

QList<Tx> Walk::transactions() const
{
    QList<Tx> out;
    for (const Wire &w : m_wire) {
        const QChar c = w.cmd.at(0);
        if (c == QLatin1Char('G') && (w.attempt == 0 || out.isEmpty())) {
            out.append(Tx());
            out.last().card = w.cmd.mid(1).toInt();
        }
        if (out.isEmpty())
            continue;
        Tx &t = out.last();
        if (c == QLatin1Char('I'))
            t.item = w.cmd.mid(1);
        if (c == QLatin1Char('D')) {
            t.data = w.cmd.mid(1);
            t.written = true;
            t.op = w.op;
        }
        // The true result is the card's answer to the last attempt.
        if (w.reply.isEmpty())
            t.result = QStringLiteral("no answer");
        else if (w.reply == QLatin1String("CNG") || w.reply == QLatin1String("CNU"))
            t.result = QStringLiteral("refused");
        else
            t.result =
                c == QLatin1Char('D') ? QStringLiteral("written") : QStringLiteral("no answer");
    }
    return out;
}

bool Walk::said(const QString &title, const QString &textStart, bool critical) const
{
    for (int i = m_before.messages; i < f.messages.size(); ++i) {
        const RecordedMessage &m = f.messages.at(i);
        if (m.title == title && m.text.startsWith(textStart) &&
            (!critical || m.icon == Messages::Icon::Critical))
            return true;
    }
    return false;
}

QString Walk::saidText() const
{
    QStringList out;
    for (int i = m_before.messages; i < f.messages.size(); ++i)
        out << f.messages.at(i).title + QStringLiteral(": ") +
                   f.messages.at(i).text.section(QLatin1Char('\n'), 0, 0);
    return out.join(QStringLiteral("; "));
}

bool Walk::stale() const
{
    return m_compared && SettingsDiffer(CompareTables(*m_compared, f.session.cards));
}

// Connect: COM1 reaches rack A, COM2 rack B; an open link is given up first.
void Walk::connectRack()
{
    m_variant = 1 + pick(2);
    note(QStringLiteral(" to rack ") + rackName(m_variant));
    if (connected())
        trigger("mnuConnectDisconnect");
    f.onModal([this](QWidget *dialog) {
        dialog->findChild<QAbstractButton *>(QStringLiteral("optCom_%1").arg(m_variant))->click();
        dialog->findChild<QAbstractButton *>(QStringLiteral("cmdOK"))->click();
    });
    trigger("mnuConnectConnect");
}

void Walk::expectConnect()
{
    m_link = connected() ? m_variant : 0;
    m_downloadable = false;
    if (!m_link && !m_commSilent.at(m_variant))
        fail(QStringLiteral("connecting to rack %1 failed: %2")
                 .arg(rackName(m_variant), saidText()));
}

void Walk::expectDisconnected()
{
    if (connected())
        fail(QStringLiteral("still connected"));
}

void Walk::unplug()
{
    qobject_cast<MemoryPort *>(f.session.line.port())->fail(QStringLiteral("unplugged"));
}

// Upload: whole, or with a Cancel or an unplug at a random command.
void Walk::upload()
{
    note(QStringLiteral(" (rack %1)").arg(rackName(m_link)));
    if (const int v = pick(10); v >= 5)
        armInterrupt(v < 8 ? Interrupt::Cancel : Interrupt::Unplug,
                     1 + pick(m_fullUpload.at(m_link)));
    m_answer = pick(2) == 0;
    if (m_before.edits)
        note(m_answer ? QStringLiteral(", edits to be replaced: yes")
                      : QStringLiteral(", edits to be replaced: no"));
    m_wasEnabled = f.enabled("cmdUpload");
    button("cmdUpload")->click();
}

void Walk::expectUpload()
{
    if (!m_wasEnabled)
        return fail(QStringLiteral("I2: Upload is off while connected and idle"));
    if (m_before.edits && m_questions.isEmpty())
        return fail(QStringLiteral("Upload replaced the unsent edits of slot %1 without asking")
                        .arg(m_before.editSlot));
    if (!m_before.edits && !m_questions.isEmpty())
        return fail(QStringLiteral("Upload asked about edits where there were none"));
    if (m_before.edits && !m_answer) {
        if (!m_wire.isEmpty() || table() != m_before.table)
            fail(QStringLiteral("Upload went on after the operator kept the edits"));
        return;
    }
    const bool whole = !said(QStringLiteral("Uploading"));
    m_source = Source::Upload;
    m_sourceRack = m_before.link;
    m_sourceCom = m_before.com;
    m_sourceFile.clear();
    m_titleFile.clear();
    m_incomplete = !whole;
    m_downloadable = whole && connected();
    if (!whole) {
        if (!m_faulty.at(m_before.link) && !m_fired)
            fail(QStringLiteral("I2: a fault-free Upload did not run whole"));
        return;
    }
    m_fullUpload.at(m_before.link) = m_commands;
    // I2 and I3: an upload that says nothing has read every slot.
    for (int i = 1; i <= kCardCount; ++i) {
        const QString model = held(m_before.link, i);
        const QString want = model.isEmpty() ? QStringLiteral("NONE") : model;
        if (f.session.cards[i].ModelName != want)
            return fail(QStringLiteral("I3: the Upload ended without a word, but slot %1 is %2 "
                                       "in the table and %3 in the rack")
                            .arg(i)
                            .arg(f.session.cards[i].ModelName, want));
        if (!model.isEmpty() && !wireHas({QStringLiteral("G%1").arg(i), QStringLiteral("I2")}))
            return fail(
                QStringLiteral("I2: the Upload did not read slot %1's model (G%1 I2)").arg(i));
    }
}

Walk::Fit Walk::fitDownload()
{
    if (!m_link)
        return Fit::Skip;
    if (m_incomplete)
        return Fit::Refuse;
    return m_downloadable ? Fit::Run : Fit::Skip;
}

void Walk::download()
{
    note(QStringLiteral(" (rack %1)").arg(rackName(m_link)));
    if (const int v = pick(10); m_fit == Fit::Run && v >= 6)
        armInterrupt(v < 9 ? Interrupt::Cancel : Interrupt::Unplug,
                     1 + pick(m_fullDownload.at(m_link)));
    m_wasEnabled = f.enabled("cmdDownload");
    button("cmdDownload")->click();
}

void Walk::expectDownload()
{
    if (m_fit == Fit::Refuse) {
        if (m_wasEnabled)
            fail(QStringLiteral("I3: Download of all cards is offered for an incomplete table"));
        return;
    }
    if (!m_wasEnabled)
        return fail(QStringLiteral("I2: Download is off after an upload or open on this link"));
    if (m_faulty.at(m_before.link) || m_fired)
        return;
    if (said(QStringLiteral("Downloading"), QStringLiteral("Downloading cancelled")) ||
        said(QStringLiteral("Downloading"), {}, true))
        return fail(QStringLiteral("I2: a fault-free Download did not run whole"));
    m_fullDownload.at(m_before.link) = m_commands;
    // I2: every card the table knows was selected for writing, and a card of
    // the table's model holds the table's values.
    const SimulatedRack &r = rack(m_before.link);
    const QList<Tx> txs = transactions();
    for (int i = 1; i <= kCardCount; ++i) {
        const CardRecord &c = f.session.cards[i];
        if (c.ModelKind == kNoCard || held(m_before.link, i).isEmpty())
            continue;
        const QString g = QStringLiteral("G%1").arg(i);
        if (!wireHas({g, QStringLiteral("I1"), QStringLiteral("D1")}))
            return fail(
                QStringLiteral("I2: the Download did not select slot %1 (%2 I1 D1)").arg(i).arg(g));
        if (held(m_before.link, i) != c.ModelName || c.form() != FormType::Analog)
            continue;
        for (int k = 1; k <= 4; ++k) {
            const QString item = c.par(k).ItemNo, value = c.par(k).Value;
            if (item.toInt() <= 0)
                continue;
            const auto t = std::find_if(txs.cbegin(), txs.cend(), [&](const Tx &x) {
                return x.written && x.card == i && x.item == item && x.data == value;
            });
            if (t == txs.cend())
                return fail(QStringLiteral("I2: the Download did not write \"%1\" to slot %2 "
                                           "item %3")
                                .arg(value)
                                .arg(i)
                                .arg(item));
            if (t->result == QLatin1String("written") && r.itemValue(i, item.toInt()) != value)
                return fail(QStringLiteral("I2: slot %1 item %2 took \"%3\" and holds \"%4\"")
                                .arg(i)
                                .arg(item, value, r.itemValue(i, item.toInt())));
        }
    }
}

// Open: file A, file B or a damaged file, chosen in the file dialog.
void Walk::open()
{
    m_variant = pick(3);
    const QString paths[] = {m_files.a, m_files.b, m_files.damaged};
    m_path = paths[m_variant];
    note(QLatin1Char(' ') + QFileInfo(m_path).fileName());
    trigger("mnuFilesOpen");
}

void Walk::expectOpen()
{
    if (!m_wasEnabled)
        return fail(QStringLiteral("Open is off while idle"));
    if (m_variant == 2) {
        if (int(f.messages.size()) == m_before.messages || table() != m_before.table)
            fail(QStringLiteral("the damaged file changed the table or went unmentioned"));
        return;
    }
    const ParameterFileResult file = OpenParameterFile(m_path);
    if (table() != ParameterFileText(*file.cards))
        return fail(QStringLiteral("I5: after the Open the table is not %1's")
                        .arg(QFileInfo(m_path).fileName()));
    m_source = Source::File;
    m_sourceFile = m_titleFile = m_path;
    m_incomplete = false;
    m_downloadable = connected();
}

// Edit card: chosen with cboCardNo, a value typed into txtZScale01, and
// mostly the editor's own Download.
void Walk::edit()
{
    const QList<int> analog = analogSlots();
    const int slot = analog.at(pick(int(analog.size())));
    f.find<QComboBox>(QStringLiteral("cboCardNo"))
        ->setCurrentText(QStringLiteral("%1").arg(slot, 2, 10, QLatin1Char('0')));
    frmSetModel *editor = f.window.cardWindows().setModel();
    auto *box = editor->findChild<QLineEdit *>(QStringLiteral("txtZScale01"));
    m_before.editSlot = slot;
    m_value.clear();
    m_downloaded = false;
    note(QStringLiteral(" %1").arg(slot));
    if (f.session.state.SelectedCardNo != slot || box->isReadOnly() || !box->isEnabled())
        return note(QStringLiteral(", box locked"));
    // Now and then a value every card refuses.
    const QString value =
        pick(7) == 0 ? QStringLiteral("99999") : QString::number(pick(2001) - 1000);
    box->selectAll();
    QTest::keyClicks(box, value);
    m_value = box->text();
    note(QStringLiteral(", typed %1").arg(m_value));
    auto *down = editor->findChild<QPushButton *>(QStringLiteral("cmdDown"));
    if (pick(10) < 6 && down->isEnabled()) {
        note(QStringLiteral(", Download"));
        m_downloaded = true;
        down->click();
    }
}

void Walk::expectEdit()
{
    if (m_value.isEmpty())
        return;
    const int slot = m_before.editSlot;
    if (!m_downloaded) {
        if (!f.window.cardWindows().setModel()->hasUnsentEdits())
            fail(QStringLiteral("the typed value carries no edit mark"));
        return;
    }
    const CardRecord &c = f.session.cards[slot];
    if (m_faulty.at(m_before.link) || held(m_before.link, slot) != c.ModelName)
        return;
    const QString item = c.par(1).ItemNo;
    if (!wireHas({QStringLiteral("I") + item, QStringLiteral("D") + m_value}))
        return fail(QStringLiteral("the card's Download did not write %1 to slot %2 item %3")
                        .arg(m_value)
                        .arg(slot)
                        .arg(item));
    const QString inRack = rack(m_before.link).itemValue(slot, item.toInt());
    if (m_value != QLatin1String("99999") && (inRack != m_value || c.par(1).Value != m_value))
        fail(QStringLiteral("after the card's Download of %1 slot %2 holds \"%3\", the table "
                            "\"%4\"")
                 .arg(m_value)
                 .arg(slot)
                 .arg(inRack, c.par(1).Value));
}

void Walk::compare()
{
    m_variant = pick(3);
    const QString paths[] = {m_files.a, m_files.b, m_files.damaged};
    m_path = paths[m_variant];
    note(QLatin1Char(' ') + QFileInfo(m_path).fileName());
    trigger("mnuFilesCompare");
}

void Walk::expectCompare()
{
    if (!m_wasEnabled)
        return fail(QStringLiteral("Compare with File is off while idle"));
    if (!m_wire.isEmpty() || table() != m_before.table)
        return fail(QStringLiteral("Compare with File talked to the rack or changed the table"));
    if (m_variant == 2)
        return;
    m_compared = f.session.cards;
    frmCompare *w = f.window.compareCommands().window();
    if (!w || w->isHidden())
        fail(QStringLiteral("the comparison's window does not show"));
}

Walk::Fit Walk::fitReport()
{
    return m_source != Source::None &&
                   f.find<QAction>(QStringLiteral("mnuFilesReport"))->isEnabled()
               ? Fit::Run
               : Fit::Skip;
}

void Walk::report()
{
    m_path = m_dir.filePath(QStringLiteral("report-%1.html").arg(m_steps.size()));
    trigger("mnuFilesReport");
}

void Walk::expectReport()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("the Report wrote no file"));
    const QString html = QString::fromUtf8(file.readAll());
    QMap<QString, QString> rows;
    static const QRegularExpression row(
        QStringLiteral("<tr><th align=\"left\">([^<]*)</th><td>([^<]*)</td></tr>"));
    for (auto m = row.globalMatch(html); m.hasNext();) {
        const auto hit = m.next();
        rows.insert(hit.captured(1), hit.captured(2));
    }
    // I5: the source row names where the table came from.
    const QString port = QStringLiteral("COM%1 (simulated rack)").arg(m_sourceCom);
    if (m_source == Source::Upload &&
        (!rows.value(QStringLiteral("Uploaded from")).startsWith(port) ||
         rows.contains(QStringLiteral("Parameter file"))))
        return fail(QStringLiteral("I5: the report's source is \"%1%2\", the table was uploaded "
                                   "from %3")
                        .arg(rows.value(QStringLiteral("Uploaded from")),
                             rows.value(QStringLiteral("Parameter file")), port));
    if (m_source == Source::File &&
        rows.value(QStringLiteral("Parameter file")) != QDir::toNativeSeparators(m_sourceFile))
        return fail(QStringLiteral("I5: the report's parameter file is \"%1\", the table is %2's")
                        .arg(rows.value(QStringLiteral("Parameter file")), m_sourceFile));
    // I3
    if (m_incomplete && !html.contains(QStringLiteral("incomplete"), Qt::CaseInsensitive))
        return fail(QStringLiteral("I3: the report of an incomplete table has no incomplete mark"));
    // I5: the differences of a comparison are of the table as it stands.
    if (html.contains(QStringLiteral("<h2>Differences from")) && stale() &&
        !html.contains(QStringLiteral("out of date")))
        return fail(QStringLiteral("I5: the report lists the differences of a comparison made "
                                   "before the table changed"));
    // The communication card and its settings are those of the table's rack,
    // never those of an earlier one.
    const int owner = m_source == Source::Upload ? m_sourceRack : m_link;
    if (!owner)
        return;
    const QString comm = rack(owner).commCard().model();
    const QString timeout = rack(owner).itemValue(0, 9);
    if (rows.contains(QStringLiteral("Communication card")) &&
        rows.value(QStringLiteral("Communication card")) != comm)
        fail(QStringLiteral("the report names the communication card %1; the table's rack %2 "
                            "has %3")
                 .arg(rows.value(QStringLiteral("Communication card")), rackName(owner), comm));
    if (rows.contains(QStringLiteral("Time-out")) &&
        rows.value(QStringLiteral("Time-out")) != timeout)
        fail(QStringLiteral("the report gives the time-out %1; the table's rack %2 has %3")
                 .arg(rows.value(QStringLiteral("Time-out")), rackName(owner), timeout));
}

Walk::Fit Walk::fitSave()
{
    if (m_source == Source::None)
        return Fit::Skip;
    return m_incomplete ? Fit::Refuse : Fit::Run;
}

void Walk::save()
{
    m_path = m_dir.filePath(QStringLiteral("save-%1.uJx").arg(m_steps.size()));
    trigger("mnuFilesSave");
}

void Walk::expectSave()
{
    if (m_fit == Fit::Refuse) {
        if (QFileInfo::exists(m_path))
            fail(QStringLiteral("I3: an incomplete table was saved"));
        return;
    }
    if (!m_wasEnabled)
        return fail(QStringLiteral("Save is off for a complete table"));
    const ParameterFileResult back = OpenParameterFile(m_path);
    if (!back.ok() || ParameterFileText(*back.cards) != table())
        return fail(QStringLiteral("Save did not write the table"));
    m_titleFile = m_path;
}

// Monitoring: Start, and Stop after a few commands (or a moment, when the
// table has nothing to read); now and then the port is pulled instead.
void Walk::monitor()
{
    armInterrupt(pick(5) == 0 ? Interrupt::Unplug : Interrupt::Stop, 1 + pick(40));
    QTimer::singleShot(200, m_ctx.get(), [this] {
        if (f.session.state.IsMonitoring)
            button("cmdStop")->click();
    });
    button("cmdStart")->click();
}

void Walk::expectMonitor()
{
    for (const Wire &w : std::as_const(m_wire))
        if (w.cmd.startsWith(QLatin1Char('D')))
            return fail(QStringLiteral("monitoring wrote %1").arg(w.cmd));
    if (m_interrupt == Interrupt::Stop && !m_faulty.at(m_before.link) && !connected())
        fail(QStringLiteral("Stop lost the link"));
}

// The communication card's time-out window: its opening read, now and then
// a new value written, Exit.
void Walk::setting()
{
    m_value = pick(2) ? QString::number(100 + pick(800)) : QString();
    note(m_value.isEmpty() ? QString() : QStringLiteral(", Download %1").arg(m_value));
    // Driven by a timer of its own: nothing here may wait inside a wait of
    // the window's, such as the opening read's.
    f.onModal([this](QWidget *dialog) {
        auto *tick = new QTimer(dialog);
        QObject::connect(tick, &QTimer::timeout, dialog, [this, dialog, sent = false]() mutable {
            auto *exit = dialog->findChild<QPushButton *>(QStringLiteral("cmdExit"));
            if (!exit->isEnabled())
                return;
            if (m_value.isEmpty() || std::exchange(sent, true))
                return exit->click();
            dialog->findChild<QLineEdit *>(QStringLiteral("txtTimeout"))->setText(m_value);
            dialog->findChild<QPushButton *>(QStringLiteral("cmdDown"))->click();
        });
        tick->start(5);
    });
    button("cmdComSet")->click();
}

void Walk::expectSetting()
{
    if (m_value.isEmpty() || m_faulty.at(m_before.link))
        return;
    if (const QString now = rack(m_before.link).itemValue(0, 9); now != m_value)
        fail(QStringLiteral("the time-out window wrote %1, the card holds %2").arg(m_value, now));
}

// One fault at a time, on the connected rack or either: a silent card (or
// one item of it), late replies, a card refusing an item, a silent
// communication card; or none.
void Walk::faults()
{
    const int r = m_link ? m_link : 1 + pick(2);
    SimulatedRack &k = rack(r);
    k.clearFaults();
    m_faulty.at(r) = m_commSilent.at(r) = false;
    QList<int> occupied;
    for (int i = 1; i <= kCardCount; ++i)
        if (k.isOccupied(i))
            occupied << i;
    const int slot = occupied.at(pick(int(occupied.size())));
    SimFaults faults;
    QString what;
    switch (pick(6)) {
    case 0:
    case 1:
        return note(QStringLiteral(" off on rack ") + rackName(r));
    case 2:
        faults.silent = true;
        what = QStringLiteral("silent");
        break;
    case 3:
        faults.lateMs = kLateMs;
        what = QStringLiteral("late");
        break;
    case 4:
        faults.refuse = true;
        faults.onlyItem = QList<int>{13, 14, 16, 17}.at(pick(4));
        what = QStringLiteral("refusing");
        break;
    default:
        faults.silent = true;
        k.setCardFaults(0, faults);
        m_faulty.at(r) = m_commSilent.at(r) = true;
        return note(QStringLiteral(": communication card of rack %1 silent").arg(rackName(r)));
    }
    // Mostly one item only: a whole card silent costs a Download seconds.
    if (faults.onlyItem < 0 && pick(4))
        faults.onlyItem = 13 + pick(5);
    k.setCardFaults(slot, faults);
    m_faulty.at(r) = true;
    note(QStringLiteral(": slot %1 of rack %2 %3%4")
             .arg(slot)
             .arg(rackName(r), what,
                  faults.onlyItem < 0 ? QString()
                                      : QStringLiteral(" on item %1").arg(faults.onlyItem)));
}

void Walk::checkAfterStep()
{
    if (!connected()) {
        m_link = 0;
        m_downloadable = false;
    }
    checkChangeLog();
    if (f.session.gate.busy() || f.session.state.IsMonitoring || f.window.loading()->isVisible() ||
        QApplication::activeModalWidget())
        fail(QStringLiteral("I6: the step left \"%1\" running, monitoring, progress or a dialog")
                 .arg(f.session.gate.running()));
    // I5: the title names a file only while the table is that file's.
    const QString title = m_titleFile.isEmpty()
                              ? QStringLiteral("V9CON")
                              : QStringLiteral("V9CON - ") + QFileInfo(m_titleFile).fileName();
    if (f.window.windowTitle() != title)
        fail(QStringLiteral("I5: the title is \"%1\", the table's is \"%2\"")
                 .arg(f.window.windowTitle(), title));
    // I5: a comparison of another table is dropped or marked out of date.
    if (stale()) {
        for (int i = 1; i <= kCardCount; ++i) {
            const QString tip = f.find<QLabel>(QStringLiteral("UnitNo_%1").arg(i))->toolTip();
            if (!tip.isEmpty() && !tip.contains(QStringLiteral("out of date")))
                fail(QStringLiteral("I5: slot %1 is still marked \"%2\" after the table changed")
                         .arg(i)
                         .arg(tip));
        }
        const frmCompare *w = f.window.compareCommands().window();
        if (w && !w->isHidden() && !w->windowTitle().contains(QStringLiteral("out of date")) &&
            !w->lblSummary()->text().contains(QStringLiteral("out of date")))
            fail(QStringLiteral("I5: the comparison window still shows a table that changed"));
    }
    // I3
    if (m_incomplete && f.enabled("cmdDownload"))
        fail(QStringLiteral("I3: Download of all cards is on for an incomplete table"));
}

// I4: every parameter write on the wire is in the change log with the
// card's answer, and the log is whole JSON lines.
void Walk::checkChangeLog()
{
    QFile raw(m_logPath);
    const QByteArray bytes = raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
    const ChangeLogRead read = ReadChangeLog(m_logPath);
    if (read.skipped || !read.error.isEmpty() || (!bytes.isEmpty() && !bytes.endsWith('\n')))
        return fail(QStringLiteral("I4: the change log is not whole JSON lines"));
    const QList<ChangeEntry> added = read.entries.mid(m_before.log);
    qsizetype e = 0;
    const auto falseWrite = [this](const ChangeEntry &x) {
        fail(QStringLiteral("I4: the change log says slot %1 item %2 \"%3\" was written; it "
                            "was not")
                 .arg(x.slot)
                 .arg(x.item, x.value));
    };
    for (const Tx &t : transactions()) {
        // Not logged: the selects, and the upload's own set-up and burnout reads.
        const bool upload = t.op.startsWith(QLatin1String("Upload"));
        if (!t.written || t.item == QLatin1String("1") ||
            (upload && (t.card == 0 || t.item == QLatin1String("9"))))
            continue;
        while (e < added.size() && !(added.at(e).slot == t.card && added.at(e).item == t.item &&
                                     added.at(e).value == t.data)) {
            if (added.at(e).result == ChangeResult::Written)
                return falseWrite(added.at(e));
            ++e;
        }
        if (e == added.size())
            return fail(QStringLiteral("I4: the write of \"%1\" to slot %2 item %3 (%4) is not "
                                       "in the change log")
                            .arg(t.data)
                            .arg(t.card)
                            .arg(t.item, t.result));
        if (ChangeResultText(added.at(e).result) != t.result)
            return fail(QStringLiteral("I4: the change log has \"%1\" for \"%2\" to slot %3 "
                                       "item %4; the card's answer was %5")
                            .arg(ChangeResultText(added.at(e).result), t.data)
                            .arg(t.card)
                            .arg(t.item, t.result));
        ++e;
    }
    for (; e < added.size(); ++e)
        if (added.at(e).result == ChangeResult::Written)
            return falseWrite(added.at(e));
}

} // namespace

class TestSequences : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    WalkFiles m_files;

private slots:
    // Files A and B as v9con-cli uploads them from the two racks; the
    // damaged one is A cut off in its eighth line.
    void initTestCase()
    {
        // The offscreen platform's notes on raise() and size hints, one per
        // window shown, would use up the test's allowance of messages.
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                if (!text.startsWith(QLatin1String("This plugin does not support")))
                    previous(type, context, text);
            });
        m_files = {m_dir.filePath(QStringLiteral("rackA.uJx")),
                   m_dir.filePath(QStringLiteral("rackB.uJx")),
                   m_dir.filePath(QStringLiteral("damaged.uJx")), m_dir.path()};
        QCOMPARE(InProcess().run({"upload", "-o", m_files.a}), 0);
        QCOMPARE(InProcess(RackB()).run({"upload", "-o", m_files.b}), 0);
        QFile a(m_files.a), damaged(m_files.damaged);
        QVERIFY(a.open(QIODevice::ReadOnly) && damaged.open(QIODevice::WriteOnly));
        const QByteArray text = a.readAll();
        qsizetype cut = 0;
        for (int line = 0; line < 7; ++line)
            cut = text.indexOf('\n', cut) + 1;
        damaged.write(text.left(cut + 20));
    }

    void walks()
    {
        const int steps = envInt("V9_WALK_STEPS", 12);
        QList<quint32> seeds;
        if (qEnvironmentVariableIsSet("V9_WALK_SEED"))
            seeds << quint32(envInt("V9_WALK_SEED", 1));
        else
            for (int i = 1; i <= envInt("V9_WALKS", 200); ++i)
                seeds << quint32(i);
        QElapsedTimer clock;
        clock.start();
        int taken = 0;
        QStringList failures;
        // The shortest failing walk of each kind of failure, digits aside.
        QMap<QString, QString> kinds;
        for (const quint32 seed : std::as_const(seeds)) {
            Walk walk(seed, steps, m_files);
            const QString failure = walk.run();
            taken += walk.stepsTaken();
            if (failure.isEmpty())
                continue;
            failures << failure;
            // A kind: the invariant broken and the step that broke it.
            const QString first = failure.section(QLatin1Char('\n'), 0, 0);
            const QString last =
                failure.section(QLatin1Char('\n'), -1).section(QLatin1String(". "), 1);
            QString tag = first.section(QLatin1String(": "), 1, 1);
            if (tag.size() > 2)
                tag = first.section(QLatin1String(": "), 1)
                          .remove(QRegularExpression(QStringLiteral("[0-9]+")));
            const QString key = tag + QLatin1Char('/') +
                                last.section(QRegularExpression(QStringLiteral("[,( ]")), 0, 0);
            if (!kinds.contains(key) ||
                kinds.value(key).count(QLatin1Char('\n')) > failure.count(QLatin1Char('\n')))
                kinds.insert(key, failure);
        }
        qInfo("walks %d, steps %d, failures %d, %lld ms", int(seeds.size()), taken,
              int(failures.size()), clock.elapsed());
        for (const QString &f : std::as_const(kinds))
            qWarning("%s", qPrintable(f));
        if (!failures.isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 of %2 walks failed, %3 kinds of failure (above); "
                                            "replay one with V9_WALK_SEED=<seed>")
                                 .arg(failures.size())
                                 .arg(seeds.size())
                                 .arg(kinds.size())));
    }
};

QTEST_MAIN(TestSequences)
#include "test_sequences.moc"
