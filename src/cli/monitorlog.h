#pragma once

#include "exchange/monitoring.h"

#include <QMetaObject>
#include <QStringList>
#include <functional>

class CardTable;
class CsvWriter;
class LiveFeed;

// Turns monitoring's values into CSV rows (time,card,model,ch1,ch2,bits),
// one per card and pass, written as soon as the card's last value is in.
// Analog values are taken from the live feed, as the rack sent them: the
// overview's copy has its decimal point removed.
class MonitorLog final : public MonitorObserver
{
public:
    // passDone runs after the last card of every pass.
    MonitorLog(const CardTable &cards, LiveFeed &live, CsvWriter &csv,
               std::function<void()> passDone);
    ~MonitorLog() override;
    MonitorLog(const MonitorLog &) = delete;
    MonitorLog &operator=(const MonitorLog &) = delete;

    static QStringList header();
    // No card the passes would read: monitoring would never finish a pass.
    bool nothingToRead() const { return m_lastCard == 0; }
    // How many cards every pass reads.
    int cardCount() const { return m_cardCount; }

    void analogValue(int /*cardNo*/, int /*channel*/, const QString & /*text*/) override {}
    void discreteBits(int cardNo, int channels, const QString &bits, bool answered) override;

private:
    void liveValue(int cardNo, int channel, const QString &text);
    void writeRow(int cardNo, const QString &ch1, const QString &ch2, const QString &bits);

    const CardTable &m_cards;
    CsvWriter &m_csv;
    std::function<void()> m_passDone;
    QMetaObject::Connection m_live;
    int m_lastCard = 0;
    int m_cardCount = 0;
    QString m_ch1; // channel 1 of a two-channel card, waiting for channel 2
};
