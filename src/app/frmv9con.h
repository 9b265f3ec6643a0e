#pragma once

#include "app/comconnection.h"
#include "app/filecommands.h"
#include "app/linkdisplay.h"
#include "app/windowobserver.h"
#include "ui/commandlock.h"

#include <memory>

#include <QMainWindow>

struct Session;
class frmLoading;
class frmOverView;
class CardWindows;
class CompareCommands;
class MonitorCommands;
class ViewWindows;
class LampShape;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;

// The main window: link state, card selector, every command, and the MDI
// area in which the card windows open.
class frmV9Con final : public QMainWindow, public LinkDisplay
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmV9Con)
public:
    // Builds the window and runs the start-up (MDIForm_Load).
    explicit frmV9Con(Session &session, QWidget *parent = nullptr);
    ~frmV9Con() override;

    frmOverView *overview() const { return m_overview; }
    frmLoading *loading() const { return m_loading; }
    CardWindows &cardWindows() { return *m_cards; }
    MonitorCommands &monitorCommands() { return *m_monitor; }
    ViewWindows &viewWindows() { return *m_views; }
    CompareCommands &compareCommands() { return *m_compare; }
    ComConnection &connection() { return m_connection; }
    CommandLock &commandLock() { return m_lock; }

    // Places a card window at the top left of the client area and shows it.
    void ShowCardForm(QWidget *form);
    void ResetCardTable();
    // Refreshes every overview row from a table that was just loaded.
    void ApplyLoadedCards();
    // The title, the comparison and the selector's list follow the table.
    void tableMayHaveChanged();

    void mnuConnectConnect_Click();
    void mnuConnectDisconnect_Click();
    void mnuHelpVersion_Click();
    void mnuFilesEnd_Click();
    void mnuFilesOpen_Click() { m_files.mnuFilesOpen_Click(); }
    void mnuFilesSave_Click() { m_files.mnuFilesSave_Click(); }
    void mnuFilesCompare_Click();
    // A report of the table as it stands, PDF or HTML.
    void mnuFilesReport_Click();
    // File > Restore...: a backup of the connected rack opened and downloaded.
    void mnuFilesRestore_Click();
    void cmdUpload_Click();
    void cmdDownload_Click();
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdEther_Click();
    void cmdComSet_Click();
    void cmdOverView_Click();
    void cboCardNo_Click();

    // LinkDisplay
    void showLinkState(bool connected, const QString &portText) override;
    void showCommCard(const QString &model) override;
    void setEthernetCommandsVisible(bool visible) override;
    void refreshCommands() override;
    QWidget *messageParent() override { return this; }

protected:
    void closeEvent(QCloseEvent *event) override; // MDIForm_Unload

private:
    QWidget *buildTopBar();
    QWidget *buildLeftPanel();
    void buildMenus();
    void startUp();
    // The status bar's port: "COM1 (/dev/ttyUSB0)", or the simulated rack.
    void showPort();
    void fillRecentMenu(QMenu *menu);
    // The card selector's list names each slot's model.
    void showSlotModels();
    // After an Upload: the parameters changed since the newest backup of the
    // rack, on the status bar and in the comparison.
    void showChangesSinceBackup();
    void shutDown();
    // Runs a settings window of the communication card modally, with the
    // Connect menu off meanwhile.
    template <typename Dialog> void runSettings();

    Session &m_session;
    CommandLock m_lock;
    ComConnection m_connection;
    FileCommands m_files;

    QMdiArea *m_mdi = nullptr;
    frmOverView *m_overview = nullptr;
    QMdiSubWindow *m_overviewSub = nullptr;
    frmLoading *m_loading = nullptr;
    std::unique_ptr<WindowObserver> m_observer;
    std::unique_ptr<CardWindows> m_cards;
    std::unique_ptr<MonitorCommands> m_monitor;
    std::unique_ptr<ViewWindows> m_views;
    std::unique_ptr<CompareCommands> m_compare;

    QLabel *m_lblComPortNo = nullptr;
    LampShape *m_shpLamp = nullptr;
    QLabel *m_lblConStatus = nullptr;
    QComboBox *m_cboCardNo = nullptr;
    QPushButton *m_cmdOverView = nullptr;
    QGroupBox *m_fraCmd = nullptr;
    QPushButton *m_cmdEther = nullptr;
    QPushButton *m_cmdUpload = nullptr;
    QPushButton *m_cmdDownload = nullptr;
    QPushButton *m_cmdStart = nullptr;
    QPushButton *m_cmdStop = nullptr;
    QLabel *m_lblMasterType = nullptr;
    QLabel *m_lblVersionNo = nullptr;
    QPushButton *m_cmdComSet = nullptr;
    QLabel *m_lblPort = nullptr;
    bool m_selectorTyping = false; // a card is being chosen from the keyboard

    QMenu *m_mnuConnect = nullptr;
    QAction *m_mnuConnectConnect = nullptr;
    QAction *m_mnuConnectDisconnect = nullptr;
    QAction *m_mnuFilesOpen = nullptr;
    QAction *m_mnuFilesSave = nullptr;
};
