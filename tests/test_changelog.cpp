// The change log: what a Download of all cards, a card's Download and the
// Ethernet settings append, and a log that cannot be written, on the
// simulated demo rack.
#include "appfixture.h"
#include "exchange/cardtransfer.h"
#include "exchange/commcardsettings.h"
#include "files/changelog.h"
#include "model/parametercaptions.h"
#include "ui/csvsavedialog.h"
#include "views/frmchangelog.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

// Lines of a written value on the wire: "D..." after an item other than
// the opening select "I1".
int parameterWrites(const QStringList &wire)
{
    int n = 0;
    for (qsizetype j = 1; j < wire.size(); ++j)
        n += wire[j].startsWith(QLatin1Char('D')) && wire[j - 1] != QLatin1String("I1");
    return n;
}

const ChangeEntry *find(const QList<ChangeEntry> &entries, int slot, const QString &item)
{
    for (const ChangeEntry &e : entries)
        if (e.slot == slot && e.item == item)
            return &e;
    return nullptr;
}

} // namespace

class TestChangeLog : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    QString logPath() const { return dir.filePath(QStringLiteral("log.jsonl")); }

private slots:
    void cleanup()
    {
        QFile::remove(logPath());
        CsvSaveDialog::setHandler({});
    }

    void downloadAllCardsLogsEveryParameterWrite()
    {
        AppFixture f;
        ChangeLog log(logPath());
        f.session.changeLog = &log;
        f.connectAndUpload();
        const QString uploaded = f.session.cards[1].par(1).Value;
        f.session.cards[1].par(1).Value = QStringLiteral("5");
        f.session.cards[1].setLimit(LimitState::Off);
        f.window.cmdDownload_Click();

        const QList<ChangeEntry> e = ReadChangeLog(logPath()).entries;
        QCOMPARE(e.size(), parameterWrites(f.wire()));
        const ChangeEntry *zero = find(e, 1, f.session.cards[1].par(1).ItemNo);
        QVERIFY(zero);
        QCOMPARE(zero->model, f.session.cards[1].ModelName);
        QCOMPARE(zero->parameter, ParameterCaption(f.session.cards[1], 1));
        QCOMPARE(zero->old, std::optional<QString>(uploaded));
        QCOMPARE(zero->value, QStringLiteral("5"));
        QCOMPARE(zero->result, ChangeResult::Written);
        QCOMPARE(zero->port, QStringLiteral("COM1 (simulated rack)"));
        QVERIFY(zero->commCard.startsWith(QStringLiteral("V9-XS1")));
        const ChangeEntry *limit = find(e, 1, QStringLiteral("37"));
        QVERIFY(limit);
        QCOMPARE(limit->parameter, QStringLiteral("Limit function"));
        QCOMPARE(limit->old, std::optional<QString>(QStringLiteral("1")));
        QCOMPARE(limit->value, QStringLiteral("0"));

        // The window shows the lines of the slot chosen and saves those.
        f.find<QAction>(QStringLiteral("mnuViewChangeLog"))->trigger();
        auto *view = f.window.findChild<frmChangeLog *>();
        QVERIFY(view);
        view->findChild<QComboBox *>(QStringLiteral("cboSlot"))->setCurrentText("1");
        const int slot1 = static_cast<int>(
            std::count_if(e.begin(), e.end(), [](const ChangeEntry &x) { return x.slot == 1; }));
        QCOMPARE(view->findChild<QTableWidget *>()->rowCount(), slot1);
        const QString csv = dir.filePath(QStringLiteral("log.csv"));
        CsvSaveDialog::setHandler([csv](const QString &) { return csv; });
        view->cmdSaveAs_Click();
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("\r\n"), slot1 + 1);

        // A line cut off (a crash while writing) is not shown, but noted.
        QFile damaged(logPath());
        QVERIFY(damaged.open(QIODevice::Append));
        damaged.write("{\"time\":\"2026-");
        damaged.close();
        view->findChild<QPushButton *>(QStringLiteral("cmdReload"))->click();
        QCOMPARE(view->findChild<QTableWidget *>()->rowCount(), slot1);
        QVERIFY(view->findChild<QLabel *>(QStringLiteral("lblFile"))
                    ->text()
                    .endsWith(QStringLiteral("(1 line could not be read and is not shown)")));
    }

    // The card refuses one value: its line says so, the others are written.
    void cardDownloadLogsARefusedValue_data()
    {
        QTest::addColumn<int>("card");
        QTest::addColumn<QString>("refused");
        QTest::newRow("analog") << 1 << "13";
        QTest::newRow("pulse") << 10 << "15";
    }
    void cardDownloadLogsARefusedValue()
    {
        QFETCH(int, card);
        QFETCH(QString, refused);
        AppFixture f;
        ChangeLog log(logPath());
        f.session.changeLog = &log;
        f.connectAndUpload();
        f.rack->setCardFaults(card, {.refuse = true, .onlyItem = refused.toInt()});
        RackObserver quiet;
        const CardRecord &r = f.session.cards[card];
        const QList<CardWrite> writes =
            card == 10 ? DownloadPulseCard(f.session, card, r.par(2).Value, r.par(8).Value, quiet)
                       : DownloadAnalogCard(f.session, card,
                                            {r.par(1).Value, r.par(2).Value, r.par(3).Value,
                                             r.par(4).Value, r.par(5).Value, r.par(6).Value},
                                            true, quiet);
        const QList<ChangeEntry> e = ReadChangeLog(logPath()).entries;
        QCOMPARE(e.size(), writes.size());
        for (qsizetype i = 0; i < e.size(); ++i) {
            const ChangeResult expected =
                e[i].item == refused ? ChangeResult::Refused : ChangeResult::Written;
            QCOMPARE(e[i].item, writes[i].item);
            QCOMPARE(writes[i].result, expected);
            QCOMPARE(e[i].result, expected);
            QCOMPARE(e[i].old, std::optional<QString>(e[i].value));
        }
        QVERIFY(find(e, card, refused));
    }

    void ethernetDownloadLogsEachSetting()
    {
        AppFixture f;
        ChangeLog log(logPath());
        f.session.changeLog = &log;
        f.connectAndUpload();
        const EthernetUpload read = UploadEthernetSettings(f.session);
        QVERIFY(read.complete);
        EthernetSettings boxes{*read.ip, *read.mask, {}, {}};
        for (std::size_t i = 0; i < 4; ++i) {
            boxes.port[i] = *read.port[i];
            boxes.linger[i] = *read.linger[i];
        }
        boxes.ip[0] = QStringLiteral("77");
        QCOMPARE(DownloadEthernetSettings(f.session, boxes).result, SettingsDownload::Written);

        const QList<ChangeEntry> e = ReadChangeLog(logPath()).entries;
        QCOMPARE(e.size(), parameterWrites(f.wire()));
        const ChangeEntry *ip = find(e, 0, QStringLiteral("59"));
        QVERIFY(ip);
        QCOMPARE(ip->parameter, QStringLiteral("IP Address"));
        QVERIFY(ip->old && ip->old->endsWith(QLatin1Char('.') + read.ip->at(0)));
        QCOMPARE(ip->value, ip->old->section(QLatin1Char('.'), 0, 2) + QStringLiteral(".77"));
        QCOMPARE(ip->result, ChangeResult::Written);
        QCOMPARE(ip->model, QStringLiteral("V9-XS1-A"));
    }

    // No log can be written there (a file stands where its folder would be,
    // which holds even for root): the downloads send what they would send
    // anyway and the window says so once.
    void unwritableLogIsReportedOnce()
    {
        AppFixture f;
        f.connectAndUpload();
        f.window.cmdDownload_Click();
        const QStringList unlogged = f.wire();
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        ChangeLog log(blocker.fileName() + QStringLiteral("/log.jsonl"));
        f.session.changeLog = &log;
        for (int n = 0; n < 2; ++n) {
            f.session.traffic.clear();
            f.window.cmdDownload_Click();
            QCOMPARE(f.wire(), unlogged);
        }
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon, Messages::Icon::Exclamation);
        QCOMPARE(f.messages[0].title, QStringLiteral("Change Log"));
        QVERIFY(f.messages[0].text.contains(log.path()));
    }

    // The window and the command-line tool write to one rack's record.
    void windowAndToolShareTheDefaultLog()
    {
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("V9CON"));
        const QString window = ChangeLog::defaultPath();
        QCoreApplication::setApplicationName(QStringLiteral("v9con-cli"));
        const QString tool = ChangeLog::defaultPath();
        QCoreApplication::setApplicationName(name);
        QCOMPARE(tool, window);
    }
};

QTEST_MAIN(TestChangeLog)
#include "test_changelog.moc"
