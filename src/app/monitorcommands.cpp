#include "app/monitorcommands.h"

#include "app/cardwindows.h"
#include "app/comconnection.h"
#include "exchange/cardtransfer.h"
#include "exchange/session.h"
#include "monitor/frmoverview.h"
#include "ui/commandlock.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

void MonitorCommands::cmdStart_Click()
{
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Monitoring"));
    if (!ticket)
        return;
    GlobalState &st = m_session.state;
    st.IsMonitoring = true;
    m_wiring.lock.DisableCommands();
    m_cycleRunning = true;
    const MonitorEnd end =
        m_wiring.cboCardNo->currentText() == QLatin1String("00")
            ? MonitorAllCards(m_session, *this)
            : MonitorSelectedCard(m_session, st.SelectedCardNo, [this](const CardLiveRead &read) {
                  m_wiring.cards.showLiveRead(read);
              });
    m_cycleRunning = false;
    // Over before the gate opens: a lost link is told as soon as it does,
    // and Stop must not stay lit under that message.
    if (end == MonitorEnd::LinkLost)
        st.IsMonitoring = false;
    ticket.release();
    if (end == MonitorEnd::Quitting)
        return;
    if (end == MonitorEnd::LinkLost) {
        st.IsMonitoring = false;
        // A closed port was reported when the gate opened; a rack that went
        // silent on an open line is reported here.
        if (st.IsConnected) {
            m_wiring.connection.DisconnectComCard();
            m_wiring.connection.ShowCommError();
        }
    }
    // A card with nothing to read leaves monitoring on until Stop.
    m_wiring.lock.EnableCommands();
}

void MonitorCommands::cmdStop_Click()
{
    StopMonitoring(m_session);
    // The other commands come back when the cycle has returned the gate.
    m_wiring.lock.refresh();
}

void MonitorCommands::analogValue(int cardNo, int channel, const QString &text)
{
    m_wiring.overview->showInputData(cardNo, channel, text);
}

void MonitorCommands::discreteBits(int cardNo, int channels, const QString &bits, bool answered)
{
    if (!answered)
        m_wiring.overview->showDiscreteError(cardNo);
    else
        m_wiring.overview->ShowDiscreteBits(cardNo, channels, bits);
}
