#include "app/comconnection.h"

#include "app/linkdisplay.h"
#include "ui/messages.h"
#include "exchange/session.h"
#include "link/transactions.h"

void ComConnection::openAndConnect()
{
    // Another exchange is waiting: a new port now would pull its line away.
    if (m_session.line.isExchanging())
        return;
    const QString error = openPort();
    if (!error.isEmpty()) {
        ShowCommError(error);
        DisconnectComCard();
        return;
    }
    if (!ConnectComCard())
        DisconnectComCard();
}

QString ComConnection::openPort()
{
    GlobalState &st = m_session.state;
    if (!m_session.line.attachPort(m_session.ports->create(st.ComPortNo)))
        return QStringLiteral("The line is busy.");
    return m_session.line.port()->open(st.CommBaudRate + QStringLiteral(",n,8,1"));
}

bool ComConnection::ConnectComCard()
{
    SerialLine &line = m_session.line;
    if (ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("40")).isEmpty()) {
        if (!m_session.quitting && !line.lastRefused())
            ShowCommError();
        return false;
    }
    m_display.showLinkState(true, QStringLiteral("COM%1").arg(m_session.state.ComPortNo));
    m_session.state.IsConnected = true;
    const QString model = ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("04"));
    // A card that does not name itself may still be connected; a port that
    // died meanwhile may not.
    if (!line.isOpen()) {
        if (!m_session.quitting)
            ShowCommError();
        return false;
    }
    m_display.setEthernetCommandsVisible(model.left(6) == QLatin1String("V9-XS1"));
    m_display.refreshCommands();
    return true;
}

void ComConnection::DisconnectComCard()
{
    m_session.line.close();
    m_display.showLinkState(false, QString());
    m_session.state.IsConnected = false;
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
    QString text = QStringLiteral(
        "Communication error. Check the signal conditioner, cable and/or COM port setting.");
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    Messages::show(m_display.messageParent(), Messages::Icon::Exclamation,
                   QStringLiteral("Test of communication"), text);
}
