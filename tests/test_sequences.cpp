// Seeded random walks over the main window's operations on two simulated
// racks, with the simulator's faults switched at random and invariants
// checked after every step: what one operation leaves behind (a Cancel, a
// failure, another rack, another file) must not spoil the next.
// V9_WALK_SEED=n replays walk n; V9_WALKS and V9_WALK_STEPS size the run.
#include "appfixture.h"
#include "inprocesscli.h"

#include "app/cardwindows.h"
#include "app/comparecommands.h"
#include "app/monitorcommands.h"
#include "app/viewwindows.h"
#include "editors/frmsetmodel.h"
#include "editors/frmsetpalsemodel.h"
#include "editors/frmshowmodel.h"
#include "files/changelog.h"
#include "files/parameterfile.h"
#include "link/memoryport.h"
#include "model/catalogue.h"
#include "model/comparison.h"
#include "monitor/frmoverview.h"
#include "sim/rackloader.h"
#include "sim/racksession.h"
#include "sim/simcard.h"
#include "sim/simcommcard.h"
#include "ui/filedialogs.h"
#include "ui/frmloading.h"
#include "views/frmcompare.h"
#include "views/frmtrend.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStatusBar>

using namespace Qt::StringLiterals;

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
    std::unique_ptr<SimulatedRack> rack = std::move(*LoadRack(kRackB));
    rack->setClock([] { return qint64(0); });
    return rack;
}

// SimulatedPortProvider reaches one rack; here COM1 reaches A, COM2 B.
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
    QString describe(int comNo) const override { return u"rack COM%1"_s.arg(comNo); }
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

template <typename... A> QString format(const char *text, const A &...a)
{
    QString s = QString::fromUtf8(text);
    ((s = s.arg(a)), ...);
    return s;
}

// Short time-outs keep silence cheap; the guard outlasts a late reply, so
// a reply that misses its time-out never answers the next command.
constexpr LinkTiming kTiming{20, 0, 30};
constexpr int kLateMs = 35;
constexpr int kStepBoundMs = 20000;

// One command line of a step's traffic, and the operation that sent it.
struct Wire
{
    QString cmd, reply, op;
    int attempt;
};

// One transaction, retries included: card, item, data, and the card's
// answer to its last attempt as the change log names it.
struct Tx
{
    int card;
    QString item, data, result, op;
    bool written; // a "D" went out
};

class Walk
{
public:
    Walk(quint32 seed, int steps, const QStringList &files)
        : m_files(files), m_seed(seed), m_stepCount(steps), m_rng(seed)
    {
        f.session.ports = std::make_unique<TwoRacks>(*f.rack, *m_b);
        f.session.line.setTiming(kTiming);
        f.session.changeLog = &m_changeLog;
        QObject::connect(&f.session.traffic, &TrafficLog::appended, &f.window,
                         [this](const TrafficEntry &e) { onTraffic(e); });
        QObject::connect(
            &f.session.live, &LiveFeed::value, &f.window,
            [this](int card, int channel, const QString &text) {
                if (channel == 1)
                    m_live[card].append({f.session.link, f.session.cards[card].ModelName, text});
            });
        Messages::setQuestionHandler([this](const QString &title, const QString &) {
            m_questions << title;
            return m_answer;
        });
        FileDialogs::setHandler([this](FileDialogs::Mode) { return m_path; });
    }
    ~Walk()
    {
        Messages::setQuestionHandler({});
        FileDialogs::setHandler({});
    }
    // Empty when every invariant held; else what broke, with the steps.
    QString run();
    int stepsTaken() const { return int(m_steps.size()); }

private:
    enum class Fit
    {
        Run,
        Refuse, // the step must be refused, and checks that it is
        Skip
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

    Fit always() { return Fit::Run; }
    Fit linked() { return m_link ? Fit::Run : Fit::Skip; }
    Fit hasTable() { return m_source ? Fit::Run : Fit::Skip; }
    Fit fitDownload() { return m_link && m_incomplete ? Fit::Refuse : linked(); }
    Fit fitEdit()
    {
        return !analogSlots().isEmpty() && f.enabled("cboCardNo") ? Fit::Run : Fit::Skip;
    }
    Fit fitReport() { return enabled("mnuFilesReport") ? hasTable() : Fit::Skip; }
    Fit fitSave() { return m_incomplete ? Fit::Refuse : hasTable(); }
    Fit fitMonitor() { return f.enabled("cmdStart") ? Fit::Run : Fit::Skip; }
    Fit fitCardMonitor() { return liveSlots().isEmpty() ? Fit::Skip : fitMonitor(); }
    Fit fitTrend()
    {
        return m_link && !liveSlots().isEmpty() && f.enabled("cboCardNo") ? Fit::Run : Fit::Skip;
    }
    Fit fitSetting() { return f.enabled("cmdComSet") ? Fit::Run : Fit::Skip; }

    // Connect: COM1 reaches rack A, COM2 rack B; an open link is given up first.
    void connectRack()
    {
        m_variant = 1 + pick(2);
        note(" to rack %1", name(m_variant));
        if (connected())
            trigger("mnuConnectDisconnect");
        f.onModal([this](QWidget *dialog) {
            dialog->findChild<QAbstractButton *>(format("optCom_%1", m_variant))->click();
            dialog->findChild<QAbstractButton *>(u"cmdOK"_s)->click();
        });
        trigger("mnuConnectConnect");
    }
    void expectConnect()
    {
        m_link = connected() ? m_variant : 0;
        if (!m_link && !m_commSilent.at(m_variant))
            fail("I2: connecting to rack %1 failed", name(m_variant));
    }
    void disconnect() { trigger("mnuConnectDisconnect"); }
    void unplug() { qobject_cast<MemoryPort *>(f.session.line.port())->fail(u"unplugged"_s); }
    void expectDisconnected()
    {
        if (connected())
            fail("still connected");
    }
    // Upload and Download: whole, or with a Cancel or an unplug at a random
    // command within a whole one's length.
    void transfer(const char *cmd, int length)
    {
        note(" (rack %1)", name(m_link));
        if (const int v = pick(10); m_fit == Fit::Run && v >= 5) {
            m_interrupt = v < 8 ? 1 : 2;
            m_interruptAt = 1 + pick(length);
        }
        m_wasEnabled = f.enabled(cmd);
        button(cmd)->click();
    }
    void upload()
    {
        m_answer = pick(2);
        if (m_before.edits)
            note(", replace the edits: %1", m_answer ? u"yes"_s : u"no"_s);
        transfer("cmdUpload", m_uploadLength.at(m_link));
    }
    void expectUpload();
    void download() { transfer("cmdDownload", m_downloadLength.at(m_link)); }
    void expectDownload();
    void open() { trigger("mnuFilesOpen", chooseFile()); }
    void expectOpen()
    {
        if (m_variant == 2) {
            if (f.messages.size() == m_before.messages || table() != m_before.table)
                fail("the damaged file changed the table or went unmentioned");
        } else if (table() != ParameterFileText(*OpenParameterFile(m_path))) {
            fail("I5: after the Open the table is not %1's", QFileInfo(m_path).fileName());
        } else {
            m_source = 2;
            m_sourceFile = m_titleFile = m_path;
            m_incomplete = false;
        }
    }
    void edit();
    void expectEdit();
    void compare() { trigger("mnuFilesCompare", chooseFile()); }
    void expectCompare()
    {
        if (!m_wire.isEmpty() || table() != m_before.table)
            return fail("Compare with File talked to the rack or changed the table");
        if (m_variant < 2)
            m_compared = f.session.cards;
        if (const frmCompare *w = f.window.compareCommands().window();
            m_variant < 2 && (!w || w->isHidden()))
            fail("the comparison's window does not show");
    }
    void report() { trigger("mnuFilesReport", m_dir.filePath(format("r%1.html", stepsTaken()))); }
    void expectReport();
    void save() { trigger("mnuFilesSave", m_dir.filePath(format("s%1.uJx", stepsTaken()))); }
    void expectSave()
    {
        const Result<CardTable> back = OpenParameterFile(m_path);
        if (m_fit == Fit::Refuse && back.ok())
            fail("I3: an incomplete table was saved");
        else if (m_fit == Fit::Run &&
                 (!m_wasEnabled || !back.ok() || ParameterFileText(*back) != table()))
            fail("Save of a complete table is off or did not write the table");
        else if (m_fit == Fit::Run)
            m_titleFile = m_path;
    }
    // Monitoring: Start, and Stop after a few commands (or a moment, when
    // the table has nothing to read); now and then the port is pulled.
    void monitor()
    {
        m_interrupt = pick(5) ? 3 : 2;
        m_interruptAt = 1 + pick(40);
        QTimer::singleShot(200, m_ctx.get(), [this] {
            if (f.session.state.IsMonitoring)
                button("cmdStop")->click();
        });
        button("cmdStart")->click();
    }
    void expectMonitor()
    {
        for (const Wire &w : std::as_const(m_wire))
            if (w.cmd.startsWith(u'D'))
                return fail("monitoring wrote %1", w.cmd);
        if (m_interrupt == 3 && !m_faulty.at(m_before.link) && !connected())
            fail("Stop lost the link");
        // Stop ends the exchange under way (the first line after it, logged
        // when it ends): no further attempt, no next card.
        for (qsizetype i = m_stopAt + 1; m_interrupt == 3 && m_fired && i < m_wire.size(); ++i)
            if (m_wire.at(i).attempt > 0 || i > m_stopAt + 4)
                return fail("after Stop, %1 more commands went out (%2)",
                            int(m_wire.size() - m_stopAt), m_wire.at(i).cmd);
    }
    // Monitoring a card in its window: as above; a card that fell silent
    // shows "ERROR", never its last value.
    void monitorCard()
    {
        const QList<int> live = liveSlots();
        m_before.editSlot = live.at(pick(int(live.size())));
        note(" %1", m_before.editSlot);
        // Often the card falls silent as monitoring starts.
        if (pick(2)) {
            rack(m_link).clearFaults();
            rack(m_link).setCardFaults(m_before.editSlot, {.silent = true});
            m_faulty.at(m_link) = true;
            m_commSilent.at(m_link) = false;
            m_silentSlot.at(m_link) = m_before.editSlot;
            note(", silent");
        }
        select(m_before.editSlot);
        monitor();
    }
    void expectCardMonitor()
    {
        expectMonitor();
        const int slot = m_before.editSlot;
        const CardRecord &c = f.session.cards[slot];
        if (m_silentSlot.at(m_before.link) != slot || c.form() == FormType::Pulse || !m_link)
            return;
        bool read = false;
        for (const Wire &w : std::as_const(m_wire))
            read = read || w.cmd == format("G%1", slot);
        const QString shown = c.form() == FormType::Analog
                                  ? f.window.cardWindows()
                                        .setModel()
                                        ->findChild<QLineEdit *>(u"txtParData01"_s)
                                        ->text()
                                  : f.window.cardWindows().showModel()->channelText(1);
        if (read && shown != u"ERROR"_s)
            fail("slot %1 is silent and its window shows \"%2\"", slot, shown);
    }
    // View > Trend of a card with values (often one already open), and the
    // card shown, which reads it once.
    void trend()
    {
        const QList<int> live = liveSlots();
        int slot = live.at(pick(int(live.size())));
        for (const int open : std::as_const(m_trends))
            if (live.contains(open) && pick(2))
                slot = open;
        note(" %1", slot);
        f.window.viewWindows().showTrend(slot);
        m_trends.insert(slot);
        select(slot);
    }
    void setting();
    void expectSetting()
    {
        const QString now = rack(m_before.link).itemValue(0, 9);
        if (!m_value.isEmpty() && !m_faulty.at(m_before.link) &&
            (!wireHas({u"G00"_s, u"I09"_s, u'D' + m_value}) || now != m_value))
            fail("I2: the time-out window's Download of %1 did not go out whole; the card holds %2",
                 m_value, now);
    }
    void faults();
    void nothing() {}

    void checkAfterStep();
    void checkChangeLog();
    void onTraffic(const TrafficEntry &e);
    void fire();
    QList<Tx> transactions() const;

    template <typename... A> void fail(const char *text, const A &...a)
    {
        if (m_failure.isEmpty())
            m_failure = format(text, a...);
    }
    template <typename... A> void note(const char *text, const A &...a)
    {
        m_steps.last() += format(text, a...);
    }
    int pick(int n) { return int(m_rng.bounded(n)); }
    bool connected() const { return f.session.state.IsConnected; }
    bool enabled(const char *action) const
    {
        return f.find<QAction>(QLatin1String(action))->isEnabled();
    }
    QPushButton *button(const char *name) const { return f.find<QPushButton>(QLatin1String(name)); }
    SimulatedRack &rack(int n) const { return n == 2 ? *m_b : *f.rack; }
    static QString name(int rackNo) { return rackNo == 2 ? u"B"_s : u"A"_s; }
    QString held(int rackNo, int slot) const
    {
        const SimCard *card = rackNo ? rack(rackNo).card(slot) : nullptr;
        return card ? card->model() : QString();
    }
    // Typed into the editor of the card shown and not yet written: what an
    // Upload must ask about. A hidden editor's marks are another card's.
    bool unsentEdits(int shown)
    {
        const FormType form = shown > 0 ? f.session.cards[shown].form() : FormType::None;
        return (form == FormType::Analog && f.window.cardWindows().setModel()->hasUnsentEdits()) ||
               (form == FormType::Pulse &&
                f.window.cardWindows().setPalseModel()->hasUnsentEdits());
    }
    QList<int> liveSlots() const
    {
        QList<int> out;
        for (int i = 1; i <= kCardCount; ++i)
            if (f.session.cards[i].channels() > 0 &&
                f.session.cards[i].form() >= FormType::Analog &&
                f.session.cards[i].form() <= FormType::Discrete)
                out << i;
        return out;
    }
    void select(int slot)
    {
        f.find<QComboBox>(u"cboCardNo"_s)
            ->setCurrentText(format("%1", slot).rightJustified(2, u'0'));
    }
    QList<int> analogSlots() const
    {
        QList<int> out;
        for (int i = 1; i <= kCardCount; ++i)
            if (f.session.cards[i].form() == FormType::Analog)
                out << i;
        return out;
    }
    QByteArray table() const { return ParameterFileText(f.session.cards); }
    // The operator's menu command, the file dialog answering with `path`.
    void trigger(const char *action, const QString &path = {})
    {
        m_path = path;
        m_wasEnabled = enabled(action);
        f.find<QAction>(QLatin1String(action))->trigger();
    }
    // File A, file B or the damaged file.
    QString chooseFile()
    {
        m_variant = pick(3);
        note(" %1", QFileInfo(m_files.at(m_variant)).fileName());
        return m_files.at(m_variant);
    }
    bool wireHas(const QStringList &run) const
    {
        for (qsizetype i = 0; i + run.size() <= m_wire.size(); ++i)
            for (qsizetype k = 0; m_wire.at(i + k).cmd == run.at(k);)
                if (++k == run.size())
                    return true;
        return false;
    }
    const Tx *written(const QList<Tx> &txs, int card, const QString &item,
                      const QString *data = nullptr) const
    {
        for (const Tx &t : txs)
            if (t.written && t.card == card && t.item == item && (!data || t.data == *data))
                return &t;
        return nullptr;
    }
    bool said(const QString &title, const QString &textStart) const
    {
        for (qsizetype i = m_before.messages; i < f.messages.size(); ++i)
            if (f.messages.at(i).title == title && f.messages.at(i).text.startsWith(textStart))
                return true;
        return false;
    }
    // A comparison made of another table than the one now held.
    bool stale() const
    {
        return m_compared && SettingsDiffer(CompareTables(*m_compared, f.session.cards));
    }
    bool faultFree() const { return !m_faulty.at(m_before.link) && !m_fired; }

    AppFixture f;
    std::unique_ptr<SimulatedRack> m_b = RackB();
    const QStringList &m_files; // A, B, damaged
    QTemporaryDir m_dir;
    QString m_logPath = m_dir.filePath(u"changes.jsonl"_s);
    ChangeLog m_changeLog{m_logPath};
    quint32 m_seed;
    int m_stepCount;
    QRandomGenerator m_rng;
    QStringList m_steps;
    QString m_failure;

    // What the walk knows of the program's state.
    int m_link = 0;   // the rack the link reaches, 0 none
    int m_source = 0; // of the table: 0 none, 1 an upload, 2 a file
    int m_sourceRack = 0, m_sourceCom = 0;
    QString m_sourceFile, m_titleFile;
    bool m_incomplete = false;
    std::optional<CardTable> m_compared;
    std::array<bool, 3> m_faulty{}, m_commSilent{};
    // Commands of a whole operation, for the point of a Cancel.
    std::array<int, 3> m_uploadLength{0, 600, 300}, m_downloadLength{0, 500, 200};

    // The step in progress.
    struct Before
    {
        QByteArray table;
        qsizetype messages = 0, log = 0;
        int link = 0, com = 0, editSlot = 0;
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
    std::unique_ptr<QObject> m_ctx; // lives for one step
    int m_interrupt = 0;            // 1 Cancel, 2 unplug, 3 Stop
    int m_interruptAt = 0, m_commands = 0;
    qsizetype m_stopAt = 0; // wire lines before Stop
    // The rack's card silent as a whole (faults), per rack; -1 none.
    std::array<int, 3> m_silentSlot{-1, -1, -1};
    // Channel 1's values on the live feed, per card: link, model, text.
    struct Live
    {
        quint64 link;
        QString model, text;
    };
    QMap<int, QList<Live>> m_live;
    QSet<int> m_trends;
    quint64 m_uploadLink = 0; // the link of the table's upload
    bool m_fired = false, m_firePending = false;
};

// The steps: name, weight, precondition, action, expectation.
const Walk::Kind Walk::kKinds[] = {
    {"Connect", 2, &Walk::always, &Walk::connectRack, &Walk::expectConnect},
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
    {"Monitoring a card", 2, &Walk::fitCardMonitor, &Walk::monitorCard, &Walk::expectCardMonitor},
    {"Trend", 2, &Walk::fitTrend, &Walk::trend, &Walk::nothing},
    {"Time-out setting", 1, &Walk::fitSetting, &Walk::setting, &Walk::expectSetting},
    {"Faults", 2, &Walk::always, &Walk::faults, &Walk::nothing},
};

QString Walk::run()
{
    int total = 0;
    for (const Kind &k : kKinds)
        total += k.weight;
    while (stepsTaken() < m_stepCount && m_failure.isEmpty()) {
        const Kind *kind = nullptr;
        for (int r = pick(total); !kind; r = pick(total)) {
            for (const Kind &k : kKinds)
                if ((r -= k.weight) < 0 && !kind)
                    kind = &k;
            if ((m_fit = (this->*kind->fit)()) == Fit::Skip)
                kind = nullptr;
        }
        m_steps << QLatin1String(kind->name);
        const int shown = f.session.state.SelectedCardNo;
        m_before = Before{table(),
                          f.messages.size(),
                          ReadChangeLog(m_logPath)->entries.size(),
                          m_link,
                          f.session.state.ComPortNo,
                          shown,
                          unsentEdits(shown)};
        m_wire.clear();
        m_questions.clear();
        m_ctx = std::make_unique<QObject>();
        m_interrupt = m_commands = 0;
        m_fired = m_firePending = false;
        // Counts what the rack hears: a Cancel, an unplug or Stop hooks in here.
        if (auto *rs =
                f.session.line.port() ? f.session.line.port()->findChild<RackSession *>() : nullptr)
            QObject::connect(rs, &RackSession::commandReceived, m_ctx.get(), [this] {
                if (++m_commands >= m_interruptAt && m_interrupt && !m_fired &&
                    !std::exchange(m_firePending, true))
                    QTimer::singleShot(0, m_ctx.get(), [this] { fire(); });
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
        if (hung || f.modalTimedOut)
            fail("I6: the step did not end within %1 ms, or its dialog did not close",
                 kStepBoundMs);
        if (m_failure.isEmpty())
            (this->*kind->expect)();
        for (qsizetype i = m_before.messages; i < f.messages.size(); ++i)
            note(" [%1: %2]", f.messages.at(i).title, f.messages.at(i).text.section(u'\n', 0, 0));
        checkAfterStep();
    }
    QString out = m_failure.isEmpty() ? QString() : format("seed %1: %2", int(m_seed), m_failure);
    for (int i = 0; !out.isEmpty() && i < stepsTaken(); ++i)
        out += format("\n  %1. %2", i + 1, m_steps.at(i));
    return out;
}

void Walk::fire()
{
    m_firePending = false;
    auto *cancel = f.window.loading()->findChild<QPushButton *>(u"cmdCancel"_s);
    auto *port = qobject_cast<MemoryPort *>(f.session.line.port());
    // Only what the operator can reach: a shown, enabled Cancel; else the
    // next command tries again.
    if ((m_interrupt == 1 &&
         (!f.window.loading()->isVisible() || cancel->isHidden() || !cancel->isEnabled())) ||
        (m_interrupt == 2 && !port))
        return;
    m_fired = true;
    if (m_interrupt == 1)
        cancel->click();
    else if (m_interrupt == 2)
        port->fail(u"unplugged"_s);
    else
        m_stopAt = m_wire.size(), button("cmdStop")->click();
    const QString what[] = {{}, u"Cancel"_s, u"unplug"_s, u"Stop"_s};
    note(", %1 at command %2", what[m_interrupt], m_commands);
}

void Walk::onTraffic(const TrafficEntry &e)
{
    const QString cmd = QString::fromLatin1(e.command).trimmed();
    const QString reply = e.timedOut ? QString() : QString::fromLatin1(e.reply).trimmed();
    m_wire.append(Wire{cmd, reply, f.session.gate.running(), e.attempt});
    if (cmd.startsWith(u'G')) {
        m_selected = reply == u"COK"_s ? cmd.mid(1).toInt() : -1;
    } else if (cmd.startsWith(u'I')) {
        m_item = cmd.mid(1);
    } else if (m_selected >= 1 && m_item != u"1"_s) {
        // I1: a parameter goes only to a card of the model its record names.
        const QString model = f.session.cards[m_selected].ModelName;
        if (held(m_link, m_selected) != model)
            fail("I1: slot %1 holds %2, the table's record is %3, and it was sent I%4 %5",
                 m_selected, held(m_link, m_selected), model, m_item, cmd);
    }
}

QList<Tx> Walk::transactions() const
{
    QList<Tx> out;
    for (const Wire &w : m_wire) {
        const QChar c = w.cmd.at(0);
        if (c == u'G' && (w.attempt == 0 || out.isEmpty()))
            out.append(Tx{w.cmd.mid(1).toInt(), {}, {}, {}, {}, false});
        if (out.isEmpty())
            continue;
        Tx &t = out.last();
        if (c == u'I')
            t.item = w.cmd.mid(1);
        if (c == u'D')
            t.data = w.cmd.mid(1), t.written = true, t.op = w.op;
        t.result = w.reply == u"CNG"_s || w.reply == u"CNU"_s ? u"refused"_s
                   : c == u'D' && !w.reply.isEmpty()          ? u"written"_s
                                                              : u"no answer"_s;
    }
    return out;
}

void Walk::expectUpload()
{
    if (!m_wasEnabled)
        return fail("I2: Upload is off while connected and idle");
    if (m_before.edits != !m_questions.isEmpty())
        return fail("Upload %1 about the unsent edits of slot %2",
                    m_before.edits ? u"did not ask"_s : u"asked"_s, m_before.editSlot);
    if (m_before.edits && !m_answer)
        return m_wire.isEmpty() && table() == m_before.table
                   ? void()
                   : fail("Upload went on after the operator kept the edits");
    const bool whole = !said(u"Uploading"_s, {});
    m_source = 1;
    m_uploadLink = f.session.link;
    m_sourceRack = m_before.link;
    m_sourceCom = m_before.com;
    m_titleFile.clear();
    m_incomplete = !whole;
    if (!whole && faultFree())
        return fail("I2: a fault-free Upload did not run whole");
    if (whole)
        m_uploadLength.at(m_before.link) = m_commands;
    // I2 and I3: an upload that ends without a word has read every slot.
    for (int i = 1; whole && i <= kCardCount; ++i) {
        const QString model = held(m_before.link, i);
        if (f.session.cards[i].ModelName != (model.isEmpty() ? u"NONE"_s : model))
            return fail("I3: the Upload ended without a word, but slot %1 is %2 in the table and "
                        "\"%3\" in the rack",
                        i, f.session.cards[i].ModelName, model);
        if (!model.isEmpty() && !wireHas({format("G%1", i), u"I2"_s}))
            return fail("I2: the Upload did not read slot %1's model (G%1 I2)", i);
    }
}

void Walk::expectDownload()
{
    if (m_fit == Fit::Refuse)
        return m_wasEnabled ? fail("I3: Download of all cards is offered for an incomplete table")
                            : void();
    if (!m_wasEnabled || !faultFree())
        return;
    if (said(u"Downloading"_s, u"Downloading cancelled"_s) ||
        said(u"Downloading"_s, u"Downloading incomplete"_s))
        return fail("I2: a fault-free Download did not run whole");
    m_downloadLength.at(m_before.link) = m_commands;
    // I2: every card the table knows is selected for writing, and a card of
    // the table's model gets its first four parameters and holds what it took.
    const QList<Tx> txs = transactions();
    for (int i = 1; i <= kCardCount; ++i) {
        const CardRecord &c = f.session.cards[i];
        if (c.ModelKind == kNoCard || held(m_before.link, i).isEmpty())
            continue;
        if (!wireHas({format("G%1", i), u"I1"_s, u"D1"_s}))
            return fail("I2: the Download did not select slot %1 (G%1 I1 D1)", i);
        for (int k = 1;
             k <= 4 && held(m_before.link, i) == c.ModelName && c.form() == FormType::Analog; ++k) {
            const QString item = c.par(k).ItemNo, value = c.par(k).Value;
            const Tx *t = written(txs, i, item, &value);
            const QString now = rack(m_before.link).itemValue(i, item.toInt());
            if (item.toInt() > 0 && !t)
                return fail("I2: the Download did not write \"%1\" to slot %2 item %3", value, i,
                            item);
            if (t && t->result == u"written"_s && now != value)
                return fail("I2: slot %1 item %2 took \"%3\" and holds \"%4\"", i, item, value,
                            now);
        }
    }
}

// Edit card: chosen with cboCardNo, a value typed into txtZScale01, and
// mostly the editor's own Download.
void Walk::edit()
{
    const QList<int> analog = analogSlots();
    const int slot = analog.at(pick(int(analog.size())));
    f.find<QComboBox>(u"cboCardNo"_s)->setCurrentText(format("%1", slot).rightJustified(2, u'0'));
    frmSetModel *editor = f.window.cardWindows().setModel();
    auto *box = editor->findChild<QLineEdit *>(u"txtZScale01"_s);
    m_before.editSlot = slot;
    m_value.clear();
    m_downloaded = false;
    note(" %1", slot);
    if (f.session.state.SelectedCardNo != slot || box->isReadOnly() || !box->isEnabled())
        return note(", box locked");
    // Now and then a value every card refuses.
    box->selectAll();
    QTest::keyClicks(box, pick(7) ? QString::number(pick(2001) - 1000) : u"99999"_s);
    m_value = box->text();
    note(", typed %1", m_value);
    auto *down = editor->findChild<QPushButton *>(u"cmdDown"_s);
    if (pick(10) < 6 && down->isEnabled()) {
        note(", Download");
        m_downloaded = true;
        down->click();
    }
}

void Walk::expectEdit()
{
    const int slot = m_before.editSlot;
    if (!m_value.isEmpty() && !m_downloaded && !f.window.cardWindows().setModel()->hasUnsentEdits())
        return fail("the typed value carries no edit mark");
    const CardRecord &c = f.session.cards[slot];
    if (!m_downloaded || !faultFree() || held(m_before.link, slot) != c.ModelName)
        return;
    // I2: the card's Download writes every parameter, the typed one as typed.
    const QList<Tx> txs = transactions();
    for (int k = 1; k <= (c.isTwoChannel() ? 12 : 6); ++k)
        if (c.par(k).ItemNo.toInt() > 0 && !written(txs, slot, c.par(k).ItemNo))
            return fail("I2: the card's Download did not write slot %1 item %2", slot,
                        c.par(k).ItemNo);
    const QString item = c.par(1).ItemNo, now = rack(m_before.link).itemValue(slot, item.toInt());
    if (!written(txs, slot, item, &m_value))
        return fail("I2: the card's Download did not write %1 to slot %2 item %3", m_value, slot,
                    item);
    if (m_value != u"99999"_s && (now != m_value || c.par(1).Value != m_value))
        fail("I2: after the card's Download of %1 slot %2 holds \"%3\", the table \"%4\"", m_value,
             slot, now, c.par(1).Value);
}

void Walk::expectReport()
{
    QFile out(m_path);
    if (!out.open(QIODevice::ReadOnly))
        return fail("the Report wrote no file");
    const QString html = QString::fromUtf8(out.readAll());
    QMap<QString, QString> rows;
    static const QRegularExpression row(
        u"<tr><th align=\"left\">([^<]*)</th><td>([^<]*)</td></tr>"_s);
    for (auto m = row.globalMatch(html); m.hasNext();) {
        const auto hit = m.next();
        rows.insert(hit.captured(1), hit.captured(2));
    }
    // I5: the source row names where the table came from.
    const QString port = format("COM%1 (simulated rack)", m_sourceCom);
    const QString from = rows.value(u"Uploaded from"_s), file = rows.value(u"Parameter file"_s);
    if (m_source == 1 ? !from.startsWith(port) || !file.isEmpty()
                      : file != QDir::toNativeSeparators(m_sourceFile))
        return fail("I5: the report's source is \"%1%2\", the table's %3", from, file,
                    m_source == 1 ? port : m_sourceFile);
    if (m_incomplete && !html.contains(u"incomplete"_s, Qt::CaseInsensitive))
        return fail("I3: the report of an incomplete table has no incomplete mark");
    if (html.contains(u"<h2>Differences from"_s) && stale() && !html.contains(u"out of date"_s))
        return fail(
            "I5: the report lists the differences of a comparison made before the table changed");
    // The communication card and its time-out are those of the table's rack,
    // or of the rack connected to a file's table, never an earlier rack's.
    const int owner = m_source == 1 ? m_sourceRack : m_link;
    const QString comm = rows.value(u"Communication card"_s), timeout = rows.value(u"Time-out"_s);
    if (owner && !comm.isEmpty() && comm != rack(owner).commCard().model())
        fail("I5: the report names the communication card %1; rack %2 has %3", comm, name(owner),
             rack(owner).commCard().model());
    if (owner && !timeout.isEmpty() && timeout != rack(owner).itemValue(0, 9))
        fail("I5: the report gives the time-out %1; rack %2 has %3", timeout, name(owner),
             rack(owner).itemValue(0, 9));
}

// The communication card's time-out window: its opening read, now and then
// a new value written, Exit. Driven by a timer of its own: nothing here may
// wait inside a wait of the window's, such as the opening read's.
void Walk::setting()
{
    m_value = pick(2) ? QString::number(100 + pick(800)) : QString();
    if (!m_value.isEmpty())
        note(", Download %1", m_value);
    f.onModal([this](QWidget *dialog) {
        auto *tick = new QTimer(dialog);
        QObject::connect(tick, &QTimer::timeout, dialog, [this, dialog, sent = false]() mutable {
            auto *exit = dialog->findChild<QPushButton *>(u"cmdExit"_s);
            if (!exit->isEnabled())
                return;
            if (m_value.isEmpty() || std::exchange(sent, true))
                return exit->click();
            dialog->findChild<QLineEdit *>(u"txtTimeout"_s)->setText(m_value);
            dialog->findChild<QPushButton *>(u"cmdDown"_s)->click();
        });
        tick->start(5);
    });
    button("cmdComSet")->click();
}

// One fault at a time, on the connected rack or either: a silent card (or
// one item of it), late replies, a card refusing an item, a silent
// communication card; or none.
void Walk::faults()
{
    const int r = m_link ? m_link : 1 + pick(2), what = pick(6);
    SimulatedRack &k = rack(r);
    k.clearFaults();
    m_silentSlot.at(r) = -1;
    m_faulty.at(r) = what >= 2;
    m_commSilent.at(r) = what == 5;
    if (what < 2)
        return note(" off on rack %1", name(r));
    QList<int> occupied;
    for (int i = 1; i <= kCardCount; ++i)
        if (k.isOccupied(i))
            occupied << i;
    const int slot = what == 5 ? 0 : occupied.at(pick(int(occupied.size())));
    SimFaults faults;
    faults.silent = what == 2 || what == 5;
    faults.lateMs = what == 3 ? kLateMs : 0;
    faults.refuse = what == 4;
    // Mostly one item only: a whole card silent costs a Download seconds.
    if (slot && (faults.refuse || pick(4)))
        faults.onlyItem = faults.refuse ? QList<int>{13, 14, 16, 17}.at(pick(4)) : 13 + pick(5);
    k.setCardFaults(slot, faults);
    if (faults.silent && faults.onlyItem < 0)
        m_silentSlot.at(r) = slot;
    const QString kind[] = {u"silent"_s, u"late"_s, u"refusing"_s, u"silent"_s};
    note(": rack %1, slot %2 %3%4", name(r), slot, kind[what - 2],
         faults.onlyItem < 0 ? QString() : format(" on item %1", faults.onlyItem));
}

void Walk::checkAfterStep()
{
    if (!connected())
        m_link = 0;
    checkChangeLog();
    if (f.session.gate.busy() || f.session.state.IsMonitoring || f.window.loading()->isVisible() ||
        QApplication::activeModalWidget())
        fail("I6: the step left \"%1\" running, monitoring on, progress or a dialog up",
             f.session.gate.running());
    // I5: the title names a file only while the table is that file's.
    const QString title =
        m_titleFile.isEmpty() ? u"V9CON"_s : u"V9CON - "_s + QFileInfo(m_titleFile).fileName();
    if (f.window.windowTitle() != title)
        fail("I5: the title is \"%1\", the table's is \"%2\"", f.window.windowTitle(), title);
    // I5: a comparison of another table is dropped or marked out of date.
    for (int i = 1; stale() && i <= kCardCount; ++i)
        if (const QString tip = f.find<QLabel>(format("UnitNo_%1", i))->toolTip();
            !tip.isEmpty() && !tip.contains(u"out of date"_s))
            fail("I5: slot %1 is still marked \"%2\" after the table changed", i, tip);
    const frmCompare *w = f.window.compareCommands().window();
    if (stale() && w && !w->isHidden() && !w->lblSummary()->text().contains(u"out of date"_s))
        fail("I5: the comparison window still shows \"%1\" after the table changed",
             w->lblSummary()->text());
    if (m_incomplete && f.enabled("cmdDownload"))
        fail("I3: Download of all cards is on for an incomplete table");
    // I1: a card's Download only to the rack its table was uploaded from
    // on this link, or from a file (the card's model checked then).
    const int shown = f.session.state.SelectedCardNo;
    const bool thisLink = m_source == 1 && m_uploadLink == f.session.link && m_link;
    for (QWidget *editor : {static_cast<QWidget *>(f.window.cardWindows().setModel()),
                            static_cast<QWidget *>(f.window.cardWindows().setPalseModel())})
        if (editor->findChild<QPushButton *>(u"cmdDown"_s)->isEnabled() && shown > 0 && !thisLink &&
            m_source != 2)
            fail("I1: slot %1's Download is offered for a table not uploaded on this link", shown);
    // A trend is one card of one rack: its values are the latest of those
    // the card sent on one link as one model.
    for (const int slot : std::as_const(m_trends)) {
        const frmTrend *t = f.window.viewWindows().trend(slot);
        if (!t)
            continue;
        QStringList drawn;
        for (const TrendPoint &p : t->series().points(1))
            if (!p.gap)
                drawn << QString::number(p.value);
        QStringList sent;
        const QList<Live> &all = m_live.value(slot);
        for (qsizetype i = all.size() - 1;
             i >= 0 && all.at(i).link == all.last().link && all.at(i).model == all.last().model;
             --i)
            if (double v = 0; TrendSeries::parseValue(all.at(i).text, v))
                sent.prepend(QString::number(v));
        if (!drawn.isEmpty() &&
            (drawn.size() > sent.size() || sent.mid(sent.size() - drawn.size()) != drawn))
            fail("the trend of slot %1 holds %2; the card's latest run sent %3", slot,
                 drawn.join(u' '), sent.join(u' '));
        else if (!drawn.isEmpty() && !t->windowTitle().endsWith(all.last().model.trimmed()))
            fail("the trend of slot %1 is titled \"%2\"; its values are %3's", slot,
                 t->windowTitle(), all.last().model);
    }
}

// I4: every parameter write on the wire is in the change log with the
// card's answer, nothing else is logged as written, and the log is whole
// JSON lines.
void Walk::checkChangeLog()
{
    QFile raw(m_logPath);
    const QByteArray bytes = raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
    const Result<ChangeLogRead> log = ReadChangeLog(m_logPath);
    const ChangeLogRead read = log.valueOr({});
    if (!log || read.skipped || (!bytes.isEmpty() && !bytes.endsWith('\n')))
        return fail("I4: the change log is not whole JSON lines");
    const QList<ChangeEntry> added = read.entries.mid(m_before.log);
    qsizetype e = 0;
    // Passed over on the way: entries of writes that never reached a "D".
    const auto seek = [&](const Tx *t) {
        for (; e < added.size(); ++e) {
            const ChangeEntry &x = added.at(e);
            if (t && x.slot == t->card && x.item == t->item && x.value == t->data)
                return true;
            if (x.result == ChangeResult::Written)
                return fail("I4: the change log says slot %1 item %2 took \"%3\"; nothing like it "
                            "went out",
                            x.slot, x.item, x.value),
                       false;
        }
        return false;
    };
    for (const Tx &t : transactions()) {
        // Not logged: the selects, and the upload's set-up and burnout reads.
        if (!t.written || t.item == u"1"_s ||
            (t.op.startsWith(u"Upload"_s) && (t.card == 0 || t.item == u"9"_s)))
            continue;
        if (!seek(&t))
            return fail("I4: the write of \"%1\" to slot %2 item %3 (%4) is not in the change log",
                        t.data, t.card, t.item, t.result);
        if (const QString logged = ChangeResultText(added.at(e++).result); logged != t.result)
            return fail("I4: the change log has \"%1\" for \"%2\" to slot %3 item %4; the card's "
                        "answer was %5",
                        logged, t.data, t.card, t.item, t.result);
    }
    seek(nullptr);
}

} // namespace

class TestSequences : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QStringList m_files;

private slots:
    void initTestCase()
    {
        // The offscreen platform's notes on raise() and size hints, one per
        // window shown, would use up the test's allowance of messages.
        static const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
                if (!text.startsWith(u"This plugin does not support"_s))
                    previous(type, context, text);
            });
        // Files A and B as v9con-cli uploads them from the two racks; the
        // damaged one is A cut off in its eighth line.
        for (const char *name : {"rackA.uJx", "rackB.uJx", "damaged.uJx"})
            m_files << m_dir.filePath(QLatin1String(name));
        QCOMPARE(InProcess().run({"upload", "-o", m_files[0]}), 0);
        QCOMPARE(InProcess(RackB()).run({"upload", "-o", m_files[1]}), 0);
        QFile a(m_files[0]), damaged(m_files[2]);
        QVERIFY(a.open(QIODevice::ReadOnly) && damaged.open(QIODevice::WriteOnly));
        const QByteArray text = a.readAll();
        qsizetype cut = 0;
        for (int line = 0; line < 7; ++line)
            cut = text.indexOf('\n', cut) + 1;
        damaged.write(text.left(cut + 20));
    }

    // The steps of the rack change, each fault of it checked where the
    // operator would see it: rack A uploaded and monitored with a trend of
    // card 1 open, then rack B connected.
    void acrossRacks()
    {
        AppFixture f;
        std::unique_ptr<SimulatedRack> b = RackB();
        f.session.ports = std::make_unique<TwoRacks>(*f.rack, *b);
        f.session.line.setTiming(kTiming);
        qint64 now = 1000;
        // Start, and Stop once the rack has heard `commands` more.
        const auto monitor = [&f](int commands) {
            const int stopAt = int(f.session.traffic.entries().size()) + commands;
            QObject ctx;
            QObject::connect(&f.session.traffic, &TrafficLog::appended, &ctx, [&] {
                if (int(f.session.traffic.entries().size()) == stopAt)
                    QTimer::singleShot(0, &ctx,
                                       [&f] { f.window.monitorCommands().cmdStop_Click(); });
            });
            f.window.monitorCommands().cmdStart_Click();
        };
        const auto select = [&f](int slot) {
            f.find<QComboBox>(u"cboCardNo"_s)
                ->setCurrentText(format("%1", slot).rightJustified(2, u'0'));
        };
        frmSetModel *editor = f.window.cardWindows().setModel();
        auto *value = editor->findChild<QLineEdit *>(u"txtParData01"_s);

        f.connectOn(1);
        f.window.cmdUpload_Click();
        f.window.viewWindows().showTrend(1);
        frmTrend *trend = f.window.viewWindows().trend(1);
        trend->setClock([&now] { return now++; });
        monitor(20);
        const QList<TrendPoint> &a = trend->series().points(1);
        QVERIFY(!a.isEmpty() && !a.first().gap);
        QVERIFY2(a.last().gap, "the line runs on over the time nothing is read");

        // Rack B without an Upload: its communication card is named at once;
        // card 1 (XD1-K in the table, XA1-00 in B) may be read, not written.
        f.window.mnuConnectDisconnect_Click();
        f.connectOn(2);
        QCOMPARE(f.find<QLabel>(u"lblMasterType"_s)->text(), u"V9-XS1-B"_s);
        QCOMPARE(f.find<QLabel>(u"lblVersionNo"_s)->text(), QString());
        const QString scale = b->itemValue(1, 13), base = b->itemValue(1, 14);
        f.session.traffic.clear();
        select(1);
        QVERIFY(!editor->parentWidget()->isHidden());
        QCOMPARE(value->text(), QString()); // not B's XA1-00 reading under A's °C
        QCOMPARE(f.window.statusBar()->currentMessage(),
                 u"Slot 1: the rack has XA1-00, the table XD1-K: not read"_s);
        QVERIFY(editor->findChild<QPushButton *>(u"cmdUp"_s)->isEnabled());
        QVERIFY2(!editor->findChild<QPushButton *>(u"cmdDown"_s)->isEnabled(),
                 "a card's Download is offered for another rack's table");
        const QString typed = editor->parText(1);
        editor->findChild<QPushButton *>(u"cmdUp"_s)->click();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages.last().text,
                 u"Slot 1: the rack has XA1-00, the table XD1-K: not read"_s);
        QCOMPARE(editor->parText(1), typed);
        for (const QString &cmd : f.wire())
            QVERIFY2(!cmd.startsWith(u'D') || cmd == u"D1"_s, qPrintable(cmd));
        QCOMPARE(b->itemValue(1, 13), scale);
        QCOMPARE(b->itemValue(1, 14), base);

        // B uploaded and monitored: the trend is B's card alone, under its name.
        select(0);
        f.window.cmdUpload_Click();
        now = 100000;
        monitor(20);
        QCOMPARE(trend->windowTitle(), u"Trend \u2013 card 1 XA1-00"_s);
        const QList<TrendPoint> &bPoints = trend->series().points(1);
        QVERIFY(!bPoints.isEmpty());
        for (const TrendPoint &p : bPoints)
            QVERIFY2(p.ms >= 100000, "rack A's values are in rack B's trend");

        // A card that falls silent while its window monitors it: "ERROR",
        // and Stop acts before the next attempt. The same for a discrete
        // card in its window and on the overview.
        select(1);
        b->setCardFaults(1, {.silent = true});
        int afterStop = -1;
        QObject ctx;
        QObject::connect(&f.session.traffic, &TrafficLog::appended, &ctx, [&] {
            if (afterStop >= 0)
                ++afterStop;
            else if (f.session.traffic.entries().back().timedOut)
                QTimer::singleShot(0, &ctx, [&] {
                    afterStop = 0;
                    f.window.monitorCommands().cmdStop_Click();
                });
        });
        f.window.monitorCommands().cmdStart_Click();
        QObject::disconnect(&f.session.traffic, nullptr, &ctx, nullptr);
        QCOMPARE(value->text(), u"ERROR"_s);
        QVERIFY2(afterStop <= 1, qPrintable(format("%1 commands after Stop", afterStop)));
        b->clearFaults();
        b->setCardFaults(9, {.silent = true});
        select(9);
        QCOMPARE(f.window.cardWindows().showModel()->channelText(1), u"ERROR"_s);
        select(0);
        monitor(40);
        frmOverView *o = f.window.overview();
        QVERIFY(!o->lblInputDataCh1(9)->isHidden());
        QCOMPARE(o->lblInputDataCh1(9)->text(), u"ERROR"_s);
        QVERIFY(o->lblDIDataCh(1, 9)->isHidden());
    }

    void walks()
    {
        QList<int> seeds;
        for (int i = 1; i <= envInt("V9_WALKS", 200); ++i)
            seeds << i;
        if (qEnvironmentVariableIsSet("V9_WALK_SEED"))
            seeds = {envInt("V9_WALK_SEED", 1)};
        QElapsedTimer clock;
        clock.start();
        int steps = 0;
        QStringList failures;
        // The shortest walk of each failure, its numbers and names aside.
        QMap<QString, QString> kinds;
        static const QRegularExpression details(u"-?\\d+|\"[^\"]*\"|X\\S*|rack \\w"_s);
        for (const int seed : std::as_const(seeds)) {
            Walk walk(quint32(seed), envInt("V9_WALK_STEPS", 12), m_files);
            const QString failure = walk.run();
            steps += walk.stepsTaken();
            if (failure.isEmpty())
                continue;
            failures << failure;
            const QString key = failure.section(u'\n', 0, 0).section(u": "_s, 1).remove(details);
            if (!kinds.contains(key) || kinds[key].size() > failure.size())
                kinds.insert(key, failure);
        }
        qInfo("walks %d, steps %d, failures %d, %lld ms", int(seeds.size()), steps,
              int(failures.size()), clock.elapsed());
        for (const QString &f : std::as_const(kinds))
            qWarning("%s", qPrintable(f));
        // The shortest failing walk in full, the others' kinds above.
        for (const QString &f : std::as_const(kinds))
            if (f.size() < failures.first().size())
                failures.first() = f;
        if (!failures.isEmpty())
            QFAIL(qPrintable(format("%1\n%2 of %3 walks failed, %4 kinds of failure (above); "
                                    "replay one with V9_WALK_SEED=<seed>",
                                    failures.first(), int(failures.size()), int(seeds.size()),
                                    int(kinds.size()))));
    }
};

QTEST_MAIN(TestSequences)
#include "test_sequences.moc"
