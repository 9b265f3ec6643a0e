#pragma once

#include <QString>

struct Session;
class LinkDisplay;

// Connecting to and disconnecting from the rack's communication card.
class ComConnection
{
public:
    ComConnection(Session &session, LinkDisplay &display) : m_session(session), m_display(display)
    {
    }

    // Connects through the core's ConnectComCard and shows the outcome; on
    // any failure reports it and leaves the link disconnected.
    void openAndConnect();
    void DisconnectComCard();
    // A port that is no longer open while connected and idle: the
    // disconnected state, then the communication error, once.
    void noticeLostLink(const QString &reason = {});
    // The communication error; a reason, when known, follows on a second line.
    void ShowCommError(const QString &reason = {});

private:
    Session &m_session;
    LinkDisplay &m_display;
};
