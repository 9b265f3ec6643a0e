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

// "1:5000 2:6000" -> channel 1 at 5000 ms, channel 2 at 6000 ms, value 1.
void appendAll(TrendSeries &s, const QString &appends)
{
    for (const QString &a : appends.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = a.split(QLatin1Char(':'));
        s.append(parts[0].toInt(), parts[1].toLongLong(), QStringLiteral("1"));
    }
}

// Sizes of the chart's pieces for a channel.
QList<qsizetype> pieceSizes(const frmTrend &w, int channel)
{
    QList<qsizetype> out;
    for (const QLineSeries *s : w.segments(channel))
        out << s->count();
    return out;
}

QPushButton *button(const frmTrend &w, const char *name)
{
    return w.findChild<QPushButton *>(QLatin1String(name));
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
    // Waits for the batched redraw the values started.
    void drawn(int before)
    {
        QTRY_VERIFY(!w.redrawPending());
        QCOMPARE(w.redrawCount(), before + 1);
    }
};

} // namespace

class TestTrend : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { frmTrend::setSaveHandler({}); }

    void values_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("gap");
        QTest::addColumn<double>("value");
        QTest::newRow("whole") << "125" << false << 125.0;
        QTest::newRow("point kept") << "12.5" << false << 12.5;
        QTest::newRow("plus") << "+7" << false << 7.0;
        QTest::newRow("ERROR") << "ERROR" << true << 0.0;
        QTest::newRow("CNG") << "CNG" << true << 0.0;
        QTest::newRow("empty") << "" << true << 0.0;
        QTest::newRow("nan") << "nan" << true << 0.0;
        QTest::newRow("trailing letter") << "12a" << true << 0.0;
    }
    void values()
    {
        QFETCH(QString, text);
        QFETCH(bool, gap);
        QFETCH(double, value);
        TrendSeries s;
        s.append(2, 1000, text);
        QCOMPARE(s.points(2).size(), 1);
        QCOMPARE(s.points(2)[0].gap, gap);
        if (!gap)
            QCOMPARE(s.points(2)[0].value, value);
        QVERIFY(s.points(1).isEmpty());
    }

    void window_data()
    {
        QTest::addColumn<qint64>("windowMs");
        QTest::addColumn<QString>("appends");
        QTest::addColumn<Times>("ch1");
        QTest::addColumn<Times>("ch2");
        QTest::newRow("ten minutes kept")
            << TrendSeries::kDefaultWindowMs << "1:0 1:300000 1:600000" << Times{0, 300000, 600000}
            << Times{};
        QTest::newRow("older dropped") << TrendSeries::kDefaultWindowMs << "1:0 1:300000 1:600001"
                                       << Times{300000, 600001} << Times{};
        QTest::newRow("short window")
            << qint64(1000) << "1:0 2:500 1:1200 1:2000" << Times{1200, 2000} << Times{};
        QTest::newRow("clock set back")
            << TrendSeries::kDefaultWindowMs << "1:5000 1:4000" << Times{5000, 5000} << Times{};
        QTest::newRow("other channel ignored")
            << TrendSeries::kDefaultWindowMs << "3:100 0:100 1:200" << Times{200} << Times{};
    }
    void window()
    {
        QFETCH(qint64, windowMs);
        QFETCH(QString, appends);
        QFETCH(Times, ch1);
        QFETCH(Times, ch2);
        TrendSeries s;
        s.setWindowMs(windowMs);
        appendAll(s, appends);
        QCOMPARE(times(s, 1), ch1);
        QCOMPARE(times(s, 2), ch2);
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

    // The time axis holds the points kept, at least ten seconds of it.
    void span_data()
    {
        QTest::addColumn<QString>("appends");
        QTest::addColumn<QList<qint64>>("fromTo");
        QTest::newRow("one point") << "1:5000" << QList<qint64>{5000, 15000};
        QTest::newRow("two minutes") << "2:0 1:60000 1:120000" << QList<qint64>{0, 120000};
        QTest::newRow("ten minutes at most")
            << "1:0 2:300000 1:700000" << QList<qint64>{300000, 700000};
    }
    void span()
    {
        QFETCH(QString, appends);
        QFETCH(QList<qint64>, fromTo);
        TrendSeries s;
        appendAll(s, appends);
        const TrendSpan span = s.span(1000);
        QCOMPARE((QList<qint64>{span.from, span.to}), fromTo);
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
        const auto axes = w->chart()->axes(Qt::Vertical);
        QTEST(axes.value(0)->titleText(), "unit");
        w->move(w->pos() + QPoint(5, 5));
        const QPoint moved = w->pos();
        views.showTrend(card);
        QCOMPARE(views.trend(card), w);
        QCOMPARE(w->pos(), moved);
    }

    // Values as sent: "12.5" plots at 12.5 on round ticks, over the time
    // that holds them.
    void valuesOnRoundTicks()
    {
        TrendFixture t;
        const int before = t.w.redrawCount();
        t.send(1, QStringLiteral("12.5 13.4"));
        t.drawn(before);
        QCOMPARE(t.w.segments(1).value(0)->at(0).y(), 12.5);
        auto *y = qobject_cast<QValueAxis *>(t.w.chart()->axes(Qt::Vertical).value(0));
        QVERIFY(y);
        QCOMPARE((QList<double>{y->min(), y->max()}), (QList<double>{12.4, 13.4}));
        QCOMPARE(y->tickCount(), 6);
        QCOMPARE(y->labelFormat(), QStringLiteral("%.1f"));
        auto *x = qobject_cast<QDateTimeAxis *>(t.w.chart()->axes(Qt::Horizontal).value(0));
        const qint64 first = t.w.series().points(1)[0].ms;
        QCOMPARE((QList<qint64>{x->min().toMSecsSinceEpoch(), x->max().toMSecsSinceEpoch()}),
                 (QList<qint64>{first, first + TrendSeries::kMinSpanMs}));
    }

    void csv()
    {
        TrendSeries s;
        const qint64 t0 = 1'714'651'387'250; // 2024-05-02, a quarter second past
        s.append(1, t0, QStringLiteral("125"));
        s.append(2, t0, QStringLiteral("ERROR"));
        s.append(2, t0 + 1000, QStringLiteral("-12.5"));
        s.append(1, t0 + 1500, QStringLiteral("CNG"));
        s.append(1, t0 + 2001, QStringLiteral("0"));
        const QStringList lines = s.csv().split(QLatin1Char('\n'));
        const QStringList expected{"1,125", "2,", "2,-12.5", "1,", "1,0"};
        const Times at{t0, t0, t0 + 1000, t0 + 1500, t0 + 2001};
        QCOMPARE(lines.size(), expected.size() + 2); // header, rows, the last line's end
        QCOMPARE(lines.first(), QStringLiteral("time,channel,value"));
        QCOMPARE(lines.last(), QString());
        const QRegularExpression iso(
            QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}(Z|[+-]\d\d:\d\d)$)"));
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const QString line = lines[i + 1];
            const qsizetype comma = line.indexOf(QLatin1Char(','));
            const QString time = line.left(comma);
            QVERIFY2(iso.match(time).hasMatch(), qPrintable(time));
            QCOMPARE(QDateTime::fromString(time, Qt::ISODateWithMs).toMSecsSinceEpoch(), at[i]);
            QCOMPARE(line.mid(comma + 1), expected[i]);
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
        QFETCH(QList<int>, channels);
        AppFixture f;
        f.connectOn(1);
        f.window.cmdUpload_Click();
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
        QCOMPARE(fed, channels);
        QCOMPARE(texts, expected);
    }

    // "ERROR" and friends split the chart's line instead of dropping to zero;
    // other cards' values do not reach the window.
    void nonNumbersLeaveGaps_data()
    {
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QList<qsizetype>>("pieces");
        QTest::newRow("ERROR inside") << "100 ERROR 120 130" << QList<qsizetype>{1, 2};
        QTest::newRow("CNG first") << "CNG 100 110" << QList<qsizetype>{2};
        QTest::newRow("empty last") << "100 110 -" << QList<qsizetype>{2};
        QTest::newRow("two gaps") << "100 ERROR CNG 110" << QList<qsizetype>{1, 1};
        QTest::newRow("only ERROR") << "ERROR" << QList<qsizetype>{};
    }
    void nonNumbersLeaveGaps()
    {
        QFETCH(QString, texts);
        QFETCH(QList<qsizetype>, pieces);
        TrendFixture t;
        const int before = t.w.redrawCount();
        emit t.feed.value(5, 1, QStringLiteral("0")); // another card
        t.send(1, texts);
        t.drawn(before);
        QCOMPARE(pieceSizes(t.w, 1), pieces);
        QVERIFY(pieceSizes(t.w, 2).isEmpty());
        QCOMPARE(t.w.series().points(1).size(), texts.split(QLatin1Char(' ')).size());
        // A lone value still shows, as a dot.
        for (QLineSeries *s : t.w.segments(1))
            QCOMPARE(s->pointsVisible(), s->count() == 1);
        if (!pieces.isEmpty()) {
            const auto axes = t.w.chart()->axes(Qt::Vertical);
            auto *y = qobject_cast<QValueAxis *>(axes.value(0));
            QVERIFY(y);
            QVERIFY2(y->min() > 50, "a gap was plotted as zero");
        }
    }

    void saveAs_data()
    {
        QTest::addColumn<QString>("name"); // in a fresh folder; "" cancels
        QTest::newRow("saved") << "trend.csv";
        QTest::newRow("folder missing") << "no/such/dir/trend.csv";
        QTest::newRow("cancelled") << "";
    }
    void saveAs()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = name.isEmpty() ? QString() : dir.filePath(name);
        QList<RecordedMessage> messages;
        Messages::setHandler(
            [&](Messages::Icon icon, const QString &title, const QString &text, const QString &) {
                messages.append({icon, title, text});
            });
        QString suggested;
        frmTrend::setSaveHandler([&](QWidget *, const QString &suggest) {
            suggested = suggest;
            return path;
        });
        TrendFixture t;
        t.send(1, QStringLiteral("125 ERROR 130"));
        t.send(2, QStringLiteral("7"));
        button(t.w, "cmdSaveAs")->click(); // before the batched redraw: drawn first
        Messages::setHandler({});
        QVERIFY(!t.w.redrawPending());
        QCOMPARE(suggested, QStringLiteral("trend-card3.csv"));
        QFile file(path);
        if (name == QLatin1String("trend.csv")) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            QCOMPARE(text, t.w.series().csv());
            QCOMPARE(text.count(QLatin1Char('\n')), 5); // the header and every value sent
            QVERIFY(messages.isEmpty());
        } else if (name.isEmpty()) {
            QVERIFY(messages.isEmpty());
            QVERIFY(QDir(dir.path()).isEmpty());
        } else {
            QCOMPARE(messages.size(), 1);
            QCOMPARE(messages[0].icon, Messages::Icon::Critical);
            QCOMPARE(messages[0].title, QStringLiteral("Save As"));
            QVERIFY(messages[0].text.contains(QDir::toNativeSeparators(path)));
        }
    }

    // Values batch into one redraw; Pause stops redraws but keeps recording,
    // Save As then writes the frozen picture, and Resume draws everything.
    void pauseStopsRedraws()
    {
        TrendFixture t;
        int count = t.w.redrawCount();
        t.send(1, QStringLiteral("1 2 3 4 5 6 7 8 9 10"));
        t.drawn(count);
        count = t.w.redrawCount();
        const QString frozenCsv = t.w.series().csv();

        button(t.w, "cmdPause")->click();
        QCOMPARE(button(t.w, "cmdPause")->text(), QStringLiteral("Resume"));
        QCOMPARE(t.w.redrawCount(), count); // nothing was waiting
        t.send(1, QStringLiteral("11 ERROR 12"));
        t.send(2, QStringLiteral("5"));
        QVERIFY(!t.w.redrawPending());
        QCoreApplication::processEvents();
        QCOMPARE(t.w.redrawCount(), count);
        QCOMPARE(pieceSizes(t.w, 1), QList<qsizetype>{10});
        QCOMPARE(t.w.series().points(1).size(), 13);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("paused.csv"));
        frmTrend::setSaveHandler([&](QWidget *, const QString &) { return path; });
        t.w.cmdSaveAs_Click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), frozenCsv);

        button(t.w, "cmdPause")->click();
        QCOMPARE(button(t.w, "cmdPause")->text(), QStringLiteral("Pause"));
        QCOMPARE(t.w.redrawCount(), count + 1);
        QCOMPARE(pieceSizes(t.w, 1), (QList<qsizetype>{11, 1}));
        QCOMPARE(pieceSizes(t.w, 2), QList<qsizetype>{1});
    }
};

QTEST_MAIN(TestTrend)
#include "test_trend.moc"
