#include "app/frmv9con.h"

#include "app/cardwindows.h"
#include "app/comparecommands.h"
#include "app/frmcomport.h"
#include "app/frmrestore.h"
#include "app/frmversion.h"
#include "app/monitorcommands.h"
#include "app/viewwindows.h"
#include "commcard/frmcomm.h"
#include "commcard/frmether.h"
#include "editors/frmsetmodel.h"
#include "editors/frmsetpalsemodel.h"
#include "exchange/download.h"
#include "exchange/portsetup.h"
#include "exchange/session.h"
#include "exchange/upload.h"
#include "files/changelog.h"
#include "monitor/frmoverview.h"
#include "report/rackreport.h"
#include "report/sessionreport.h"
#include "ui/commandscope.h"
#include "ui/filedialogs.h"
#include "ui/frmloading.h"
#include "ui/lampshape.h"
#include "ui/messages.h"
#include "ui/programicon.h"
#include "ui/slotlistdelegate.h"
#include "ui/twips.h"
#include "ui/vbcolor.h"
#include "views/frmchangelog.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

template <typename W> W *named(W *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    return named(new QPushButton(text, parent), name);
}

} // namespace

frmV9Con::frmV9Con(Session &session, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_lock(session), m_connection(session, *this),
      m_files(session, {this, [this] { m_cboCardNo->setCurrentText(QStringLiteral("00")); },
                        [this] { ApplyLoadedCards(); }})
{
    setObjectName(QStringLiteral("frmV9Con"));
    setWindowTitle(QStringLiteral("V9CON"));
    // Every window of the program carries it, dialogs included.
    QApplication::setWindowIcon(ProgramIcon());

    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(buildTopBar());
    auto *body = new QHBoxLayout;
    body->setSpacing(0);
    body->addWidget(buildLeftPanel());
    m_mdi = named(new QMdiArea(central), "MDIClient");
    body->addWidget(m_mdi, 1);
    outer->addLayout(body, 1);
    setCentralWidget(central);
    buildMenus();
    // Which port COM n is, and whether the rack behind it is the simulator.
    m_lblPort = named(new QLabel(this), "lblPort");
    statusBar()->addPermanentWidget(m_lblPort);

    m_overview = new frmOverView(m_session.cards);
    m_overviewSub = m_mdi->addSubWindow(m_overview);
    m_overviewSub->setAttribute(Qt::WA_DeleteOnClose, false);
    m_overviewSub->setWindowTitle(QStringLiteral("Over View"));
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *w) {
        if (w && w == m_overviewSub)
            m_overview->Form_Activate();
    });
    m_loading = new frmLoading(this);
    m_observer = std::make_unique<WindowObserver>(
        m_session, WindowObserver::Targets{*m_overview, *m_loading, m_lblMasterType, m_lblVersionNo,
                                           m_connection, this});
    m_cards = std::make_unique<CardWindows>(
        m_session,
        CardWindows::Wiring{m_mdi, m_overview, m_cboCardNo, m_lock, *m_observer,
                            [this](QWidget *form) { ShowCardForm(form); },
                            [this](const QString &text) { statusBar()->showMessage(text); }});
    m_views = std::make_unique<ViewWindows>(m_session, this);
    m_compare = std::make_unique<CompareCommands>(m_session, this, *m_overview);
    auto trend = [this] { m_views->showTrend(m_session.state.SelectedCardNo); };
    connect(m_cards->setModel(), &frmSetModel::trendClicked, this, trend);
    connect(m_cards->setPalseModel(), &frmSetPalseModel::trendClicked, this, trend);
    m_monitor = std::make_unique<MonitorCommands>(
        m_session, MonitorCommands::Wiring{m_overview, *m_cards, m_lock, m_connection, m_cboCardNo,
                                           m_cmdStart, m_cmdStop});
    // A dead link shows as soon as no operation runs: an adapter pulled while
    // idle at once, one that died under an operation when it has ended.
    // During an exchange the running operation meets the failure itself.
    connect(&m_session.line, &SerialLine::portLost, this,
            [this](const QString &reason) { m_connection.noticeLostLink(reason); });
    connect(&m_session.gate, &OperationGate::busyChanged, this, [this](bool busy) {
        if (!busy)
            m_connection.noticeLostLink();
    });
    // A write the change log missed is told once, after its operation.
    connect(&m_session.gate, &OperationGate::busyChanged, this, [this](bool busy) {
        if (const QString m =
                m_session.changeLog && !busy ? m_session.changeLog->takeFailure() : QString();
            !m.isEmpty())
            Messages::show(this, Messages::Icon::Exclamation, QStringLiteral("Change Log"), m);
    });
    // Every command follows the program's state, recomputed when it changes;
    // so does whatever describes the table, which an operation may have
    // changed.
    connect(&m_session.gate, &OperationGate::busyChanged, this, [this](bool busy) {
        m_lock.refresh();
        if (!busy)
            tableMayHaveChanged();
    });

    startUp();
}

frmV9Con::~frmV9Con() = default;

QWidget *frmV9Con::buildTopBar()
{
    auto *bar = named(new QWidget(this), "Picture1");
    bar->setFixedHeight(twips(855));
    auto *h = new QHBoxLayout(bar);
    h->setContentsMargins(4, 0, 4, 2);

    auto *fraSign = named(new QGroupBox(bar), "fraSign");
    auto *sign = new QHBoxLayout(fraSign);
    m_lblComPortNo = named(new QLabel(fraSign), "lblComPortNo");
    m_lblComPortNo->setMinimumWidth(40);
    m_shpLamp = named(new LampShape(fraSign), "shpLamp");
    m_lblConStatus = named(new QLabel(fraSign), "lblConStatus");
    m_lblConStatus->setMinimumWidth(80);
    sign->addWidget(m_lblComPortNo);
    sign->addWidget(m_shpLamp);
    sign->addWidget(m_lblConStatus);

    auto *fraUnit = named(new QGroupBox(bar), "fraUnit");
    auto *unit = new QHBoxLayout(fraUnit);
    unit->addWidget(named(new QLabel(QStringLiteral("Card No."), fraUnit), "Label2"));
    m_cboCardNo = named(new QComboBox(fraUnit), "cboCardNo");
    m_cboCardNo->setToolTip(QStringLiteral("Module select"));
    for (int n = 0; n <= kCardCount; ++n)
        m_cboCardNo->addItem(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
    m_cboCardNo->setItemDelegate(new SlotListDelegate(m_cboCardNo));
    m_cmdOverView = button(fraUnit, "cmdOverView", QStringLiteral("OverView"));
    unit->addWidget(m_cboCardNo);
    unit->addWidget(m_cmdOverView);

    m_fraCmd = named(new QGroupBox(bar), "fraCmd");
    auto *cmd = new QHBoxLayout(m_fraCmd);
    m_cmdEther = button(m_fraCmd, "cmdEther", QStringLiteral("Ethernet Setting"));
    cmd->addWidget(m_cmdEther);

    h->addWidget(fraSign);
    h->addWidget(fraUnit);
    h->addWidget(m_fraCmd);
    h->addStretch();

    connect(m_cboCardNo, &QComboBox::currentIndexChanged, this, &frmV9Con::cboCardNo_Click);
    // A switch stores the editor's boxes into the table; without a live read
    // (no link) no operation ends to show it.
    connect(m_cboCardNo, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_session.gate.busy())
            tableMayHaveChanged();
    });
    connect(m_cmdEther, &QPushButton::clicked, this, &frmV9Con::cmdEther_Click);
    connect(m_cmdOverView, &QPushButton::clicked, this, &frmV9Con::cmdOverView_Click);
    return bar;
}

QWidget *frmV9Con::buildLeftPanel()
{
    auto *panel = named(new QWidget(this), "Picture2");
    panel->setFixedWidth(twips(2160));
    auto *v = new QVBoxLayout(panel);
    v->setContentsMargins(4, 4, 4, 4);

    // A frame holding two command buttons, one above the other.
    auto pairFrame = [panel](const char *name, const QString &title, QPushButton *&first,
                             const char *firstName, const QString &firstText, QPushButton *&second,
                             const char *secondName, const QString &secondText) {
        auto *frame = named(new QGroupBox(title, panel), name);
        auto *layout = new QVBoxLayout(frame);
        first = button(frame, firstName, firstText);
        second = button(frame, secondName, secondText);
        layout->addWidget(first);
        layout->addWidget(second);
        return frame;
    };
    QGroupBox *frame1 = pairFrame("Frame1", QStringLiteral("All I/O Cards"), m_cmdUpload,
                                  "cmdUpload", QStringLiteral("Upload"), m_cmdDownload,
                                  "cmdDownload", QStringLiteral("Download"));
    QGroupBox *frame2 =
        pairFrame("Frame2", QStringLiteral("Monitoring"), m_cmdStart, "cmdStart",
                  QStringLiteral("Start"), m_cmdStop, "cmdStop", QStringLiteral("Stop"));

    auto *frame3 = named(new QGroupBox(QStringLiteral("Com.Card"), panel), "Frame3");
    auto *f3 = new QVBoxLayout(frame3);
    m_lblMasterType = named(new QLabel(frame3), "lblMasterType");
    m_lblVersionNo = named(new QLabel(frame3), "lblVersionNo");
    m_cmdComSet = button(frame3, "cmdComSet", QStringLiteral("Setting"));
    f3->addWidget(m_lblMasterType);
    f3->addWidget(m_lblVersionNo);
    f3->addWidget(m_cmdComSet);

    v->addWidget(frame1);
    v->addWidget(frame2);
    v->addWidget(frame3);
    v->addStretch();

    connect(m_cmdUpload, &QPushButton::clicked, this, &frmV9Con::cmdUpload_Click);
    connect(m_cmdDownload, &QPushButton::clicked, this, &frmV9Con::cmdDownload_Click);
    connect(m_cmdStart, &QPushButton::clicked, this, &frmV9Con::cmdStart_Click);
    connect(m_cmdComSet, &QPushButton::clicked, this, &frmV9Con::cmdComSet_Click);
    connect(m_cmdStop, &QPushButton::clicked, this, &frmV9Con::cmdStop_Click);
    return panel;
}

void frmV9Con::buildMenus()
{
    auto action = [](QMenu *menu, const char *name, const QString &text) {
        QAction *a = menu->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    QMenu *files = named(menuBar()->addMenu(QStringLiteral("&File")), "mnuFiles");
    m_mnuFilesOpen = action(files, "mnuFilesOpen", QStringLiteral("&Open"));
    m_mnuFilesSave = action(files, "mnuFilesSave", QStringLiteral("&Save"));
    m_mnuFilesOpen->setShortcut(QKeySequence::Open);
    m_mnuFilesSave->setShortcut(QKeySequence::Save);
    connect(m_mnuFilesOpen, &QAction::triggered, this, &frmV9Con::mnuFilesOpen_Click);
    connect(m_mnuFilesSave, &QAction::triggered, this, &frmV9Con::mnuFilesSave_Click);
    QAction *compare = action(files, "mnuFilesCompare", QStringLiteral("&Compare with File..."));
    connect(compare, &QAction::triggered, this, &frmV9Con::mnuFilesCompare_Click);
    QAction *report = action(files, "mnuFilesReport", QStringLiteral("&Report..."));
    connect(report, &QAction::triggered, this, &frmV9Con::mnuFilesReport_Click);
    QAction *restore = action(files, "mnuFilesRestore", QStringLiteral("R&estore..."));
    connect(restore, &QAction::triggered, this, &frmV9Con::mnuFilesRestore_Click);
    QMenu *recent = named(files->addMenu(QStringLiteral("&Recent Files")), "mnuFilesRecent");
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecentMenu(recent); });
    files->addSeparator();
    QAction *exit = action(files, "mnuFilesEnd", QStringLiteral("E&xit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &frmV9Con::mnuFilesEnd_Click);

    m_mnuConnect = named(menuBar()->addMenu(QStringLiteral("&Connect")), "mnuConnect");
    m_mnuConnectConnect = action(m_mnuConnect, "mnuConnectConnect", QStringLiteral("&Connect"));
    m_mnuConnectDisconnect =
        action(m_mnuConnect, "mnuConnectDisconnect", QStringLiteral("&Disconnect"));
    connect(m_mnuConnectConnect, &QAction::triggered, this, &frmV9Con::mnuConnectConnect_Click);
    connect(m_mnuConnectDisconnect, &QAction::triggered, this,
            &frmV9Con::mnuConnectDisconnect_Click);

    QMenu *view = named(menuBar()->addMenu(QStringLiteral("&View")), "mnuView");
    QAction *traffic = action(view, "mnuViewTraffic", QStringLiteral("&Traffic"));
    connect(traffic, &QAction::triggered, this, [this] { m_views->showTraffic(); });
    QMenu *trend = named(view->addMenu(QStringLiteral("T&rend")), "mnuViewTrend");
    connect(trend, &QMenu::aboutToShow, this, [this, trend] { m_views->fillTrendMenu(trend); });
    QAction *changeLog = action(view, "mnuViewChangeLog", QStringLiteral("&Change Log"));
    connect(changeLog, &QAction::triggered, this, [this] {
        auto *w = findChild<frmChangeLog *>();
        if (!w)
            w = new frmChangeLog(
                [this] { return m_session.changeLog ? m_session.changeLog->path() : QString(); },
                this);
        else
            w->reload();
        w->show();
        w->raise();
    });

    QMenu *help = named(menuBar()->addMenu(QStringLiteral("&Help")), "mnuHelp");
    QAction *version = action(help, "mnuHelpVersion", QStringLiteral("&Version"));
    connect(version, &QAction::triggered, this, &frmV9Con::mnuHelpVersion_Click);

    // The menus are built last: every command the lock switches exists now.
    m_lock.attach({.cmdDownload = m_cmdDownload,
                   .cmdUpload = m_cmdUpload,
                   .cmdStart = m_cmdStart,
                   .cmdStop = m_cmdStop,
                   .cmdOverView = m_cmdOverView,
                   .cmdEther = m_cmdEther,
                   .cboCardNo = m_cboCardNo,
                   .cmdComSet = m_cmdComSet,
                   .mnuConnect = m_mnuConnect,
                   .mnuConnectConnect = m_mnuConnectConnect,
                   .mnuConnectDisconnect = m_mnuConnectDisconnect,
                   .mnuFilesOpen = m_mnuFilesOpen,
                   .mnuFilesSave = m_mnuFilesSave,
                   .mnuFilesReport = report,
                   .mnuFilesCompare = compare,
                   .mnuFilesRestore = restore});
}

void frmV9Con::startUp()
{
    // Relative file names resolve in the program's own folder.
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    resize(twips(12000), twips(8600));
    // Where the operator left the window last time, when that is known.
    restoreGeometry(QSettings().value(QStringLiteral("window/geometry")).toByteArray());

    GlobalState &st = m_session.state;
    InitTables(st);
    m_cboCardNo->setCurrentIndex(0);
    m_fraCmd->hide();
    showLinkState(false, QString());
    m_lock.idleAtStartUp();
    const int lastPort = QSettings().value(QStringLiteral("port/last"), 1).toInt();
    if (lastPort >= 1 && lastPort <= 8)
        st.ComPortNo = lastPort;
    showPort();

    ShowCardForm(m_overview);
    st.Initialising = false;
}

void frmV9Con::ShowCardForm(QWidget *form)
{
    auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget());
    QWidget *placed = sub ? static_cast<QWidget *>(sub) : form;
    // A window the operator minimised comes back whole, not as an empty frame.
    placed->showNormal();
    // The close box closes the form inside the frame too, and showing the
    // frame again does not show it: an empty frame until the program ends.
    form->show();
    placed->setGeometry(0, 0, twips(9650), twips(7400));
    if (sub)
        m_mdi->setActiveSubWindow(sub);
    // Digits typed into the selector must not land in the window it opens.
    if (m_selectorTyping)
        m_cboCardNo->setFocus();
}

void frmV9Con::ResetCardTable()
{
    ::ResetCardTable(m_session.cards, [this](int i) { m_overview->ClearOverviewRow(i); });
    m_session.table.changed();
    m_compare->dropIfOutOfDate();
}

void frmV9Con::showLinkState(bool connected, const QString &portText)
{
    m_shpLamp->setFillColor(connected ? VbColor::LampGreen : VbColor::Navy);
    m_lblComPortNo->setText(portText);
    m_lblConStatus->setText(connected ? QStringLiteral("Connected")
                                      : QStringLiteral("Disconnected"));
    m_lock.linkChanged(connected);
}

void frmV9Con::showCommCard(const QString &model)
{
    m_lblMasterType->setText(model);
    m_lblVersionNo->clear();
}

void frmV9Con::setEthernetCommandsVisible(bool visible)
{
    m_fraCmd->setVisible(visible);
}

void frmV9Con::refreshCommands()
{
    m_lock.refresh();
}

void frmV9Con::mnuConnectConnect_Click()
{
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Connect"));
    if (!ticket)
        return;
    m_lock.setDialogOpen(true);
    frmComPort dialog(m_session.state.ComPortNo, *m_session.ports, this);
    const bool chosen = dialog.exec() == QDialog::Accepted && !m_session.quitting;
    m_lock.setDialogOpen(false);
    if (!chosen)
        return;
    m_session.state.ComPortNo = dialog.comPortNo();
    showPort();
    // A silent rack takes four time-outs to give up: say what is going on.
    statusBar()->showMessage(QStringLiteral("Connecting to %1...").arg(m_lblPort->text()));
    m_connection.openAndConnect();
    if (m_session.quitting)
        return;
    statusBar()->clearMessage();
    // The next start offers the port that answered, and the dialog the
    // network port, if it was one.
    if (m_session.state.IsConnected) {
        QSettings().setValue(QStringLiteral("port/last"), m_session.state.ComPortNo);
        const QString device = m_session.ports->describe(m_session.state.ComPortNo);
        if (device.contains(QLatin1String("://")) && !m_session.ports->simulated())
            frmComPort::rememberNetworkPort(device);
    }
}

void frmV9Con::fillRecentMenu(QMenu *menu)
{
    menu->clear();
    const QStringList recent = FileDialogs::recentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent.at(i);
        QAction *a = menu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        a->setEnabled(!m_session.gate.busy());
        connect(a, &QAction::triggered, this, [this, path] { m_files.openFile(path); });
    }
    if (recent.isEmpty())
        menu->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

void frmV9Con::showPort()
{
    m_lblPort->setText(PortText(*m_session.ports, m_session.state.ComPortNo));
}

void frmV9Con::mnuConnectDisconnect_Click()
{
    m_connection.DisconnectComCard();
}

void frmV9Con::mnuHelpVersion_Click()
{
    frmVersion dialog(this);
    dialog.exec();
}

void frmV9Con::mnuFilesCompare_Click()
{
    m_compare->mnuFilesCompare_Click();
}

void frmV9Con::mnuFilesReport_Click()
{
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Report"));
    if (!ticket || m_session.table.origin() == TableOrigin::None)
        return;
    const QString path = FileDialogs::choose(this, FileDialogs::Mode::Report);
    if (path.isEmpty())
        return;
    ReportHeader header = SessionReportHeader(m_session);
    // Only a comparison of the table as it stands belongs in its report.
    std::optional<QList<Difference>> differences;
    if (const auto compared = m_compare->current()) {
        header.comparedFile = compared->file;
        differences = compared->differences;
    }
    if (const Status saved = RackReport(m_session.cards, header, differences).save(path); !saved)
        Messages::show(this, Messages::Icon::Critical, QStringLiteral("Report"), saved.reason());
}

void frmV9Con::mnuFilesEnd_Click()
{
    close();
}

void frmV9Con::closeEvent(QCloseEvent *event)
{
    shutDown();
    event->accept();
}

void frmV9Con::shutDown()
{
    if (m_session.quitting)
        return;
    // An operation waiting for the rack sees the closed port and ends quietly.
    m_session.quitting = true;
    QSettings().setValue(QStringLiteral("window/geometry"), saveGeometry());
    m_session.line.close();
    m_overviewSub->hide();
    m_loading->hide();
    QCoreApplication::exit(0);
}

void frmV9Con::cmdUpload_Click()
{
    // Asked before the table goes: the edits in an open editor would go with it.
    if (m_session.gate.busy() || !m_cards->mayReplaceEdits())
        return;
    const CommandScope scope(m_session.gate, m_lock, QStringLiteral("Upload"));
    if (!scope)
        return;
    m_cboCardNo->setCurrentText(QStringLiteral("00"));
    ResetCardTable();
    // Where the table came from and whether it is whole is the upload's to say.
    if (UploadAllCards(m_session, *m_observer) == OperationResult::Completed)
        showChangesSinceBackup();
}

void frmV9Con::showChangesSinceBackup()
{
    const QList<RestoreRow> rows = RestoreRows(m_session);
    if (rows.isEmpty() || rows.first().differences <= 0)
        return;
    const RestoreRow &newest = rows.first();
    statusBar()->showMessage(
        QStringLiteral("%1 parameter%2 changed since the backup of %3")
            .arg(newest.differences)
            .arg(newest.differences == 1 ? QString() : QStringLiteral("s"),
                 newest.file.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    m_compare->compareWith(newest.file.path);
}

void frmV9Con::mnuFilesRestore_Click()
{
    if (m_session.gate.busy() || !m_session.state.IsConnected)
        return;
    const QString path = frmRestore::choose(this, RestoreRows(m_session));
    // Opened as File > Open opens it: a file's table, each card's model
    // checked as it is written.
    if (path.isEmpty() || !m_files.openFile(path))
        return;
    cmdDownload_Click();
}

void frmV9Con::cmdDownload_Click()
{
    const CommandScope scope(m_session.gate, m_lock, QStringLiteral("Download"));
    if (!scope)
        return;
    m_cboCardNo->setCurrentText(QStringLiteral("00"));
    const DownloadOutcome outcome = DownloadAllCards(m_session, *m_observer);
    if (outcome.result == OperationResult::Completed)
        statusBar()->showMessage(DownloadSummary(m_session.cards, outcome));
}

void frmV9Con::cmdStart_Click()
{
    m_monitor->cmdStart_Click();
}

void frmV9Con::cmdStop_Click()
{
    m_monitor->cmdStop_Click();
}

template <typename Dialog> void frmV9Con::runSettings()
{
    // The dialog's own reads and writes each run as an operation; a modal
    // dialog keeps the main window's commands out of reach meanwhile.
    if (m_session.gate.busy())
        return;
    m_lock.setDialogOpen(true);
    Dialog dialog(
        m_session, m_lock, [this] { m_connection.DisconnectComCard(); }, this);
    connect(&dialog, &CommCardDialog::downloaded, statusBar(),
            [this](const QString &summary) { statusBar()->showMessage(summary); });
    dialog.exec();
    m_lock.setDialogOpen(false);
}

void frmV9Con::cmdEther_Click()
{
    runSettings<frmEther>();
}

void frmV9Con::cmdComSet_Click()
{
    runSettings<frmComm>();
}

void frmV9Con::tableMayHaveChanged()
{
    // A comparison describes the table it was made of, nothing later.
    m_compare->dropIfOutOfDate();
    const QString &file = m_session.table.file();
    setWindowTitle(file.isEmpty() ? QStringLiteral("V9CON")
                                  : QStringLiteral("V9CON - %1").arg(QFileInfo(file).fileName()));
    showSlotModels();
}

void frmV9Con::ApplyLoadedCards()
{
    for (int i = 1; i <= kCardCount; ++i) {
        m_overview->ClearOverviewRow(i);
        m_overview->ShowCardIdentity(i);
        if (m_session.cards[i].holdsCard())
            m_overview->ShowCardDetails(i);
    }
    // The loaded set can go to the rack at once when one is connected.
    m_lock.tableOpened();
    tableMayHaveChanged();
}

void frmV9Con::cmdOverView_Click()
{
    m_cboCardNo->setCurrentText(QStringLiteral("00"));
}

void frmV9Con::cboCardNo_Click()
{
    const int asked = m_cboCardNo->currentText().toInt();
    m_selectorTyping = m_cboCardNo->hasFocus();
    m_cards->cboCardNo_Click();
    // The sub-window's activation may come from the events of the live read.
    if (std::exchange(m_selectorTyping, false))
        m_cboCardNo->setFocus();
    if (asked != 0 && m_session.state.SelectedCardNo == 0 && !m_session.state.Initialising)
        statusBar()->showMessage(
            QStringLiteral("Slot %1 holds no card.").arg(asked, 2, 10, QLatin1Char('0')), 5000);
}

void frmV9Con::showSlotModels()
{
    for (int i = 1; i <= kCardCount; ++i) {
        const CardRecord &r = m_session.cards[i];
        m_cboCardNo->setItemData(i, r.holdsCard() ? r.ModelName : QString(),
                                 SlotListDelegate::ModelRole);
    }
    // The open list is as wide as its longest "05  XA1-00", not as the box.
    QAbstractItemView *list = m_cboCardNo->view();
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}
