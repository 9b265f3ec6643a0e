#pragma once

#include "model/trendseries.h"

#include <QList>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class LiveFeed;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QPushButton;
class QTimer;
class QValueAxis;

// The live values of one card's channels, as the rack sent them, over up to
// the last ten minutes, drawn while monitoring (or a card's live read) runs.
//
// Pause freezes the chart, not the recording: values keep arriving so that
// Resume shows the whole last ten minutes again. Save As writes the points
// the chart shows, so while paused it writes the frozen picture.
class frmTrend final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmTrend)
public:
    frmTrend(LiveFeed &feed, int cardNo, const QString &model, QWidget *parent = nullptr);

    // The card whose values arrive: of which link, its model and unit. A
    // value of another link or model starts a new series under the new
    // card's name and unit; the old rack's values are not the same line.
    struct Card
    {
        quint64 link = 0;
        QString model;
        QString unit;
    };
    using CardSource = std::function<Card()>;
    void setCardSource(CardSource source);
    // Asks the source again: a new series if the card has changed.
    void followCard();
    ~frmTrend() override;

    // Redraws wait this long so that a burst of values costs one redraw.
    static constexpr int kRedrawMs = 250;

    int cardNo() const { return m_cardNo; }

    // The value axis's title: the channels' unit, or "" for none.
    void setUnit(const QString &unit);

    void cmdPause_Click();
    void cmdSaveAs_Click();

    // Everything recorded, drawn or not.
    const TrendSeries &series() const { return m_series; }
    bool isPaused() const { return m_frozen.has_value(); }
    // Values wait for a redraw.
    bool redrawPending() const;
    // How often the chart has been rebuilt from the series.
    int redrawCount() const { return m_redraws; }
    // Channel 1 or 2's line pieces on the chart, one per unbroken run.
    const QList<QLineSeries *> &segments(int channel) const;
    QChart *chart() const { return m_chart; }

    // Milliseconds since the epoch for each value received; tests fix it.
    using Clock = std::function<qint64()>;
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // The Save As file dialog: gets the suggested name, returns the chosen
    // file or the empty text for a cancel. Tests install an answer; an
    // empty handler restores the real dialog.
    using SaveHandler = std::function<QString(QWidget *parent, const QString &suggested)>;
    static void setSaveHandler(SaveHandler handler);

private:
    void onValue(int cardNo, int channel, const QString &text);
    void showTitle();
    void redraw();
    void fitSegments(int channel, const QList<QList<QPointF>> &runs);

    int m_cardNo;
    Card m_card;
    CardSource m_cardSource;
    TrendSeries m_series;
    // The series as drawn when Pause was pressed.
    std::optional<TrendSeries> m_frozen;
    Clock m_clock;
    int m_redraws = 0;

    QChart *m_chart = nullptr;
    QChartView *m_view = nullptr;
    QDateTimeAxis *m_axisX = nullptr;
    QValueAxis *m_axisY = nullptr;
    std::array<QList<QLineSeries *>, TrendSeries::kChannels> m_segments;
    QPushButton *m_pause = nullptr;
    QPushButton *m_saveAs = nullptr;
    QTimer *m_redrawTimer = nullptr;
};
