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
    OperationGate::Ticket ticket = m_s.gate.begin(QStringLiteral("Monitoring"));
    if (!ticket)
        return;
    GlobalState &st = m_s.state;
    st.IsMonitoring = true;
    m_p.lock.DisableCommands();
    m_cycleRunning = true;
    const MonitorEnd end =
        m_p.cboCardNo->currentText() == QLatin1String("00")
            ? MonitorAllCards(m_s, *this)
            : MonitorSelectedCard(m_s, st.SelectedCardNo, [this](const CardLiveRead &read) {
                  m_p.cards.showLiveRead(read);
              });
    m_cycleRunning = false;
    ticket.release();
    if (end == MonitorEnd::Quitting)
        return;
    if (end == MonitorEnd::LinkLost) {
        st.IsMonitoring = false;
        // A closed port was reported when the gate opened; a rack that went
        // silent on an open line is reported here.
        if (st.IsConnected) {
            m_p.connection.DisconnectComCard();
            m_p.connection.ShowCommError();
        }
    }
    // A card with nothing to read leaves monitoring on until Stop.
    m_p.lock.EnableCommands();
}

void MonitorCommands::cmdStop_Click()
{
    m_s.state.IsMonitoring = false;
    // The other commands come back when the cycle has returned the gate.
    m_p.lock.refresh();
}

void MonitorCommands::analogValue(int cardNo, int channel, const QString &text)
{
    QLabel *label = channel == 1 ? m_p.overview->lblInputDataCh1(cardNo)
                                 : m_p.overview->lblInputDataCh2(cardNo);
    label->setText(text);
}

void MonitorCommands::discreteBits(int cardNo, int channels, const QString &bits, bool answered)
{
    if (!answered)
        m_p.overview->lblInputDataCh1(cardNo)->setText(QStringLiteral("ERROR"));
    m_p.overview->ShowDiscreteBits(cardNo, channels, bits);
}
