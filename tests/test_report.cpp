// The rack report of the demo rack, written by the tool's report command
// in-process: every occupied slot and every parameter with its value, in
// the HTML and in the PDF's text; refused files leave nothing behind.
#include "files/savefile.h"
#include "inprocesscli.h"
#include "model/parametercaptions.h"
#include "report/rackreport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

namespace {

bool occupied(const CardRecord &r)
{
    return !r.ModelName.isEmpty() && r.ModelName != QLatin1String("NONE");
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The PDF's text with its layout, pages split at form feeds; empty when
// pdftotext (poppler-utils) is not installed.
QStringList pdfPages(const QString &path)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        return {};
    QProcess p;
    p.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {QStringLiteral("pdftotext failed")};
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (pages.size() > 1 && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The text from slot n's heading up to the next slot's.
QString section(const QString &text, int slot)
{
    const qsizetype from = text.indexOf(QStringLiteral("Slot %1: ").arg(slot));
    const QRegularExpression next(QStringLiteral("Slot \\d+: "));
    const QRegularExpressionMatch m = next.match(text, from + 1);
    return from < 0 ? QString() : text.mid(from, m.hasMatch() ? m.capturedStart() - from : -1);
}

// The value of a field row of a slot's card table, or a null string.
QString field(const QString &html, const QString &label)
{
    const QRegularExpression re(
        QStringLiteral(">%1</th><td>([^<]*)</td>").arg(QRegularExpression::escape(label)));
    const QRegularExpressionMatch m = re.match(html);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The cells of a parameter row, markup dropped: value and range.
QStringList cellsOf(const QString &html, const QString &caption)
{
    const QRegularExpression re(QStringLiteral("<td>%1</td><td>(.*?)</td><td>(.*?)</td>")
                                    .arg(QRegularExpression::escape(caption.toHtmlEscaped())));
    const QRegularExpressionMatch m = re.match(html);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    return m.hasMatch() ? QStringList{m.captured(1).remove(tags), m.captured(2).remove(tags)}
                        : QStringList{};
}

QString valueOf(const QString &html, const QString &caption)
{
    return cellsOf(html, caption).value(0);
}

CardTable oneCard(const QString &model, std::array<int, 2> aux)
{
    CardTable cards;
    ResetCardTable(cards);
    ClassifyCard(cards, 1, model);
    cards[1].AuxSetting = aux;
    return cards;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void htmlHoldsEverySlotAndParameter();
    void pdfTextHoldsTheSameValues();
    void rangeSettingRows_data();
    void rangeSettingRows();
    void valueOutsideItsRange_data();
    void valueOutsideItsRange();
    void pdfPagesKeepSlotsWholeAndNameTheRack();
    void differencesOfAComparison();
    void commSettingsReadThisSession();
    void refusedFileLeavesNothing_data();
    void refusedFileLeavesNothing();

private:
    QTemporaryDir m_dir;
};

void TestReport::htmlHoldsEverySlotAndParameter()
{
    InProcess r;
    const QString path = m_dir.filePath(QStringLiteral("rack.html"));
    QCOMPARE(r.run({QStringLiteral("report"), QStringLiteral("-o"), path}), 0);
    const QString html = QString::fromUtf8(readAll(path));
    QVERIFY(html.contains(QStringLiteral("COM1 (simulated rack)")));
    QVERIFY(html.contains(QStringLiteral("V9-XS1-A")));
    int cards = 0;
    int parameters = 0;
    for (int slot = 1; slot <= kCardCount; ++slot) {
        const CardRecord &card = r.session.cards[slot];
        const QString part = section(html, slot);
        QCOMPARE(part.isEmpty(), !occupied(card));
        if (part.isEmpty())
            continue;
        ++cards;
        QVERIFY2(part.contains(card.ModelName), qPrintable(card.ModelName));
        for (int k = 1; k <= 12; ++k) {
            const QString caption = ParameterCaption(card, k);
            if (caption.isEmpty())
                continue;
            ++parameters;
            QVERIFY2(valueOf(part, caption).startsWith(card.par(k).Value),
                     qPrintable(QStringLiteral("slot %1: %2").arg(slot).arg(caption)));
        }
    }
    QCOMPARE(cards, 15);
    QVERIFY(parameters > 40);
}

void TestReport::pdfTextHoldsTheSameValues()
{
    InProcess r;
    const QString path = m_dir.filePath(QStringLiteral("rack.pdf"));
    QCOMPARE(r.run({QStringLiteral("report"), QStringLiteral("-o"), path}), 0);
    QVERIFY(readAll(path).startsWith("%PDF"));
    const QString text = pdfPages(path).join(QLatin1Char('\n'));
    if (text.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF's text cannot be read");
    for (int slot = 1; slot <= kCardCount; ++slot) {
        const CardRecord &card = r.session.cards[slot];
        const QString part = section(text, slot);
        QCOMPARE(part.isEmpty(), !occupied(card));
        if (part.isEmpty())
            continue;
        QVERIFY(part.contains(card.ModelName));
        // A table row is one line: caption, value and range in their columns.
        const QStringList lines = part.split(QLatin1Char('\n'));
        for (int k = 1; k <= 12; ++k) {
            const QString caption = ParameterCaption(card, k);
            if (caption.isEmpty())
                continue;
            const auto line = std::find_if(lines.cbegin(), lines.cend(), [&](const QString &l) {
                return l.trimmed().startsWith(caption + QLatin1String("  "));
            });
            QVERIFY2(line != lines.cend(), qPrintable(caption));
            const QStringList columns =
                line->trimmed().split(QRegularExpression(QStringLiteral("\\s{2,}")));
            // A value outside its range is marked.
            const QString value = columns.value(1);
            QVERIFY2(value == card.par(k).Value ||
                         value.startsWith(card.par(k).Value + QLatin1String(" (outside")),
                     qPrintable(value));
        }
    }
}

// The transformer kinds' range settings choose their base ranges, so they
// are printed beside them as read; other kinds have none.
void TestReport::rangeSettingRows_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("aux0");
    QTest::addColumn<int>("aux1");
    QTest::addColumn<QStringList>("rows"); // label=value, "label=" for none
    QTest::addColumn<QString>("fullBase"); // Full base, Ch. 1's range
    QTest::newRow("one setting, kind 18")
        << "XN1-5" << 1 << -1 << QStringList{"Range setting=1", "Range setting, Ch. 1="}
        << "0.00 to 150.00";
    QTest::newRow("one setting, kind 32")
        << "XPB1-0" << 3 << -1 << QStringList{"Range setting=3"} << "0.00 to 100.00";
    QTest::newRow("two settings, kind 31")
        << "XPA2-0" << 1 << 2
        << QStringList{"Range setting, Ch. 1=1", "Range setting, Ch. 2=2", "Range setting="}
        << "0.00 to 300.00";
    QTest::newRow("not read") << "XN1-5" << -1 << -1 << QStringList{"Range setting=not read"}
                              << "0.00 to 300.00";
    QTest::newRow("voltage card") << "XA1-00" << 1 << 2
                                  << QStringList{"Range setting=", "Range setting, Ch. 1="} << "";
}

void TestReport::rangeSettingRows()
{
    QFETCH(QString, model);
    QFETCH(int, aux0);
    QFETCH(int, aux1);
    QFETCH(QStringList, rows);
    QFETCH(QString, fullBase);
    const CardTable cards = oneCard(model, {aux0, aux1});
    const QString html = RackReport(cards, {}).html();
    for (const QString &r : rows) {
        const QString label = r.section(QLatin1Char('='), 0, 0);
        const QString value = r.section(QLatin1Char('='), 1);
        QCOMPARE(field(html, label), value);
    }
    QCOMPARE(cellsOf(html, QStringLiteral("Full base, Ch. 1")).value(1), fullBase);
}

// A number outside the range printed beside it is marked, visibly; a text
// that is no number, or a parameter without a range, is printed as it is.
void TestReport::valueOutsideItsRange_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("aux");
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("marked");
    QTest::newRow("zero scale above") << "XA1-00" << -1 << 1 << "32001" << true;
    QTest::newRow("zero scale at the low end") << "XA1-00" << -1 << 1 << "-32000" << false;
    QTest::newRow("bias below") << "XA1-00" << -1 << 3 << " -320.5" << true;
    QTest::newRow("gain at the end, fewer decimals") << "XA1-00" << -1 << 4 << "3.2" << false;
    QTest::newRow("not a number") << "XA1-00" << -1 << 1 << "99999x" << false;
    QTest::newRow("nan") << "XA1-00" << -1 << 1 << "nan" << false;
    QTest::newRow("no range shown") << "XA1-00" << -1 << 6 << "99999" << false;
    QTest::newRow("full base, setting 150") << "XN1-5" << 1 << 6 << "200" << true;
    QTest::newRow("full base, setting 300") << "XN1-5" << 0 << 6 << "200" << false;
    QTest::newRow("thermocouple base") << "XD1-K" << -1 << 5 << "-271" << true;
}

void TestReport::valueOutsideItsRange()
{
    QFETCH(QString, model);
    QFETCH(int, aux);
    QFETCH(int, slot);
    QFETCH(QString, value);
    QFETCH(bool, marked);
    CardTable cards = oneCard(model, {aux, -1});
    cards[1].par(slot).Value = value;
    const RackReport report(cards, {});
    const QString html = report.html();
    const QString mark = value.toHtmlEscaped() + QStringLiteral(" (outside range)");
    QCOMPARE(html.contains(mark), marked);
    QCOMPARE(html.count(QStringLiteral("(outside range)")), marked ? 1 : 0);
    if (!marked)
        return;
    const auto doc = report.document();
    const QTextCursor found = doc->find(value.trimmed() + QStringLiteral(" (outside range)"));
    QVERIFY(!found.isNull());
    QVERIFY(found.charFormat().fontWeight() > QFont::Normal);
}

// Every page names the rack, the report's date and its number, and says
// the table is incomplete when it is; a slot is never split from its table;
// a part longer than a page starts on a fresh one and loses no row.
void TestReport::pdfPagesKeepSlotsWholeAndNameTheRack()
{
    InProcess r;
    QCOMPARE(r.run({QStringLiteral("upload"), QStringLiteral("-o"),
                    m_dir.filePath(QStringLiteral("pages.uJx"))}),
             0);
    ReportHeader header;
    header.created = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
    header.port = QStringLiteral("COM3 (test rack)");
    header.commModel = QStringLiteral("V9-XS1-A");
    header.incomplete = QStringLiteral("upload cancelled after slot 2");
    header.partialSlot = 2;
    QList<Difference> differences;
    for (int i = 1; i <= 150; ++i)
        differences.append({1 + i % 16, QStringLiteral("row %1").arg(i, 3, 10, QLatin1Char('0')),
                            QStringLiteral("a"), QStringLiteral("b")});
    const QString path = m_dir.filePath(QStringLiteral("pages.pdf"));
    QCOMPARE(RackReport(r.session.cards, header, differences).save(path).reason(), QString());
    const QStringList pages = pdfPages(path);
    if (pages.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF's text cannot be read");
    QVERIFY2(pages.size() > 3, qPrintable(pages.value(0)));

    const QString incomplete = QStringLiteral("Incomplete: upload cancelled after slot 2");
    const auto running = [&](const QString &line) {
        return line.contains(header.port) || line.contains(incomplete) || line.trimmed().isEmpty();
    };
    QSet<int> slotsSeen;
    QSet<QString> rowsSeen;
    for (qsizetype n = 0; n < pages.size(); ++n) {
        const QString &page = pages.at(n);
        const QString where = QStringLiteral("page %1").arg(n + 1);
        QVERIFY2(page.contains(QStringLiteral("Page %1 of %2").arg(n + 1).arg(pages.size())),
                 qPrintable(where));
        for (const QString &fact : {header.port, QStringLiteral("2024-05-06 07:08:09"), incomplete})
            QVERIFY2(page.contains(fact), qPrintable(where + QLatin1String(": ") + fact));
        for (int slot = 1; slot <= kCardCount; ++slot) {
            const QString heading = section(page, slot);
            if (heading.isEmpty())
                continue;
            QVERIFY2(!slotsSeen.contains(slot), qPrintable(heading));
            slotsSeen.insert(slot);
            const CardRecord &card = r.session.cards[slot];
            QVERIFY(heading.contains(QStringLiteral("Model")));
            for (int k = 1; k <= 12; ++k)
                QVERIFY2(heading.contains(ParameterCaption(card, k)),
                         qPrintable(QStringLiteral("slot %1 on %2: %3")
                                        .arg(slot)
                                        .arg(where, ParameterCaption(card, k))));
        }
        static const QRegularExpression row(QStringLiteral("row \\d{3}"));
        for (const QRegularExpressionMatch &m : row.globalMatch(page)) {
            QVERIFY2(!rowsSeen.contains(m.captured()), qPrintable(m.captured()));
            rowsSeen.insert(m.captured());
        }
        const QStringList lines = page.split(QLatin1Char('\n'));
        const auto heading = std::find_if(lines.cbegin(), lines.cend(), [](const QString &l) {
            return l.contains(QLatin1String("Differences from"));
        });
        if (heading != lines.cend())
            QVERIFY2(std::all_of(lines.cbegin(), heading, running), qPrintable(page));
    }
    QCOMPARE(slotsSeen.size(), 15);
    QCOMPARE(rowsSeen.size(), 150);
    // In the running header and again at the top of the report's header.
    QCOMPARE(pages.at(0).count(incomplete), 2);
    QVERIFY(pages.at(0).contains(
        QStringLiteral("Communication card settings: not read (an Upload does not read them)")));
    QVERIFY(pages.join(QString()).contains(
        QStringLiteral("Slot 2: XD2-K (partly read: values may be missing)")));
}

void TestReport::differencesOfAComparison()
{
    CardTable cards;
    ResetCardTable(cards);
    const QString heading = QStringLiteral("Differences from");
    QVERIFY(!RackReport(cards, {}).html().contains(heading));
    const QString html =
        RackReport(cards, {},
                   QList<Difference>{{1, QStringLiteral("parameter 2"), QStringLiteral("11000"),
                                      QStringLiteral("12000")}})
            .html();
    QVERIFY(html.contains(heading));
    QVERIFY(html.contains(
        QStringLiteral("<td>1</td><td>parameter 2</td><td>11000</td><td>12000</td>")));
}

// The settings the Ethernet and time-out windows read go into the header,
// the address first octet first, when they were read; a communication card
// whose settings were not read says so in their place.
void TestReport::commSettingsReadThisSession()
{
    CardTable cards;
    ResetCardTable(cards);
    ReportHeader none;
    none.commSettingsRead = true;
    AddCommSettings(none, {});
    QVERIFY(!RackReport(cards, none).html().contains(QStringLiteral("IP address")));
    ReportHeader header;
    header.created = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
    AddCommSettings(header, {{"09", "300"},
                             {"59", "192.168.0.1"},
                             {"60", "255.255.255.0"},
                             {"61", "5001"},
                             {"64", "5004"},
                             {"71", "10"}});
    const QString notRead =
        QStringLiteral("Communication card settings: not read (an Upload does not read them)");
    struct Case
    {
        bool read;
        const char *model;
        bool shown;
        bool saysNotRead;
    };
    for (const Case c : {Case{true, "V9-XS1-A", true, false}, Case{false, "V9-XS1-A", false, true},
                         Case{false, "", false, false}}) {
        header.commSettingsRead = c.read;
        header.commModel = QLatin1String(c.model);
        const QString html = RackReport(cards, header).html();
        for (const char *value :
             {"300", "192.168.0.1", "255.255.255.0", "5001, , , 5004", "10, , , "})
            QVERIFY2(html.contains(QLatin1String(value)) == c.shown, value);
        QCOMPARE(html.contains(notRead), c.saysNotRead);
    }
}

void TestReport::refusedFileLeavesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("says");
    QTest::newRow("unknown extension") << "rack.txt" << false << ".pdf, .html or .htm";
    QTest::newRow("full disk, pdf") << "full.pdf" << true << "No space left";
    QTest::newRow("full disk, html") << "full.html" << true << "No space left";
}

void TestReport::refusedFileLeavesNothing()
{
    QFETCH(QString, name);
    QFETCH(bool, fullDisk);
    QFETCH(QString, says);
    const QString path = m_dir.filePath(name);
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old report");
    }
    CardTable cards;
    ResetCardTable(cards);
    ClassifyCard(cards, 1, QStringLiteral("XA1-00"));
    SaveFileFault::set(fullDisk ? SaveFileFault::Step::Write : SaveFileFault::Step::None);
    const QString error = RackReport(cards, {}).save(path).reason();
    SaveFileFault::set(SaveFileFault::Step::None);
    QVERIFY2(error.contains(says), qPrintable(error));
    QCOMPARE(readAll(path), QByteArray("old report"));
}

QTEST_MAIN(TestReport)
#include "test_report.moc"
