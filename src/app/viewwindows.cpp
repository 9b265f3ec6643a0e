#include "app/viewwindows.h"

#include "exchange/session.h"
#include "views/frmtraffic.h"
#include "views/frmtrend.h"

#include <QMenu>

namespace {

void bringForward(QWidget *w)
{
    w->show();
    w->raise();
    w->activateWindow();
}

bool hasValues(const CardRecord &r)
{
    return r.form() == FormType::Analog || r.form() == FormType::Pulse;
}

} // namespace

void ViewWindows::showTraffic()
{
    if (!m_traffic) {
        m_traffic = new frmTraffic(m_session.traffic, m_main);
        m_traffic->setAttribute(Qt::WA_DeleteOnClose);
    }
    bringForward(m_traffic);
}

void ViewWindows::showTrend(int cardNo)
{
    if (cardNo < 1 || cardNo > kCardCount || !hasValues(m_session.cards[cardNo]))
        return;
    auto *trend = new frmTrend(m_session.live, cardNo, m_session.cards[cardNo].ModelName, m_main);
    trend->setWindowFlag(Qt::Window);
    trend->setAttribute(Qt::WA_DeleteOnClose);
    bringForward(trend);
}

void ViewWindows::fillTrendMenu(QMenu *menu)
{
    menu->clear();
    for (int i = 1; i <= kCardCount; ++i) {
        if (!hasValues(m_session.cards[i]))
            continue;
        QAction *a =
            menu->addAction(QStringLiteral("Card %1  %2").arg(i).arg(m_session.cards[i].ModelName));
        a->setObjectName(QStringLiteral("mnuViewTrend_%1").arg(i));
        QObject::connect(a, &QAction::triggered, menu, [this, i] { showTrend(i); });
    }
    if (menu->isEmpty())
        menu->addAction(QStringLiteral("(no card with values)"))->setEnabled(false);
}
