#include "app/viewwindows.h"

#include "exchange/session.h"
#include "model/trendseries.h"
#include "views/frmtraffic.h"
#include "views/frmtrend.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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

// Notes where a window was when it closed, so the next one of its kind
// opens there.
class RememberPlace final : public QObject
{
public:
    RememberPlace(QWidget *w, QHash<QString, QPoint> &left, const QString &key)
        : QObject(w), m_left(left), m_key(key)
    {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close)
            m_left.insert(m_key, static_cast<QWidget *>(watched)->pos());
        return false;
    }

private:
    QHash<QString, QPoint> &m_left;
    QString m_key;
};

} // namespace

QPoint PlaceBeside(const QRect &main, const QSize &size, const QRect &screen)
{
    const int maxX = std::max(screen.left(), screen.right() + 1 - size.width());
    const int maxY = std::max(screen.top(), screen.bottom() + 1 - size.height());
    const int y = std::clamp(main.top(), screen.top(), maxY);
    if (main.right() + 1 + size.width() <= screen.right() + 1)
        return {main.right() + 1, y};
    if (main.left() - size.width() >= screen.left())
        return {main.left() - size.width(), y};
    // No room either side: against the edge with more space.
    const bool rightWider = screen.right() - main.right() >= main.left() - screen.left();
    return {rightWider ? maxX : screen.left(), y};
}

frmTraffic *ViewWindows::traffic() const
{
    return m_traffic;
}

frmTrend *ViewWindows::trend(int cardNo) const
{
    return m_trends.value(cardNo);
}

void ViewWindows::place(QWidget *w, const QString &key)
{
    new RememberPlace(w, m_left, key);
    if (const auto left = m_left.constFind(key); left != m_left.constEnd()) {
        w->move(*left);
        return;
    }
    // Before its first show a window knows no frame of its own; the main
    // window's decoration is the best guess at it.
    const QRect frame = m_main->frameGeometry();
    const QSize decoration = frame.size() - m_main->size();
    QScreen *screen = m_main->screen() ? m_main->screen() : QGuiApplication::primaryScreen();
    w->move(PlaceBeside(frame, w->size() + decoration, screen->availableGeometry()));
}

void ViewWindows::showTraffic()
{
    if (!m_traffic) {
        m_traffic = new frmTraffic(m_session.traffic, m_main);
        m_traffic->setAttribute(Qt::WA_DeleteOnClose);
        place(m_traffic, QStringLiteral("traffic"));
    }
    bringForward(m_traffic);
}

void ViewWindows::showTrend(int cardNo)
{
    if (cardNo < 1 || cardNo > kCardCount || !hasValues(m_session.cards[cardNo]))
        return;
    QPointer<frmTrend> &trend = m_trends[cardNo];
    if (!trend) {
        const CardRecord &card = m_session.cards[cardNo];
        trend = new frmTrend(m_session.live, cardNo, card.ModelName, m_main);
        trend->setCardSource([this, cardNo] {
            const CardRecord &c = m_session.cards[cardNo];
            return frmTrend::Card{m_session.link, c.ModelName.trimmed(), TrendUnitText(c)};
        });
        trend->setWindowFlag(Qt::Window);
        trend->setAttribute(Qt::WA_DeleteOnClose);
        place(trend, QStringLiteral("trend"));
    }
    // Another rack, or another card in the slot, since it was opened.
    trend->followCard();
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
