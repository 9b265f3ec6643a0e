#pragma once

#include <QPointer>

struct Session;
class frmTraffic;
class QMenu;
class QWidget;

// The windows that look on without sending anything: the traffic of the
// line and the trends of monitored values. Each is a window of its own
// beside the main window.
class ViewWindows
{
public:
    ViewWindows(Session &session, QWidget *mainWindow) : m_session(session), m_main(mainWindow) {}

    // One traffic window; a second call brings it forward.
    void showTraffic();
    // A trend of card 1..16's channels; cards without channels have none.
    void showTrend(int cardNo);
    // Fills the View menu's Trend submenu with the cards that have values.
    void fillTrendMenu(QMenu *menu);

private:
    Session &m_session;
    QWidget *m_main;
    QPointer<frmTraffic> m_traffic;
};
