#pragma once

#include "exchange/monitoring.h"

#include <QStringList>
#include <functional>

class CardTable;
class CsvWriter;

// Turns monitoring's values into CSV rows (time,card,model,ch1,ch2,bits),
// one per card and pass, written as soon as the card's last value is in.
class MonitorLog final : public MonitorObserver
{
public:
    // passDone runs after the last card of every pass.
    MonitorLog(const CardTable &cards, CsvWriter &csv, std::function<void()> passDone);

    static QStringList header();
    // No card the passes would read: monitoring would never finish a pass.
    bool nothingToRead() const { return m_lastCard == 0; }

    void analogValue(int cardNo, int channel, const QString &text) override;
    void discreteBits(int cardNo, int channels, const QString &bits, bool answered) override;

private:
    void writeRow(int cardNo, const QString &ch1, const QString &ch2, const QString &bits);

    const CardTable &m_cards;
    CsvWriter &m_csv;
    std::function<void()> m_passDone;
    int m_lastCard = 0;
    QString m_ch1; // channel 1 of a two-channel card, waiting for channel 2
};
