#include "cli/monitorlog.h"

#include "cli/csvwriter.h"
#include "exchange/livefeed.h"
#include "model/cardrecord.h"

#include <QDateTime>

MonitorLog::MonitorLog(const CardTable &cards, LiveFeed &live, CsvWriter &csv,
                       std::function<void()> passDone)
    : m_cards(cards), m_csv(csv), m_passDone(std::move(passDone)),
      m_live(QObject::connect(&live, &LiveFeed::value, &live,
                              [this](int cardNo, int channel, const QString &text) {
                                  liveValue(cardNo, channel, text);
                              }))
{
    // The passes read exactly the cards with channels.
    for (int i = 1; i <= kCardCount; ++i)
        if (cards[i].channels() > 0) {
            m_lastCard = i;
            ++m_cardCount;
        }
}

MonitorLog::~MonitorLog()
{
    QObject::disconnect(m_live);
}

QStringList MonitorLog::header()
{
    return {QStringLiteral("time"), QStringLiteral("card"), QStringLiteral("model"),
            QStringLiteral("ch1"),  QStringLiteral("ch2"),  QStringLiteral("bits")};
}

void MonitorLog::liveValue(int cardNo, int channel, const QString &text)
{
    if (m_cards[cardNo].isTwoChannel() && channel == 1) {
        m_ch1 = text;
        return;
    }
    if (channel == 2)
        writeRow(cardNo, m_ch1, text, {});
    else
        writeRow(cardNo, text, {}, {});
}

void MonitorLog::discreteBits(int cardNo, int /*channels*/, const QString &bits, bool answered)
{
    // The window shows a card that gave no reply as "ERROR" in channel 1.
    writeRow(cardNo, answered ? QString() : QStringLiteral("ERROR"), {}, bits);
}

void MonitorLog::writeRow(int cardNo, const QString &ch1, const QString &ch2, const QString &bits)
{
    const QString time = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    m_csv.writeRow({time, QString::number(cardNo), m_cards[cardNo].ModelName, ch1, ch2, bits});
    if (cardNo == m_lastCard && m_passDone)
        m_passDone();
}
