#pragma once

#include <QHash>
#include <QPoint>
#include <QPointer>

struct Session;
class frmTraffic;
class frmTrend;
class QMenu;
class QRect;
class QSize;
class QWidget;

// Where a window of `size` (frame included) goes beside the main window's
// frame `main` on a screen whose free area is `screen`: to its right when
// there is room, else to its left, else where it overlaps least while on
// the screen. Top edges level, kept on the screen.
QPoint PlaceBeside(const QRect &main, const QSize &size, const QRect &screen);

// The windows that look on without sending anything: the traffic of the
// line and the trends of monitored values. Each is a window of its own
// beside the main window.
class ViewWindows
{
public:
    ViewWindows(Session &session, QWidget *mainWindow) : m_session(session), m_main(mainWindow) {}

    // One traffic window; a second call brings it forward.
    void showTraffic();
    // One trend per card 1..16 with channels; a second call brings it
    // forward. Cards without channels have none.
    void showTrend(int cardNo);
    // Fills the View menu's Trend submenu with the cards that have values.
    void fillTrendMenu(QMenu *menu);

    frmTraffic *traffic() const;
    frmTrend *trend(int cardNo) const;

private:
    // Puts a new window where the operator last left one of this `key`, or
    // else beside the main window.
    void place(QWidget *w, const QString &key);

    Session &m_session;
    QWidget *m_main;
    QPointer<frmTraffic> m_traffic;
    QHash<int, QPointer<frmTrend>> m_trends;
    // Where the operator left closed windows, by key.
    QHash<QString, QPoint> m_left;
};
