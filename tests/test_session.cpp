// What hangs on the card table and the link, through the main window: the
// report, the comparison, the title and the overview describe the table
// and the rack as they are now, not as an earlier rack, file or operation
// left them.
#include "appfixture.h"

#include "app/cardwindows.h"
#include "app/comparecommands.h"
#include "app/options.h"
#include "editors/frmsetmodel.h"
#include "exchange/commcardsettings.h"
#include "files/parameterfile.h"
#include "monitor/frmoverview.h"
#include "ui/filedialogs.h"
#include "views/frmcompare.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The report of the table as it stands, as HTML text.
QString reportOf(AppFixture &f, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("report.html"));
    QFile::remove(path);
    FileDialogs::setHandler([path](FileDialogs::Mode) { return path; });
    f.find<QAction>(QStringLiteral("mnuFilesReport"))->trigger();
    FileDialogs::setHandler({});
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void chooseFile(const QString &path)
{
    FileDialogs::setHandler([path](FileDialogs::Mode) { return path; });
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        FileDialogs::setHandler({});
        Messages::setQuestionHandler({});
    }

    // Rack A's time-out and address, set on its link, are not rack B's: a
    // report after B's upload says they were not read.
    void reportNamesOnlyThisRacksSettings()
    {
        QTemporaryDir dir;
        AppFixture f;
        f.connectAndUpload();
        QCOMPARE(DownloadCommTimeout(f.session, QStringLiteral("450")).result,
                 SettingsDownload::Written);
        EthernetSettings net{{"77", "0", "168", "192"},
                             {"0", "255", "255", "255"},
                             {"5001", "5002", "5003", "5004"},
                             {"10", "10", "0", "0"}};
        QCOMPARE(DownloadEthernetSettings(f.session, net).result, SettingsDownload::Written);
        QString report = reportOf(f, dir);
        QVERIFY(report.contains(QStringLiteral("450")));
        QVERIFY(report.contains(QStringLiteral("192.168.0.77")));

        f.window.mnuConnectDisconnect_Click();
        // Another rack behind the same port.
        f.rack->setItemValue(0, 9, QStringLiteral("100"));
        f.rack->setItemValue(0, 59, QStringLiteral("10.0.0.5"));
        f.connectAndUpload();
        report = reportOf(f, dir);
        QVERIFY(!report.contains(QStringLiteral("450")));
        QVERIFY(!report.contains(QStringLiteral("192.168.0.77")));
        QVERIFY(report.contains(QStringLiteral("not read")));
    }

    // A comparison describes the table it was made of: once the operator
    // stores an edit and downloads the card, the frames, the list and the
    // report's differences go.
    void comparisonGoesWhenTheTableChanges()
    {
        QTemporaryDir dir;
        AppFixture f;
        f.connectAndUpload();
        CardTable file = f.session.cards;
        file[1].par(1).Value = QStringLiteral("100");
        const QString path = dir.filePath(QStringLiteral("rack.uJx"));
        QCOMPARE(WriteParameterFile(file, path).reason(), QString());
        chooseFile(path);
        f.window.mnuFilesCompare_Click();
        QVERIFY(!f.find<QLabel>(QStringLiteral("UnitNo_1"))->toolTip().isEmpty());
        QVERIFY(reportOf(f, dir).contains(QStringLiteral("Differences")));

        f.find<QComboBox>(QStringLiteral("cboCardNo"))->setCurrentText(QStringLiteral("01"));
        auto *box = f.find<QLineEdit>(QStringLiteral("txtZScale01"));
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("100"));
        f.session.traffic.clear();
        f.window.cardWindows()
            .setModel()
            ->findChild<QPushButton *>(QStringLiteral("cmdDown"))
            ->click();
        QCOMPARE(f.session.cards[1].par(1).Value, QStringLiteral("100"));
        QVERIFY(f.find<QLabel>(QStringLiteral("UnitNo_1"))->toolTip().isEmpty());
        QVERIFY(!f.window.compareCommands().window()->isVisible());
        QVERIFY(!reportOf(f, dir).contains(QStringLiteral("Differences")));
    }

    // The main window's Upload asks before it replaces an editor's unsent
    // edits; "No" leaves the edit and the line alone.
    void uploadAsksBeforeDroppingEdits()
    {
        AppFixture f;
        f.connectAndUpload();
        f.find<QComboBox>(QStringLiteral("cboCardNo"))->setCurrentText(QStringLiteral("01"));
        auto *box = f.find<QLineEdit>(QStringLiteral("txtZScale01"));
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("555"));
        f.session.traffic.clear();
        QStringList asked;
        bool answer = false;
        Messages::setQuestionHandler([&](const QString &, const QString &text) {
            asked << text;
            return answer;
        });
        f.window.cmdUpload_Click();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].startsWith(QStringLiteral("Slot 1 has edits not yet written")));
        QVERIFY(f.wire().isEmpty());
        QCOMPARE(box->text(), QStringLiteral("555"));
        answer = true;
        f.window.cmdUpload_Click();
        QCOMPARE(asked.size(), 2);
        QVERIFY(f.wire().contains(QStringLiteral("G16")));
    }

    // The title names a file only while the table is that file's; the
    // overview keeps nothing of a card no longer in its slot.
    void titleAndOverviewFollowTheTable()
    {
        QTemporaryDir dir;
        AppFixture f;
        f.connectAndUpload();
        f.find<QComboBox>(QStringLiteral("cboCardNo"))->setCurrentText(QStringLiteral("01"));
        QWidget *editor = f.window.cardWindows().setModel()->parentWidget();
        QVERIFY(!editor->isHidden());
        const QString path = dir.filePath(QStringLiteral("rack.uJx"));
        chooseFile(path);
        f.window.mnuFilesSave_Click();
        QCOMPARE(f.window.windowTitle(), QStringLiteral("V9CON - rack.uJx"));
        f.window.mnuFilesOpen_Click();
        QCOMPARE(f.window.windowTitle(), QStringLiteral("V9CON - rack.uJx"));
        // The discrete card goes from its slot.
        QVERIFY(!f.window.overview()->lblDIDataCh(1, 13)->isHidden());
        f.rack->removeCard(13);
        f.window.cmdUpload_Click();
        QCOMPARE(f.window.windowTitle(), QStringLiteral("V9CON"));
        // The editor of the card shown before went with the selection.
        QVERIFY(editor->isHidden());
        for (int ch = 1; ch <= 16; ++ch)
            QVERIFY(f.window.overview()->lblDIDataCh(ch, 13)->isHidden());
        QVERIFY(!f.window.overview()->lblInputDataCh1(13)->isHidden());
    }

    // A long list under a message stays on the screen: its first lines
    // show, all of it is in the details.
    void longListGoesUnderDetails()
    {
        AppFixture f;
        Messages::setHandler({});
        QStringList lines;
        for (int i = 1; i <= 75; ++i)
            lines << QStringLiteral("Card %1 (XD1-K): Zero scale, Ch. 1, sent \"0\"").arg(i);
        QString details;
        int height = 0;
        f.onModal([&](QWidget *dialog) {
            auto *box = qobject_cast<QMessageBox *>(dialog);
            QVERIFY(box);
            details = box->detailedText();
            height = box->sizeHint().height();
            box->accept();
        });
        Messages::show(&f.window, Messages::Icon::Exclamation, QStringLiteral("Downloading"),
                       QStringLiteral("Download finished: 75 writes refused."),
                       lines.join(QLatin1Char('\n')));
        QVERIFY(!f.modalTimedOut);
        QCOMPARE(details, lines.join(QLatin1Char('\n')));
        QVERIFY2(height < 600, qPrintable(QString::number(height)));
    }

    // A change log named on the command line is where the operator stood,
    // not in the program's folder, which start-up makes the current one.
    void changeLogNamedOnTheCommandLineStaysPut()
    {
        const QString here = QDir::current().absoluteFilePath(QStringLiteral("log.jsonl"));
        QCOMPARE(
            parseOptions({QStringLiteral("--change-log"), QStringLiteral("log.jsonl")}).changeLog,
            here);
    }

    // While a settings window of the communication card is open, it owns
    // the link: nothing of the main window can start an operation.
    void settingsWindowKeepsTheOtherCommandsOff()
    {
        AppFixture f;
        f.connectAndUpload();
        QStringList on;
        f.onModal([&](QWidget *dialog) {
            for (const char *name : {"cmdUpload", "cmdDownload", "cmdStart", "cmdEther"})
                if (f.enabled(name))
                    on << QLatin1String(name);
            // Closed once its opening read has let go of the line.
            auto *retry = new QTimer(dialog);
            QObject::connect(retry, &QTimer::timeout, dialog,
                             [dialog] { qobject_cast<QDialog *>(dialog)->reject(); });
            retry->start(10);
        });
        f.window.cmdComSet_Click();
        QVERIFY(!f.modalTimedOut);
        QCOMPARE(on, QStringList());
        QVERIFY(f.enabled("cmdUpload"));
    }
};

QTEST_MAIN(TestSession)
#include "test_session.moc"
