// The change log: what a Download of all cards, a card's Download and the
// Ethernet settings append, and a log that cannot be written, on the
// simulated demo rack.
#include "appfixture.h"
#include "exchange/cardtransfer.h"
#include "exchange/commcardsettings.h"
#include "files/changelog.h"
#include "files/savefile.h"
#include "model/parametercaptions.h"
#include "ui/csvsavedialog.h"
#include "views/frmchangelog.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <csignal>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

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

// Until the window has read the log in the background.
bool waitLoaded(frmChangeLog *view)
{
    return !view->isLoading() || QSignalSpy(view, &frmChangeLog::loaded).wait(10000);
}

int rows(const frmChangeLog *view)
{
    return view->findChild<QTableView *>(QStringLiteral("tblChangeLog"))->model()->rowCount();
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
        f.session.cards[1].Limit = LimitState::Off;
        f.window.cmdDownload_Click();

        const QList<ChangeEntry> e = ReadChangeLog(logPath())->entries;
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
        QVERIFY(waitLoaded(view));
        view->findChild<QComboBox *>(QStringLiteral("cboSlot"))->setCurrentText("1");
        const int slot1 = static_cast<int>(
            std::count_if(e.begin(), e.end(), [](const ChangeEntry &x) { return x.slot == 1; }));
        QCOMPARE(rows(view), slot1);
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
        QVERIFY(waitLoaded(view));
        QCOMPARE(rows(view), slot1);
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
        const QList<ChangeEntry> e = ReadChangeLog(logPath())->entries;
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

        const QList<ChangeEntry> e = ReadChangeLog(logPath())->entries;
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

    // The disk runs full while lines are appended, as the kernel makes it
    // run full for a file size limit (any user) and for a small tmpfs
    // (root): every line is whole or not there, the next one after the
    // space comes back is readable, and the messages name the system's
    // reason. A line that an earlier run cut off is ended first.
    void fullDiskLeavesNoPartOfALine_data()
    {
        QTest::addColumn<bool>("tmpfs");
        QTest::addColumn<QString>("reason");
        QTest::newRow("file size limit") << false << "File too large";
        QTest::newRow("full tmpfs") << true << "No space left on device";
    }
    void fullDiskLeavesNoPartOfALine()
    {
#ifdef Q_OS_LINUX
        QFETCH(bool, tmpfs);
        QFETCH(QString, reason);
        QTemporaryDir disk;
        const QByteArray at = QFile::encodeName(disk.path());
        if (tmpfs &&
            (::geteuid() != 0 || ::mount("tmpfs", at.constData(), "tmpfs", 0, "size=64k") != 0))
            QSKIP("a small tmpfs cannot be mounted here");
        struct Unmount
        {
            QByteArray at;
            ~Unmount()
            {
                if (!at.isEmpty())
                    ::umount2(at.constData(), MNT_DETACH);
            }
        } unmount{tmpfs ? at : QByteArray()};
        const QString path = disk.filePath(QStringLiteral("log.jsonl"));
        {
            QFile cut(path);
            QVERIFY(cut.open(QIODevice::WriteOnly));
            cut.write("{\"time\":\"2026-");
        }
        ChangeLog log(path);
        ChangeEntry entry;
        entry.parameter = QString(200, QLatin1Char('p'));

        // Full: the rest of the tmpfs taken by a filler, or a size limit
        // a little above the log's size.
        QFile filler(disk.filePath(QStringLiteral("filler")));
        rlimit limit{};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit unlimited = limit;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        if (tmpfs) {
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size()) {
            }
            filler.close();
        } else {
            limit.rlim_cur = 5000;
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        }
        int appended = 0;
        qint64 before = 0;
        for (; appended < 1000; ++appended) {
            before = QFileInfo(path).size();
            if (!log.append(entry))
                break;
        }
        const QString failure = log.takeFailure();
        // Below the size of the CSV too.
        limit.rlim_cur = 1000;
        QVERIFY(tmpfs || ::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        const QString csv = disk.filePath(QStringLiteral("log.csv"));
        const QString csvError = SaveChangeLogCsv(path, csv).reason();
        // Room for part of a file, which Qt 6.4 reports as "Unknown error".
        QVERIFY(!tmpfs || filler.resize(filler.size() - 8192));
        const QString wholeError = SaveWholeFile(csv, QByteArray(100000, 'x')).reason();
        if (tmpfs)
            filler.remove();
        else
            ::setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, previous);

        QVERIFY(appended > 0 && appended < 1000);
        QVERIFY2(failure.contains(QStringLiteral(": ") + reason + QLatin1Char('\n')),
                 qPrintable(failure));
        QCOMPARE(QFileInfo(path).size(), before);
        const QString csvSays =
            QStringLiteral("Could not save %1: %2").arg(QDir::toNativeSeparators(csv), reason);
        QCOMPARE(csvError, csvSays);
        QCOMPARE(wholeError, csvSays);
        QVERIFY(!QFile::exists(csv));

        QVERIFY(log.append(entry));
        const ChangeLogRead read = ReadChangeLog(path).valueOr({});
        QCOMPARE(read.entries.size(), appended + 1);
        QCOMPARE(read.skipped, 1);
        QCOMPARE(read.entries.last().parameter, entry.parameter);
#else
        QSKIP("file size limits and tmpfs are set up here for Linux only");
#endif
    }

    // A damaged line is never taken for an entry, however much of one it
    // holds: the window counts it and shows and saves the others only.
    void damagedLinesAreCountedNeverShown()
    {
        ChangeEntry entry;
        entry.time =
            QDateTime::fromString(QStringLiteral("2025-03-14T10:21:07+01:00"), Qt::ISODate);
        entry.slot = 16;
        entry.model = QStringLiteral("XD1-K");
        entry.parameter = QStringLiteral("the card is an XL2-0, not an XD1-K");
        entry.item = QStringLiteral("13");
        entry.value = QStringLiteral("5");
        entry.result = ChangeResult::NotWritten;
        const QByteArray good = ChangeLogLine(entry);
        const std::optional<ChangeEntry> parsed = ParseChangeLogLine(good);
        QVERIFY(parsed);
        QCOMPARE(ChangeLogLine(*parsed), good);

        const auto with = [&](const char *from, const char *to) {
            QByteArray line = good;
            return line.replace(from, to);
        };
        const QByteArray damaged[] = {
            "{\"result\":\"written\"}",
            "[\"written\"]",
            with("\"slot\":16", "\"slot\":\"16\""),
            with("\"slot\":16", "\"slot\":17"),
            with("\"slot\":16", "\"slot\":-1"),
            with("\"slot\":16", "\"slot\":1.5"),
            with("\"slot\":16,", ""),
            with("\"time\":\"2025-03-14T10:21:07+01:00\"", "\"time\":\"yesterday\""),
            with("\"port\":\"\",", ""),
            with("\"item\":\"13\"", "\"item\":13"),
            with("\"old\":null", "\"old\":5"),
            with("\"old\":null,", ""),
            with("\"new\":\"5\"", "\"new\":null"),
            with("\"not written\"", "\"done\""),
        };
        QFile file(logPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (const QByteArray &line : damaged) {
            QVERIFY2(!ParseChangeLogLine(line), line.constData());
            file.write(line + "\n" + good + "\n");
        }
        file.close();

        frmChangeLog view([this] { return logPath(); });
        QVERIFY(waitLoaded(&view));
        const int n = static_cast<int>(std::size(damaged));
        QCOMPARE(rows(&view), n);
        QVERIFY(
            view.findChild<QLabel *>(QStringLiteral("lblFile"))
                ->text()
                .endsWith(QStringLiteral("(%1 lines could not be read and are not shown)").arg(n)));
        const QString csv = dir.filePath(QStringLiteral("log.csv"));
        CsvSaveDialog::setHandler([csv](const QString &) { return csv; });
        view.cmdSaveAs_Click();
        QByteArray expected = "time,port,commCard,slot,model,parameter,item,old,new,result\r\n";
        for (int i = 0; i < n; ++i)
            expected += "2025-03-14T10:21:07+01:00,,,16,XD1-K,\"the card is an XL2-0, not an "
                        "XD1-K\",13,,5,not written\r\n";
        QFile saved(csv);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), expected);
    }

    // A long log: the window shows its newest entries and says how many
    // older ones it leaves out, the slot box filters those shown, and the
    // CSV holds every entry of the file of the slot chosen.
    void longLogShowsTheNewestAndSavesAll()
    {
        QList<ChangeEntry> all;
        QFile file(logPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int n = 0; n < 7; ++n) {
            ChangeEntry e;
            e.time = QDateTime(QDate(2025, 3, 14), QTime(10, 0, n), Qt::OffsetFromUTC, 3600);
            e.slot = n % 2 + 1;
            e.item = QString::number(n);
            all << e;
            file.write(ChangeLogLine(e) + '\n');
        }
        file.close();

        frmChangeLog view([this] { return logPath(); });
        QVERIFY(waitLoaded(&view));
        view.setNewestShown(3);
        view.reload();
        QVERIFY(view.isLoading());
        auto *label = view.findChild<QLabel *>(QStringLiteral("lblFile"));
        QVERIFY(label->text().startsWith(QStringLiteral("Loading ")));
        QVERIFY(waitLoaded(&view));
        auto *model = view.findChild<QTableView *>(QStringLiteral("tblChangeLog"))->model();
        QStringList items;
        for (int r = 0; r < model->rowCount(); ++r)
            items << model->index(r, 6).data().toString();
        QCOMPARE(items, (QStringList{"4", "5", "6"}));
        QVERIFY2(label->text().endsWith(
                     QStringLiteral("(4 older entries are not shown; Save as CSV includes them)")),
                 qPrintable(label->text()));

        view.findChild<QComboBox *>(QStringLiteral("cboSlot"))->setCurrentText("1");
        QCOMPARE(rows(&view), 2);
        const QString csv = dir.filePath(QStringLiteral("log.csv"));
        CsvSaveDialog::setHandler([csv](const QString &) { return csv; });
        view.cmdSaveAs_Click();
        QList<ChangeEntry> slot1;
        std::copy_if(all.begin(), all.end(), std::back_inserter(slot1),
                     [](const ChangeEntry &e) { return e.slot == 1; });
        QFile saved(csv);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), ChangeLogCsv(slot1).toUtf8());
    }

    // The window is closed, or the log reloaded, while a large log is read:
    // the read is dropped, nothing breaks and only the last read shows.
    void closingWhileLoading()
    {
        ChangeEntry e;
        e.time = QDateTime::currentDateTime();
        const QByteArray line = ChangeLogLine(e) + '\n';
        QFile file(logPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(line.repeated(20000));
        file.close();

        auto *view = new frmChangeLog([this] { return logPath(); });
        QVERIFY(view->isLoading());
        delete view;

        frmChangeLog again([this] { return logPath(); });
        QSignalSpy loaded(&again, &frmChangeLog::loaded);
        again.reload();
        again.close();
        QVERIFY(loaded.wait(10000));
        QCOMPARE(rows(&again), 20000);
        QCOMPARE(loaded.size(), 1);
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
