// The traffic rows, their groups and marks, the bound on the rows, the CSV
// and the window's filter, scrolling and saving.
#include "app/viewwindows.h"
#include "appfixture.h"
#include "files/trafficcsv.h"
#include "link/transactions.h"
#include "ui/csvsavedialog.h"
#include "views/frmtraffic.h"
#include "views/trafficmodel.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>

namespace {

struct Line
{
    QByteArray command; // CR added
    QByteArray reply;   // as received, CR included
    bool timedOut = false;
    int ms = 0;
};

void feed(TrafficLog &log, const QList<Line> &lines)
{
    for (const Line &l : lines)
        log.append({0, l.command + '\r', l.reply, l.ms, l.timedOut, {}});
}

void appendNumbered(TrafficLog &log, int from, int to)
{
    for (int n = from; n < to; ++n)
        log.append({n, "C" + QByteArray::number(n) + '\r', "OK\r", 1, false, {}});
}

QString cell(const QAbstractItemModel &m, int row, int column)
{
    return m.index(row, column).data().toString();
}

QStringList column(const QAbstractItemModel &m, int col)
{
    QStringList out;
    for (int row = 0; row < m.rowCount(); ++row)
        out << cell(m, row, col);
    return out;
}

// A read before any select, two of card 00; then at card 5 a read answered
// "CNG", a write taken, two refused, a silence; a select of card 7.
const QList<Line> kMixed = {
    {"I1", "00\r"},  {"G00", "COK\r"},    {"I40", "01.05\r"}, {"G5", "COK\r"},  {"I14", "CNG\r"},
    {"D0", "COK\r"}, {"D99999", "CNG\r"}, {"D7", " CNU\r"},   {"D1", "", true}, {"G7", "COK\r"}};

} // namespace

class TestTraffic : public QObject
{
    Q_OBJECT

private slots:
    // A read, a write and a timed-out read retried once, made through the
    // program's line on the simulated rack; rows appear on the timer's flush.
    void rowsOfRealExchanges()
    {
        AppFixture f;
        f.connectOn(1);
        TrafficModel model(f.session.traffic);
        const int n0 = model.rowCount();
        QVERIFY(n0 > 0); // the connect's own reads

        const Reply read = ReadItem(f.session.line, 0, QStringLiteral("5"), QStringLiteral("13"));
        const Reply written = WriteItem(f.session.line, 0, QStringLiteral("5"),
                                        QStringLiteral("13"), QStringLiteral("0"));
        QVERIFY(read.ok() && written.ok());
        f.rack->setCardFaults(5, {.silent = true});
        QVERIFY(ReadItem(f.session.line, 1, QStringLiteral("5"), QStringLiteral("13"))
                    .is(Failure::Silent));
        QTRY_COMPARE(model.rowCount(), n0 + 7);

        const QStringList commands{"G5", "I13", "G5", "I13", "D0", "G5", "G5"};
        const QStringList marks{"", "", "", "", "", "time-out", "retry, time-out"};
        const QList<int> groups{0, 0, 1, 1, 1, 2, 3}; // relative to the read's
        const qint64 g0 = model.group(n0);
        const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"));
        for (int i = 0; i < 7; ++i) {
            const int row = n0 + i;
            QCOMPARE(cell(model, row, TrafficModel::Command), commands[i]);
            QCOMPARE(cell(model, row, TrafficModel::Card), QStringLiteral("5"));
            QCOMPARE(cell(model, row, TrafficModel::Mark), marks[i]);
            QCOMPARE(model.index(row, 0).data(TrafficModel::GroupRole).toLongLong(),
                     g0 + groups[i]);
            QVERIFY(time.match(cell(model, row, TrafficModel::Time)).hasMatch());
        }
        // The status character stays in front of the value.
        QCOMPARE(cell(model, n0 + 1, TrafficModel::Reply).mid(1), *read);
        QCOMPARE(cell(model, n0 + 4, TrafficModel::Reply).mid(1), *written);
        QCOMPARE(cell(model, n0 + 5, TrafficModel::Reply), QString());
        QCOMPARE(cell(model, n0 - 1, TrafficModel::Card), QStringLiteral("00"));

        // Alternate transactions are shaded, the rows of one alike.
        TrafficFilter filter(&model, QBrush(Qt::gray));
        const auto shade = [&](int row) { return filter.index(row, 0).data(Qt::BackgroundRole); };
        QCOMPARE(shade(n0), shade(n0 + 1));
        QVERIFY(shade(n0 + 1) != shade(n0 + 2));
        QCOMPARE(shade(n0 + 2), shade(n0 + 4));
        QVERIFY(shade(n0 + 4) != shade(n0 + 5));

        // Retries are marked where the transaction made them: a read answered
        // "CNU" is final, so reading it again is no retry; a refused write is.
        f.rack->clearFaults();
        for (int n = 0; n < 2; ++n)
            QVERIFY(ReadItem(f.session.line, kRetries, QStringLiteral("5"), QStringLiteral("-1"))
                        .is(Failure::NotUsed));
        QVERIFY(WriteItem(f.session.line, kRetries, QStringLiteral("5"), QStringLiteral("-1"),
                          QStringLiteral("0"))
                    .is(Failure::NotUsed));
        QStringList retries(6);
        for (int n = 0; n < 3; ++n)
            retries << QStringLiteral("retry") << QString();
        QTRY_COMPARE(model.rowCount(), n0 + 7 + int(retries.size()));
        QCOMPARE(column(model, TrafficModel::Mark).mid(n0 + 7), retries);
    }

    void rowsStayWithinTheLog()
    {
        TrafficLog log(5);
        TrafficModel model(log);
        const auto commands = [&] { return column(model, TrafficModel::Command); };
        appendNumbered(log, 0, 5);
        model.flush();
        QCOMPARE(commands(), (QStringList{"C0", "C1", "C2", "C3", "C4"}));

        // Until the flush, rows keep their entries; dropped ones show nothing.
        appendNumbered(log, 5, 7);
        QCOMPARE(commands(), (QStringList{"", "", "C2", "C3", "C4"}));
        model.flush();
        QCOMPARE(commands(), (QStringList{"C2", "C3", "C4", "C5", "C6"}));

        appendNumbered(log, 7, 12);
        model.flush();
        QCOMPARE(commands(), (QStringList{"C7", "C8", "C9", "C10", "C11"}));

        // More than the log holds between two flushes.
        appendNumbered(log, 12, 19);
        model.flush();
        QCOMPARE(commands(), (QStringList{"C14", "C15", "C16", "C17", "C18"}));
    }

    void csvOfASmallLog()
    {
        TrafficLog log;
        log.append({5, "I1\r", "0\\\r", 3, false, {}});
        log.append({1000, "G5\r", "COK\r", 12, false, {}});
        log.append({1012, "I13\r", "0\"a,b\"\r", 30, false, {}});
        log.append({61001, "G5\r", "", 500, true, {}});
        log.append({62001, "G5\r", "C\x01", 500, true, {}, 1});
        const auto t = [&](qint64 ms) {
            return log.wallTime(ms).toString(QStringLiteral("hh:mm:ss.zzz"));
        };
        const QString expected = QStringLiteral("time,card,command,reply,ms,mark\r\n") + t(5) +
                                 QStringLiteral(",,I1,0\\x5C,3,\r\n") + t(1000) +
                                 QStringLiteral(",5,G5,COK,12,\r\n") + t(1012) +
                                 QStringLiteral(",5,I13,\"0\"\"a,b\"\"\",30,\r\n") + t(61001) +
                                 QStringLiteral(",5,G5,,500,time-out\r\n") + t(62001) +
                                 QStringLiteral(",5,G5,C\\x01,500,\"retry, time-out\"\r\n");
        QCOMPARE(TrafficCsv(log), expected);
    }

    // The card chosen and the text typed (in command or reply) filter
    // together; refused writes are marked as time-outs are.
    void filters_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows"); // command, and mark if any
        auto row = [](const char *name, const char *card, const char *text, QStringList rows) {
            QTest::newRow(name) << QString::fromLatin1(card) << QString::fromLatin1(text) << rows;
        };
        row("all", "All", "",
            {"I1", "G00", "I40", "G5", "I14", "D0", "D99999 refused", "D7 refused", "D1 time-out",
             "G7"});
        row("card 00", "00", "", {"G00", "I40"});
        row("card 5", "5", "", {"G5", "I14", "D0", "D99999 refused", "D7 refused", "D1 time-out"});
        row("card 16", "16", "", {});
        row("reply, any case", "All", "cng", {"I14", "D99999 refused"});
        row("command", "All", "d9", {"D99999 refused"});
        row("card and text", "00", "i4", {"I40"});
        row("nothing", "All", "xyz", {});
    }
    void filters()
    {
        QFETCH(QString, card);
        QFETCH(QString, text);
        TrafficLog log;
        feed(log, kMixed);
        frmTraffic w(log);
        w.findChild<QComboBox *>(QStringLiteral("cboCardFilter"))->setCurrentText(card);
        QTest::keyClicks(w.findChild<QLineEdit *>(QStringLiteral("txtFilter")), text);
        const QAbstractItemModel &m =
            *w.findChild<QTableView *>(QStringLiteral("tblTraffic"))->model();
        QStringList rows;
        for (int r = 0; r < m.rowCount(); ++r)
            rows << QStringList{cell(m, r, TrafficModel::Command), cell(m, r, TrafficModel::Mark)}
                        .join(QLatin1Char(' '))
                        .trimmed();
        QTEST(rows, "rows");
    }

    // Pause holds the table, not the log; Clear empties both.
    void pauseAndClear()
    {
        TrafficLog log;
        appendNumbered(log, 0, 2);
        frmTraffic w(log);
        const QAbstractItemModel &m =
            *w.findChild<QTableView *>(QStringLiteral("tblTraffic"))->model();
        auto *pause = w.findChild<QAbstractButton *>(QStringLiteral("chkPause"));
        pause->click();
        appendNumbered(log, 2, 5);
        w.model()->flush();
        QCOMPARE(column(m, TrafficModel::Command), (QStringList{"C0", "C1"}));
        QCOMPARE(log.entries().size(), 5u);
        pause->click();
        QCOMPARE(column(m, TrafficModel::Command), (QStringList{"C0", "C1", "C2", "C3", "C4"}));

        w.findChild<QAbstractButton *>(QStringLiteral("cmdClear"))->click();
        QCOMPARE(m.rowCount(), 0);
        QVERIFY(log.entries().empty());
        appendNumbered(log, 5, 6);
        w.model()->flush();
        QCOMPARE(column(m, TrafficModel::Command), QStringList{"C5"});
    }

    // Right of the main window, else left, else against the roomier edge.
    void placeBeside_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("right") << QRect(0, 0, 400, 300) << QPoint(400, 0);
        QTest::newRow("left") << QRect(500, 50, 400, 300) << QPoint(200, 50);
        QTest::newRow("neither, right roomier") << QRect(100, 0, 700, 300) << QPoint(700, 0);
        QTest::newRow("neither, left roomier") << QRect(250, 0, 700, 300) << QPoint(0, 0);
        QTest::newRow("kept on screen") << QRect(0, 700, 400, 300) << QPoint(400, 600);
    }
    void placeBeside()
    {
        QFETCH(QRect, main);
        QTEST(PlaceBeside(main, QSize(300, 200), QRect(0, 0, 1000, 800)), "at");
    }

    // The newest row stays in sight, unless the operator scrolled up: then
    // the row at the top stays there, even as the full log drops rows.
    void followsTheNewestRowUnlessScrolledUp()
    {
        TrafficLog log(200);
        appendNumbered(log, 0, 200);
        frmTraffic w(log);
        w.resize(500, 300);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *table = w.findChild<QTableView *>(QStringLiteral("tblTraffic"));
        QScrollBar *bar = table->verticalScrollBar();
        QVERIFY(bar->maximum() > 20);
        QCOMPARE(bar->value(), bar->maximum());

        bar->setValue(10);
        const QString top =
            table->indexAt({0, 0}).siblingAtColumn(TrafficModel::Command).data().toString();
        appendNumbered(log, 200, 205);
        w.model()->flush();
        QVERIFY(bar->value() < bar->maximum());
        QCOMPARE(table->indexAt({0, 0}).siblingAtColumn(TrafficModel::Command).data().toString(),
                 top);

        bar->setValue(bar->maximum());
        appendNumbered(log, 205, 260);
        w.model()->flush();
        QCOMPARE(bar->value(), bar->maximum());
        const QModelIndex last = table->model()->index(table->model()->rowCount() - 1, 0);
        QVERIFY(table->viewport()->rect().contains(table->visualRect(last).center()));
    }

    // Save As writes the log's CSV; a cancelled dialog writes nothing. A
    // failed save is the app test's.
    void saveAs()
    {
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("traffic.csv"));
        TrafficLog log;
        feed(log, {{"G5", "COK\r"}, {"I13", "0\"a,b\"\r"}});
        CsvSaveDialog::setHandler([&](const QString &) { return path; });
        int messages = 0;
        Messages::setHandler(
            [&](Messages::Icon, const QString &, const QString &, const QString &) { ++messages; });
        frmTraffic w(log);
        w.findChild<QAbstractButton *>(QStringLiteral("cmdSaveAs"))->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), TrafficCsv(log));
        path.clear();
        w.cmdSaveAs_Click();
        CsvSaveDialog::setHandler({});
        Messages::setHandler({});
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
        QCOMPARE(messages, 0);
    }
};

QTEST_MAIN(TestTraffic)
#include "test_traffic.moc"
