#pragma once

#include "exchange/monitoring.h"

struct Session;
class CardWindows;
class ComConnection;
class CommandLock;
class frmOverView;
class QComboBox;
class QPushButton;

// "Start" and "Stop" of the main window: the monitoring cycle on the
// overview or on the card shown, and the command states around it.
class MonitorCommands final : public MonitorObserver
{
public:
    struct Wiring
    {
        frmOverView *overview;
        CardWindows &cards;
        CommandLock &lock;
        ComConnection &connection;
        QComboBox *cboCardNo;
        QPushButton *cmdStart;
        QPushButton *cmdStop;
    };
    MonitorCommands(Session &session, const Wiring &wiring) : m_session(session), m_wiring(wiring)
    {
    }

    void cmdStart_Click();
    // Ends the cycle; the commands come back once it has returned.
    void cmdStop_Click();
    bool cycleRunning() const { return m_cycleRunning; }

    // MonitorObserver
    void analogValue(int cardNo, int channel, const QString &text) override;
    void discreteBits(int cardNo, int channels, const QString &bits, bool answered) override;

private:
    Session &m_session;
    Wiring m_wiring;
    bool m_cycleRunning = false;
};
