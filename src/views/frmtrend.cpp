#include "views/frmtrend.h"

#include "exchange/livefeed.h"
#include "files/savefile.h"
#include "ui/messages.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

frmTrend::SaveHandler &saveHandler()
{
    static frmTrend::SaveHandler handler;
    return handler;
}

QString askFileName(QWidget *parent, const QString &suggested)
{
    if (const auto &h = saveHandler())
        return h(parent, suggested);
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save As"), suggested,
                                        QStringLiteral("CSV files (*.csv);;All files (*)"));
}

QColor channelColour(int channel)
{
    return channel == 1 ? QColor(0x1f, 0x77, 0xb4) : QColor(0xd6, 0x5f, 0x0e);
}

} // namespace

void frmTrend::setSaveHandler(SaveHandler handler)
{
    saveHandler() = std::move(handler);
}

frmTrend::frmTrend(LiveFeed &feed, int cardNo, const QString &model, QWidget *parent)
    : QWidget(parent), m_cardNo(cardNo)
{
    setObjectName(QStringLiteral("frmTrend"));
    m_card.model = model.trimmed();
    showTitle();
    resize(720, 420);

    // Steady time from the wall clock at opening: setting the system clock
    // back cannot fold the line over itself.
    QElapsedTimer steady;
    steady.start();
    m_clock = [base = QDateTime::currentMSecsSinceEpoch(), steady] {
        return base + steady.elapsed();
    };

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_axisX = new QDateTimeAxis(m_chart);
    m_axisX->setFormat(QStringLiteral("hh:mm:ss"));
    m_axisX->setTickCount(6);
    m_chart->addAxis(m_axisX, Qt::AlignBottom);
    m_axisY = new QValueAxis(m_chart);
    m_axisY->setLabelFormat(QStringLiteral("%g"));
    m_chart->addAxis(m_axisY, Qt::AlignLeft);

    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chvTrend"));

    m_pause = new QPushButton(QStringLiteral("Pause"), this);
    m_pause->setObjectName(QStringLiteral("cmdPause"));
    connect(m_pause, &QPushButton::clicked, this, &frmTrend::cmdPause_Click);
    m_saveAs = new QPushButton(QStringLiteral("Save As..."), this);
    m_saveAs->setObjectName(QStringLiteral("cmdSaveAs"));
    connect(m_saveAs, &QPushButton::clicked, this, &frmTrend::cmdSaveAs_Click);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pause);
    buttons->addWidget(m_saveAs);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    m_redrawTimer = new QTimer(this);
    m_redrawTimer->setObjectName(QStringLiteral("tmrRedraw"));
    m_redrawTimer->setSingleShot(true);
    m_redrawTimer->setInterval(kRedrawMs);
    connect(m_redrawTimer, &QTimer::timeout, this, &frmTrend::redraw);

    connect(&feed, &LiveFeed::value, this, &frmTrend::onValue);
    connect(&feed, &LiveFeed::interrupted, this, [this] {
        m_series.breakRuns(m_clock());
        if (!isPaused() && !m_redrawTimer->isActive())
            m_redrawTimer->start();
    });
    redraw();
}

frmTrend::~frmTrend() = default;

bool frmTrend::redrawPending() const
{
    return m_redrawTimer->isActive();
}

const QList<QLineSeries *> &frmTrend::segments(int channel) const
{
    static const QList<QLineSeries *> none;
    if (channel < 1 || channel > TrendSeries::kChannels)
        return none;
    return m_segments[static_cast<std::size_t>(channel - 1)];
}

void frmTrend::setCardSource(CardSource source)
{
    m_cardSource = std::move(source);
    if (m_cardSource) {
        m_card = m_cardSource();
        showTitle();
        setUnit(m_card.unit);
    }
}

void frmTrend::showTitle()
{
    setWindowTitle(QStringLiteral("Trend \u2013 card %1 %2").arg(m_cardNo).arg(m_card.model));
}

void frmTrend::followCard()
{
    if (!m_cardSource)
        return;
    const Card now = m_cardSource();
    if (now.link != m_card.link || now.model != m_card.model) {
        m_series.clear();
        m_frozen.reset();
        m_pause->setText(QStringLiteral("Pause"));
        m_card.link = now.link;
        m_card.model = now.model;
        showTitle();
        if (!m_redrawTimer->isActive())
            m_redrawTimer->start();
    }
    if (now.unit != m_card.unit) {
        m_card.unit = now.unit;
        setUnit(m_card.unit);
    }
}

void frmTrend::onValue(int cardNo, int channel, const QString &text)
{
    if (cardNo != m_cardNo)
        return;
    followCard();
    m_series.append(channel, m_clock(), text);
    // Started once per batch, not per value, so a steady flow still redraws.
    if (!isPaused() && !m_redrawTimer->isActive())
        m_redrawTimer->start();
}

void frmTrend::cmdPause_Click()
{
    if (isPaused()) {
        m_frozen.reset();
        m_pause->setText(QStringLiteral("Pause"));
        redraw();
        return;
    }
    // Draw what is waiting first, so the frozen copy is what the chart shows.
    if (redrawPending())
        redraw();
    m_frozen = m_series;
    m_pause->setText(QStringLiteral("Resume"));
}

void frmTrend::cmdSaveAs_Click()
{
    if (!isPaused() && redrawPending())
        redraw();
    // Taken now: the values keep coming while the dialog is open.
    const QByteArray bytes = (m_frozen ? *m_frozen : m_series).csv().toUtf8();
    const QPointer<frmTrend> alive(this);
    const QString path = askFileName(this, QStringLiteral("trend-card%1.csv").arg(m_cardNo));
    if (!alive || path.isEmpty())
        return;
    if (const Status saved = SaveWholeFile(path, bytes); !saved)
        Messages::show(this, Messages::Icon::Critical, QStringLiteral("Save As"), saved.reason());
}

void frmTrend::redraw()
{
    m_redrawTimer->stop();
    ++m_redraws;
    for (int ch = 1; ch <= TrendSeries::kChannels; ++ch)
        fitSegments(ch, m_series.runs(ch));

    const TrendSpan span = m_series.span(m_clock());
    m_axisX->setRange(QDateTime::fromMSecsSinceEpoch(span.from),
                      QDateTime::fromMSecsSinceEpoch(span.to));
    double lo = 0;
    double hi = 0;
    if (m_series.valueRange(lo, hi)) {
        const TrendAxis axis = NiceTrendAxis(lo, hi);
        m_axisY->setRange(axis.min, axis.max);
        m_axisY->setTickCount(axis.count);
        m_axisY->setLabelFormat(QStringLiteral("%.%1f").arg(axis.decimals));
    }
}

void frmTrend::setUnit(const QString &unit)
{
    m_axisY->setTitleText(unit);
}

void frmTrend::fitSegments(int channel, const QList<QList<QPointF>> &runs)
{
    QList<QLineSeries *> &segs = m_segments[static_cast<std::size_t>(channel - 1)];
    // Qt Charts does not break a line on NaN, so each run is its own series;
    // they are kept and refilled rather than made anew on every redraw.
    while (segs.size() > runs.size()) {
        QLineSeries *s = segs.takeLast();
        m_chart->removeSeries(s);
        delete s;
    }
    while (segs.size() < runs.size()) {
        auto *s = new QLineSeries;
        s->setName(QStringLiteral("ch%1").arg(channel));
        s->setColor(channelColour(channel));
        m_chart->addSeries(s);
        s->attachAxis(m_axisX);
        s->attachAxis(m_axisY);
        // One legend entry per channel, not per piece.
        const bool first = segs.isEmpty();
        for (QLegendMarker *marker : m_chart->legend()->markers(s))
            marker->setVisible(first);
        segs.append(s);
    }
    for (qsizetype i = 0; i < runs.size(); ++i) {
        QLineSeries *s = segs[i];
        if (s->count() != runs[i].size() || s->points() != runs[i])
            s->replace(runs[i]);
        // A lone value between gaps has no line to draw; show it as a dot.
        s->setPointsVisible(runs[i].size() == 1);
    }
}
