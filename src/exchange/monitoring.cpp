#include "exchange/monitoring.h"

#include "exchange/cardtransfer.h"
#include "exchange/session.h"
#include "link/transactions.h"
#include "model/encodings.h"

#include <QEventLoop>
#include <QTimer>

namespace {

// A pause that lets window events run; false when the program is ending.
bool pause(Session &s, int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, [&loop] { loop.exit(1); });
    QObject::connect(&s.line, &SerialLine::portLost, &loop, [&loop] { loop.exit(1); });
    return loop.exec() == 1 && !s.quitting;
}

// Monitoring's Stop on the line for as long as the cycle runs (each cycle
// has a token of its own); its end is told on the live feed.
class StopOnLine
{
public:
    explicit StopOnLine(Session &s) : m_line(s.line), m_live(s.live)
    {
        s.monitorStop = CancelToken();
        m_line.setCancelToken(s.monitorStop);
    }
    ~StopOnLine()
    {
        m_line.setCancelToken(std::nullopt);
        emit m_live.interrupted();
    }
    StopOnLine(const StopOnLine &) = delete;
    StopOnLine &operator=(const StopOnLine &) = delete;

private:
    SerialLine &m_line;
    LiveFeed &m_live;
};

MonitorEnd ended(const Session &s)
{
    if (s.quitting)
        return MonitorEnd::Quitting;
    return s.line.isOpen() ? MonitorEnd::Stopped : MonitorEnd::LinkLost;
}

// After a read that got nothing: true when the rack as a whole is gone. A
// card that fell silent is told apart by asking the communication card,
// unless the read was not sent, the card answered, or Stop came meanwhile.
bool RackGone(Session &s, std::optional<Failure> readFailed)
{
    if (!s.line.isOpen())
        return true;
    if (readFailed != Failure::Silent || !s.state.IsMonitoring || s.quitting)
        return false;
    return !Answered(AskCommCard(s.line));
}

class Pass
{
public:
    Pass(Session &s, MonitorObserver &o) : m_session(s), m_observer(o) {}

    // False when monitoring must end before the pass is through.
    bool run()
    {
        for (int i = 1; i <= kCardCount; ++i) {
            if (!m_session.state.IsMonitoring || !m_session.line.isOpen() || m_session.quitting ||
                m_rackLost)
                return false;
            const CardRecord &r = m_session.cards[i];
            const int count = r.channels();
            if (count == 0)
                continue;
            const QString card = QString::number(i);
            const CardKind &kind = r.kind();
            if (kind.isDiscrete()) {
                const QString reply = read(card, QString::number(kind.statesItem));
                m_observer.discreteBits(i, count, reply.isEmpty() ? QString() : DiscreteBits(reply),
                                        !reply.isEmpty());
                continue;
            }
            for (int ch = 1; ch <= count; ++ch)
                analog(card, i, ch, QString::number(kind.liveItemOf(ch)));
        }
        return !m_rackLost;
    }
    bool rackLost() const { return m_rackLost; }

private:
    // The reply as text ("CNG" for a refusal), "" for no answer.
    QString read(const QString &card, const QString &item)
    {
        if (m_rackLost)
            return {};
        const Reply r = ReadItem(m_session.line, kRetries, card, item);
        if (!Answered(r) && RackGone(m_session, r.why()))
            m_rackLost = true;
        return ReplyText(r);
    }
    void analog(const QString &card, int i, int channel, const QString &item)
    {
        const QString r = read(card, item);
        const QString sent = r.isEmpty() ? QStringLiteral("ERROR") : TextAfterColon(r);
        m_observer.analogValue(i, channel, RemoveFirstPoint(sent));
        emit m_session.live.value(i, channel, sent);
    }

    Session &m_session;
    MonitorObserver &m_observer;
    bool m_rackLost = false;
};

} // namespace

QString DiscreteBits(const QString &reply)
{
    const QString hex = TextAfterColon(reply).left(4).toUpper();
    if (hex.size() < 4)
        return {};
    for (const QChar c : hex)
        if (!c.isDigit() && (c < QLatin1Char('A') || c > QLatin1Char('F')))
            return {};
    return HexToBits(hex);
}

void StopMonitoring(Session &session)
{
    session.state.IsMonitoring = false;
    session.monitorStop.request();
}

MonitorEnd MonitorAllCards(Session &session, MonitorObserver &observer)
{
    const StopOnLine stop(session);
    while (session.state.IsMonitoring) {
        Pass pass(session, observer);
        const bool through = pass.run();
        if (pass.rackLost() && !session.quitting)
            return MonitorEnd::LinkLost;
        if (!through)
            return ended(session);
        if (!pause(session, kMonitorPauseMs))
            return ended(session);
    }
    return ended(session);
}

MonitorEnd MonitorSelectedCard(Session &session, int cardNo,
                               const std::function<void(const CardLiveRead &)> &show)
{
    if (cardNo < 1 || cardNo > kCardCount || session.cards[cardNo].channels() == 0)
        return MonitorEnd::Stopped;
    const StopOnLine stop(session);
    while (session.state.IsMonitoring && session.line.isOpen() && !session.quitting) {
        const FormType form = session.cards[cardNo].form();
        if (form == FormType::None || form > FormType::Discrete)
            break;
        const CardLiveRead read = ReadCardLive(session, cardNo);
        show(read);
        if (RackGone(session, read.stoppedBy))
            return session.quitting ? MonitorEnd::Quitting : MonitorEnd::LinkLost;
        if (!pause(session, kMonitorPauseMs))
            break;
    }
    return ended(session);
}
