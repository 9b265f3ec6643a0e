// File > Compare with File on the demo rack: what the overview marks, what
// the list names, and that nothing goes to the rack or into the table.
#include "appfixture.h"

#include "app/comparecommands.h"
#include "files/parameterfile.h"
#include "ui/filedialogs.h"
#include "views/frmcompare.h"

#include <QLabel>
#include <QTreeWidget>

using Change = std::function<void(CardTable &)>;

class TestCompare : public QObject
{
    Q_OBJECT

    // The slots whose number the overview marks.
    static QList<int> marked(const AppFixture &f)
    {
        QList<int> out;
        for (int i = 1; i <= kCardCount; ++i)
            if (!f.find<QLabel>(QStringLiteral("UnitNo_%1").arg(i))->toolTip().isEmpty())
                out << i;
        return out;
    }

    // Connected and uploaded; the operator then picks `path` to compare with.
    static QString compare(AppFixture &f, const QString &path)
    {
        FileDialogs::setHandler([path](FileDialogs::Mode) { return path; });
        const QByteArray before = ParameterFileText(f.session.cards);
        f.window.mnuFilesCompare_Click();
        FileDialogs::setHandler({});
        // Read only: the rack hears nothing and the table stays as it was.
        if (!f.wire().isEmpty())
            return QStringLiteral("sent: ") + f.wire().join(QLatin1Char(' '));
        if (ParameterFileText(f.session.cards) != before)
            return QStringLiteral("the table changed");
        return {};
    }

private slots:
    void compare_data()
    {
        QTest::addColumn<Change>("change"); // none: a damaged file
        QTest::addColumn<QList<int>>("marks");
        // "slot|field|note|parameter" of the one row listed, or ""
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("summary");

        QTest::newRow("equal") << Change([](CardTable &) {}) << QList<int>{} << QString()
                               << "No differences in settings";
        QTest::newRow("one setting")
            << Change([](CardTable &t) { t[5].par(2).Value = QStringLiteral("7777"); })
            << QList<int>{5} << "05|Full scale, Ch. 1 (parameter 2, item 14)||2"
            << "1 setting differs from rack.uJx";
        QTest::newRow("a pulse count only")
            << Change([](CardTable &t) { t[10].par(1).Value = QStringLiteral("99999"); })
            << QList<int>{}
            << "10|Count, Ch. 1 (parameter 1, item 10)|live value, information only|1"
            << "No differences in settings";
        QTest::newRow("damaged") << Change() << QList<int>{} << QString() << QString();
    }

    void compare()
    {
        QFETCH(Change, change);
        QFETCH(QList<int>, marks);
        QFETCH(QString, row);
        QFETCH(QString, summary);
        AppFixture f;
        f.connectAndUpload();
        QTemporaryDir dir;
        CardTable file = f.session.cards;
        const QString path = dir.filePath(QStringLiteral("rack.uJx"));
        if (change) {
            change(file);
            QCOMPARE(WriteParameterFile(file, path).reason(), QString());
        } else {
            QFile damaged(path);
            QVERIFY(damaged.open(QIODevice::WriteOnly));
            damaged.write("XD1-K,1.20\r\nnot a parameter file\r\n");
        }

        QCOMPARE(compare(f, path), QString());
        QCOMPARE(marked(f), marks);
        frmCompare *w = f.window.compareCommands().window();
        if (!change) {
            QCOMPARE(f.messages.size(), 1);
            QCOMPARE(f.messages[0].text, OpenParameterFile(path).reason());
            QVERIFY(!w);
            return;
        }
        QVERIFY(w);
        QCOMPARE(w->lblSummary()->text(), summary);
        QTreeWidget *list = w->lstDifferences();
        QCOMPARE(list->topLevelItemCount(), row.isEmpty() ? 0 : 1);
        if (!row.isEmpty()) {
            const QStringList want = row.split(QLatin1Char('|'));
            const QTreeWidgetItem *item = list->topLevelItem(0);
            QCOMPARE(item->text(0), want[0]);
            QVERIFY2(item->text(1).contains(want[1]), qPrintable(item->text(1)));
            QCOMPARE(item->text(2), file[want[0].toInt()].par(want[3].toInt()).Value);
            QCOMPARE(item->text(4), want[2]);
        }

        // The next upload is a new table: the marks and the list of the old one go.
        QVERIFY(w->isVisible());
        f.window.cmdUpload_Click();
        QCOMPARE(marked(f), QList<int>{});
        QVERIFY(!w->isVisible());
    }

    // A slot whose models differ is that one difference: field by field,
    // the rack card's values would be named by the file model's captions.
    void otherModelIsOneDifference()
    {
        CardTable file;
        ResetCardTable(file);
        ClassifyCard(file, 3, QStringLiteral("XD1-K"));
        ClassifyCard(file, 5, QStringLiteral("XA1-00"));
        CardTable rack = file;
        ClassifyCard(rack, 3, QStringLiteral("XA1-00"));
        rack[3].par(2).Value = QStringLiteral("7777");
        rack[5].par(2).Value = QStringLiteral("7777");
        ClassifyCard(rack, 7, QStringLiteral("XD1-K"));

        QStringList listed;
        for (const Difference &d : CompareTables(file, rack))
            listed << QStringLiteral("%1|%2|%3|%4")
                          .arg(QString::number(d.slot), d.field, d.fileValue, d.rackValue);
        QCOMPARE(listed.size(), 3);
        QCOMPARE(listed[0], QStringLiteral("3|Model|XD1-K|XA1-00"));
        QVERIFY2(listed[1].startsWith(QStringLiteral("5|Full scale")), qPrintable(listed[1]));
        QCOMPARE(listed[2], QStringLiteral("7|Model|%1|XD1-K").arg(file[7].ModelName));
    }
};

QTEST_MAIN(TestCompare)
#include "test_compare.moc"
