#include "app/comconnection.h"

#include "app/linkdisplay.h"
#include "exchange/connect.h"
#include "exchange/portsetup.h"
#include "exchange/session.h"
#include "monitor/frmoverview.h"
#include "ui/messages.h"

void ComConnection::openAndConnect()
{
    const ConnectOutcome outcome = ConnectComCard(m_session, [this] {
        m_display.showLinkState(true, QStringLiteral("COM%1").arg(m_session.state.ComPortNo));
    });
    switch (outcome.result) {
    case ConnectOutcome::Result::Refused:
        return;
    case ConnectOutcome::Result::Connected:
        m_display.showCommCard(m_session.commCardModel);
        m_display.setEthernetCommandsVisible(outcome.ethernet);
        m_display.refreshCommands();
        return;
    case ConnectOutcome::Result::PortError:
        ShowCommError(outcome.portError);
        break;
    case ConnectOutcome::Result::NoAnswer:
    case ConnectOutcome::Result::LinkLost:
        if (!m_session.quitting)
            ShowCommError();
        break;
    }
    DisconnectComCard();
}

void ComConnection::DisconnectComCard()
{
    m_session.line.close();
    m_display.showLinkState(false, QString());
    m_session.state.IsConnected = false;
    // What the overview shows was read over the link just given up.
    if (QWidget *top = m_display.messageParent())
        if (auto *overview = top->findChild<frmOverView *>())
            overview->showValuesStale();
    m_display.refreshCommands();
}

void ComConnection::noticeLostLink(const QString &reason)
{
    if (!m_session.state.IsConnected || m_session.gate.busy() || m_session.quitting ||
        m_session.line.isOpen())
        return;
    DisconnectComCard();
    ShowCommError(reason);
}

void ComConnection::ShowCommError(const QString &reason)
{
    // Where it failed goes under the message: the port and its device, and
    // the system's reason when there is one.
    QString where = PortText(*m_session.ports, m_session.state.ComPortNo);
    if (!reason.isEmpty())
        where += QLatin1Char('\n') + reason;
    Messages::show(
        m_display.messageParent(), Messages::Icon::Exclamation,
        QStringLiteral("Test of communication"),
        QStringLiteral(
            "Communication error. Check the signal conditioner, cable and/or COM port setting."),
        where);
}
