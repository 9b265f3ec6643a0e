// The trend: the series of one card's values (numbers, gaps, the ten-minute
// window, CSV) and its window fed by the live values of monitoring.
#include "app/viewwindows.h"
#include "appfixture.h"
#include "exchange/livefeed.h"
#include "model/trendseries.h"
#include "views/frmtrend.h"

#include <QChartView>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QFile>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QValueAxis>

namespace {

using Times = QList<qint64>;

Times times(const TrendSeries &s, int channel)
{
    Times out;
    for (const TrendPoint &p : s.points(channel))
        out << p.ms;
    return out;
}

// Sizes of the chart's pieces for a channel.
QList<qsizetype> pieceSizes(const frmTrend &w, int channel)
{
    QList<qsizetype> out;
    for (const QLineSeries *s : w.segments(channel))
        out << s->count();
    return out;
}

QString contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<none>");
}

// A window on its own feed, with a clock that moves one second per value.
struct TrendFixture
{
    LiveFeed feed;
    frmTrend w{feed, 3, QStringLiteral("XD2-K")};
    qint64 now = 1'700'000'000'000;

    TrendFixture()
    {
        w.setClock([this] { return now += 1000; });
    }
    void send(int channel, const QString &texts)
    {
        for (const QString &t : texts.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            emit feed.value(3, channel, t == QLatin1String("-") ? QString() : t);
    }
};

} // namespace

class TestTrend : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        frmTrend::setSaveHandler({});
        Messages::setHandler({});
    }

    // The points kept, and the time axis over them: at least ten seconds,
    // from the oldest point of either channel.
    void window_data()
    {
        QTest::addColumn<qint64>("windowMs");
        QTest::addColumn<QString>("appends"); // "1:5000": channel 1 at 5000 ms
        QTest::addColumn<Times>("ch1");
        QTest::addColumn<Times>("ch2");
        QTest::addColumn<Times>("span");
        const qint64 tenMinutes = TrendSeries::kDefaultWindowMs;
        QTest::newRow("ten minutes kept") << tenMinutes << "2:0 1:300000 1:600000"
                                          << Times{300000, 600000} << Times{0} << Times{0, 600000};
        QTest::newRow("older dropped") << tenMinutes << "1:0 2:300000 1:600001" << Times{600001}
                                       << Times{300000} << Times{300000, 600001};
        QTest::newRow("short window") << qint64(1000) << "1:0 2:500 1:1200 1:2000"
                                      << Times{1200, 2000} << Times{} << Times{1200, 11200};
        QTest::newRow("clock set back")
            << tenMinutes << "1:5000 1:4000" << Times{5000, 5000} << Times{} << Times{5000, 15000};
        QTest::newRow("other channel ignored")
            << tenMinutes << "3:100 0:100 1:200" << Times{200} << Times{} << Times{200, 10200};
    }
    void window()
    {
        QFETCH(qint64, windowMs);
        QFETCH(QString, appends);
        TrendSeries s;
        s.setWindowMs(windowMs);
        for (const QString &a : appends.split(QLatin1Char(' '))) {
            const QStringList parts = a.split(QLatin1Char(':'));
            s.append(parts[0].toInt(), parts[1].toLongLong(), QStringLiteral("1"));
        }
        QTEST(times(s, 1), "ch1");
        QTEST(times(s, 2), "ch2");
        const TrendSpan span = s.span(1000);
        QTEST((Times{span.from, span.to}), "span");
    }

    void niceAxis_data()
    {
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<QList<double>>("minMaxStep");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("decimals");
        QTest::newRow("twenties") << 0.0 << 95.0 << QList<double>{0, 100, 20} << 6 << 0;
        QTest::newRow("below zero") << -3.0 << 7.0 << QList<double>{-4, 8, 2} << 7 << 0;
        QTest::newRow("tenths") << 12.31 << 12.74 << QList<double>{12.3, 12.8, 0.1} << 6 << 1;
        QTest::newRow("flat") << 12.5 << 12.5 << QList<double>{11, 14, 0.5} << 7 << 1;
    }
    void niceAxis()
    {
        QFETCH(double, lo);
        QFETCH(double, hi);
        QFETCH(QList<double>, minMaxStep);
        const TrendAxis a = NiceTrendAxis(lo, hi);
        QCOMPARE((QList<double>{a.min, a.max, a.step}), minMaxStep);
        QTEST(a.count, "count");
        QTEST(a.decimals, "decimals");
    }

    // Through View > Trend: the axis names the card's unit, and a second call
    // brings the same window back where the operator left it.
    void trendWindowOfACard_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("unit");
        QTest::newRow("thermocouple") << 1 << QStringLiteral("\u00b0C");
        QTest::newRow("RTD in F") << 4 << QStringLiteral("\u00b0F");
        QTest::newRow("voltage") << 5 << QString();
    }
    void trendWindowOfACard()
    {
        QFETCH(int, card);
        AppFixture f;
        f.connectAndUpload();
        ViewWindows &views = f.window.viewWindows();
        views.showTrend(card);
        frmTrend *w = views.trend(card);
        QVERIFY(w);
        QTEST(w->chart()->axes(Qt::Vertical).value(0)->titleText(), "unit");
        w->move(w->pos() + QPoint(5, 5));
        const QPoint moved = w->pos();
        views.showTrend(card);
        QCOMPARE(views.trend(card), w);
        QCOMPARE(w->pos(), moved);
    }

    // One line per value, oldest first, channel 1 first at equal times: the
    // number as sent, or nothing for a gap ("ERROR", "CNG", no number).
    void csv()
    {
        struct Row
        {
            int channel;
            qint64 ms;
            const char *text;
            const char *value;
        };
        const qint64 t0 = 1'714'651'387'250; // 2024-05-02, a quarter second past
        const Row rows[] = {
            {1, t0, "125", "125"},     {2, t0, "ERROR", ""},     {2, t0 + 1000, "-12.5", "-12.5"},
            {1, t0 + 1500, "CNG", ""}, {1, t0 + 2001, "0", "0"}, {1, t0 + 2002, "12.5", "12.5"},
            {2, t0 + 2003, "+7", "7"}, {2, t0 + 2004, "", ""},   {2, t0 + 2005, "nan", ""},
            {1, t0 + 2006, "12a", ""}};
        TrendSeries s;
        s.append(rows[1].channel, rows[1].ms, QLatin1String(rows[1].text)); // the tie, 2 first
        s.append(rows[0].channel, rows[0].ms, QLatin1String(rows[0].text));
        for (qsizetype i = 2; i < std::ssize(rows); ++i)
            s.append(rows[i].channel, rows[i].ms, QLatin1String(rows[i].text));
        const QStringList lines = s.csv().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), std::ssize(rows) + 2); // header, rows, the last line's end
        QCOMPARE(lines.first(), QStringLiteral("time,channel,value"));
        QCOMPARE(lines.last(), QString());
        const QRegularExpression iso(
            QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d)$)"));
        for (qsizetype i = 0; i < std::ssize(rows); ++i) {
            const QString time = lines[i + 1].section(QLatin1Char(','), 0, 0);
            QVERIFY2(iso.match(time).hasMatch(), qPrintable(time));
            QCOMPARE(QDateTime::fromString(time, Qt::ISODateWithMs).toMSecsSinceEpoch(),
                     rows[i].ms);
            QCOMPARE(lines[i + 1].section(QLatin1Char(','), 1),
                     QStringLiteral("%1,%2").arg(rows[i].channel).arg(rows[i].value));
        }
        QCOMPARE(TrendSeries().csv(), QStringLiteral("time,channel,value\n"));
    }

    // The read when a card is shown feeds its channels as sent: both of a
    // two-channel card, one of a one-channel card, none of a discrete card.
    void shownCardFeedsItsChannels_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QList<int>>("channels");
        QTest::newRow("two channels") << 2 << QList<int>{1, 2};
        QTest::newRow("one channel") << 1 << QList<int>{1};
        QTest::newRow("discrete") << 11 << QList<int>{};
    }
    void shownCardFeedsItsChannels()
    {
        QFETCH(int, card);
        AppFixture f;
        f.connectAndUpload();
        QList<int> fed;
        QStringList texts, expected;
        connect(&f.session.live, &LiveFeed::value, &f.window,
                [&](int c, int ch, const QString &text) {
                    fed << ch;
                    texts << text;
                    expected << f.rack->itemValue(c, ch == 1 ? 10 : 11);
                    QCOMPARE(c, card);
                });
        f.find<QComboBox>(QStringLiteral("cboCardNo"))
            ->setCurrentText(QStringLiteral("%1").arg(card, 2, 10, QLatin1Char('0')));
        QTEST(fed, "channels");
        QCOMPARE(texts, expected);
    }

    // The chart plots the numbers as sent, on round ticks over the time that
    // holds them; "ERROR" and friends split the line instead of dropping to
    // zero, a lone value shows as a dot; other cards' values do not come in.
    void chart_data()
    {
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QList<qsizetype>>("pieces");
        QTest::newRow("tenths") << "12.5 13.4" << QList<qsizetype>{2};
        QTest::newRow("ERROR inside") << "100 ERROR 120 130" << QList<qsizetype>{1, 2};
        QTest::newRow("CNG first") << "CNG 100 110" << QList<qsizetype>{2};
        QTest::newRow("empty last") << "100 110 -" << QList<qsizetype>{2};
        QTest::newRow("two gaps") << "100 ERROR CNG 110" << QList<qsizetype>{1, 1};
        QTest::newRow("only ERROR") << "ERROR" << QList<qsizetype>{};
    }
    void chart()
    {
        QFETCH(QString, texts);
        TrendFixture t;
        const int before = t.w.redrawCount();
        emit t.feed.value(5, 1, QStringLiteral("0")); // another card
        t.send(1, texts);
        QTRY_VERIFY(!t.w.redrawPending());
        QCOMPARE(t.w.redrawCount(), before + 1); // one redraw for the batch
        QTEST(pieceSizes(t.w, 1), "pieces");
        QVERIFY(pieceSizes(t.w, 2).isEmpty());
        QList<double> plotted, sent;
        for (const QLineSeries *s : t.w.segments(1)) {
            QCOMPARE(s->pointsVisible(), s->count() == 1);
            for (const QPointF &p : s->points())
                plotted << p.y();
        }
        for (const QString &text : texts.split(QLatin1Char(' '))) {
            bool ok = false;
            const double v = text.toDouble(&ok);
            if (ok)
                sent << v;
        }
        QCOMPARE(plotted, sent);
        const qint64 first = t.w.series().points(1).value(0).ms;
        auto *x = qobject_cast<QDateTimeAxis *>(t.w.chart()->axes(Qt::Horizontal).value(0));
        QCOMPARE((Times{x->min().toMSecsSinceEpoch(), x->max().toMSecsSinceEpoch()}),
                 (Times{first, first + TrendSeries::kMinSpanMs}));
        if (sent.isEmpty())
            return;
        const TrendAxis a = NiceTrendAxis(*std::min_element(sent.begin(), sent.end()),
                                          *std::max_element(sent.begin(), sent.end()));
        auto *y = qobject_cast<QValueAxis *>(t.w.chart()->axes(Qt::Vertical).value(0));
        QCOMPARE((QList<double>{y->min(), y->max()}), (QList<double>{a.min, a.max}));
        QCOMPARE(y->tickCount(), a.count);
        QCOMPARE(y->labelFormat(), QStringLiteral("%.%1f").arg(a.decimals));
    }

    // Save As draws what waits and writes the series under the card's name.
    // Pause stops redraws but keeps recording; Save As then writes the
    // frozen picture, and Resume draws everything. A cancel writes nothing.
    void pauseAndSaveAs()
    {
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("trend.csv"));
        QString suggested;
        frmTrend::setSaveHandler([&](QWidget *, const QString &suggest) {
            suggested = suggest;
            return path;
        });
        int messages = 0;
        Messages::setHandler(
            [&](Messages::Icon, const QString &, const QString &, const QString &) { ++messages; });
        TrendFixture t;
        const int count = t.w.redrawCount();
        t.send(1, QStringLiteral("1 2 3 4 5 6 7 8 9 10"));
        t.send(2, QStringLiteral("7"));
        t.w.findChild<QPushButton *>(QStringLiteral("cmdSaveAs"))->click();
        QVERIFY(!t.w.redrawPending());
        QCOMPARE(t.w.redrawCount(), count + 1);
        QCOMPARE(suggested, QStringLiteral("trend-card3.csv"));
        const QString saved = contents(path);
        QCOMPARE(saved, t.w.series().csv());
        QCOMPARE(saved.count(QLatin1Char('\n')), 12); // the header and every value sent

        auto *pause = t.w.findChild<QPushButton *>(QStringLiteral("cmdPause"));
        pause->click();
        QCOMPARE(t.w.redrawCount(), count + 1); // nothing was waiting
        t.send(1, QStringLiteral("11 ERROR 12"));
        t.send(2, QStringLiteral("5"));
        QVERIFY(!t.w.redrawPending());
        QCoreApplication::processEvents();
        QCOMPARE(t.w.redrawCount(), count + 1);
        QCOMPARE(pieceSizes(t.w, 1), QList<qsizetype>{10});
        QCOMPARE(t.w.series().points(1).size(), 13);
        path = dir.filePath(QStringLiteral("paused.csv"));
        t.w.cmdSaveAs_Click();
        QCOMPARE(contents(path), saved);
        path.clear();
        t.w.cmdSaveAs_Click();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);

        pause->click();
        QCOMPARE(t.w.redrawCount(), count + 2);
        QCOMPARE(pieceSizes(t.w, 1), (QList<qsizetype>{11, 1}));
        QCOMPARE(pieceSizes(t.w, 2), QList<qsizetype>{2});
        QCOMPARE(messages, 0);
    }
};

QTEST_MAIN(TestTrend)
#include "test_trend.moc"
