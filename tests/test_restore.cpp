// As-found backups before a Download of all cards, the change log naming
// them, and Restore, through the main window and the command-line tool on
// the simulated demo rack.
#include "app/comparecommands.h"
#include "app/frmrestore.h"
#include "appfixture.h"
#include "exchange/download.h"
#include "files/backupstore.h"
#include "files/changelog.h"
#include "files/parameterfile.h"
#include "inprocesscli.h"
#include "ui/filedialogs.h"
#include "ui/frmloading.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

QByteArray fileText(const QString &path)
{
    const Result<CardTable> read = OpenParameterFile(path);
    return read.ok() ? ParameterFileText(*read) : QByteArray("unreadable");
}

// Full scale of slot 1 (thermocouple) and span 1 of slot 10 (pulse).
constexpr int kSlotA = 1;
constexpr int kSlotB = 10;
const QString kValueA = QStringLiteral("11000");
const QString kValueB = QStringLiteral("1500");

CardTable edited(CardTable t)
{
    t[kSlotA].par(2).Value = kValueA;
    t[kSlotB].par(2).Value = kValueB;
    return t;
}

} // namespace

class TestRestore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QString root() const { return DefaultBackupRoot(); }
    QString rack() const { return RackFolderName(QStringLiteral("Simulated rack (COM1)")); }
    QList<BackupFile> backups() const { return ListBackups(root(), rack()); }
    QString logPath() const { return m_home.filePath(QStringLiteral("log.jsonl")); }

    // A window whose Downloads keep the rack as found under the test's data
    // folder and log to the test's change log.
    void prepare(AppFixture &f, ChangeLog &log)
    {
        f.session.backupRoot = DefaultBackupRoot();
        f.session.changeLog = &log;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        // Backups and the change log go to this test's folder, never the user's.
        qputenv("XDG_DATA_HOME", m_home.path().toUtf8());
        QVERIFY(root().startsWith(m_home.path()));
    }
    void init()
    {
        QDir(root()).removeRecursively();
        QFile::remove(logPath());
    }
    void cleanup()
    {
        FileDialogs::setHandler({});
        frmRestore::setChooser({});
    }

    // After an Upload on the link the values read serve: the wire is the
    // Download's alone. The backup holds the rack before the writes, the
    // change log names it with the old values; a Download cancelled half
    // way leaves the next backup with what the rack then held.
    void backupAfterUpload()
    {
        AppFixture twin; // the same Download without a backup
        twin.connectAndUpload();
        twin.session.cards = edited(twin.session.cards);
        twin.window.cmdDownload_Click();

        AppFixture f;
        ChangeLog log(logPath());
        prepare(f, log);
        f.connectAndUpload();
        const CardTable found = f.session.cards;
        f.session.cards = edited(found);
        f.window.cmdDownload_Click();
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.wire(), twin.wire());
        QCOMPARE(backups().size(), 1);
        const BackupFile first = backups().first();
        QVERIFY(first.asFound);
        QCOMPARE(fileText(first.path), ParameterFileText(found));

        const QList<ChangeEntry> entries = ReadChangeLog(logPath())->entries;
        QVERIFY(!entries.isEmpty());
        int changedA = 0;
        for (const ChangeEntry &e : entries) {
            QCOMPARE(e.backup, first.path);
            QVERIFY(e.old.has_value());
            if (e.slot == kSlotA && e.item == found[kSlotA].par(2).ItemNo) {
                QCOMPARE(*e.old, found[kSlotA].par(2).Value);
                QCOMPARE(e.value, kValueA);
                ++changedA;
            }
        }
        QCOMPARE(changedA, 1);

        // Back to the rack as found, then A and B cancelled before slot 3:
        // the rack holds A and not B when the next Download starts.
        f.session.cards = found;
        f.window.cmdDownload_Click();
        f.session.cards = edited(found);
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &e) {
            if (e.command.startsWith("G3"))
                f.window.loading()->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        });
        f.window.cmdDownload_Click();
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(
            f.messages[0].text.startsWith(QStringLiteral("Downloading cancelled after slot 2")));
        f.session.traffic.disconnect(&f.window);
        f.window.cmdDownload_Click();
        CardTable held = found;
        held[kSlotA].par(2).Value = kValueA;
        QCOMPARE(backups().size(), 4);
        QCOMPARE(fileText(backups().first().path), ParameterFileText(held));
    }

    // A write the card took but never answered: what the rack holds is not
    // known any more, so the next Download reads it for its backup.
    void unansweredWriteMakesTheNextBackupRead()
    {
        AppFixture f;
        ChangeLog log(logPath());
        prepare(f, log);
        f.connectAndUpload();
        const CardTable found = f.session.cards;
        f.quickTimeOuts();
        f.session.cards = edited(found);
        // Card B answers its select and the span's item, then no more; the
        // span is taken all the same.
        f.rack->setCardFaults(kSlotB, {.silentAfter = 5});
        f.window.cmdDownload_Click();
        QCOMPARE(f.messages.size(), 1);
        QVERIFY(f.messages[0].text.contains(QStringLiteral("1 slot not written")));
        f.rack->clearFaults();
        f.session.cards = found;
        f.window.cmdDownload_Click();
        CardTable backup = *OpenParameterFile(backups().first().path);
        QCOMPARE(backup[kSlotB].par(2).Value, kValueB);
        QCOMPARE(backup[kSlotA].par(2).Value, kValueA);
    }

    // A file with no upload on this link: the rack is read into a table of
    // its own first, as the progress window says; the table stays the
    // file's. The same after a Download that lost the link.
    void backupReadsTheRackFirst()
    {
        AppFixture f;
        ChangeLog log(logPath());
        prepare(f, log);
        f.connectAndUpload();
        const CardTable found = f.session.cards;
        const QString file = m_home.filePath(QStringLiteral("edited.uJx"));
        QCOMPARE(WriteParameterFile(edited(found), file).reason(), QString());
        f.window.mnuConnectDisconnect_Click();
        f.connectOn(1);
        FileDialogs::setHandler([file](FileDialogs::Mode) { return file; });
        f.window.mnuFilesOpen_Click();
        f.session.traffic.clear();
        QStringList captions;
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&] {
            const QString c = f.window.loading()->findChild<QLabel *>("lblLoading")->text();
            if (captions.isEmpty() || captions.last() != c)
                captions << c;
        });
        f.window.cmdDownload_Click();
        QVERIFY(f.messages.isEmpty());
        QVERIFY(captions.contains(QStringLiteral("Reading the rack before writing (as-found "
                                                 "backup)")));
        QCOMPARE(captions.last(), QStringLiteral("Downloading"));
        QCOMPARE(backups().size(), 1);
        QCOMPARE(fileText(backups().first().path), ParameterFileText(found));
        QCOMPARE(ParameterFileText(f.session.cards), fileText(file));
        QCOMPARE(f.session.table.file(), file);
        // Old values from the read.
        for (const ChangeEntry &e : ReadChangeLog(logPath()).valueOr({}).entries)
            QVERIFY(e.old.has_value());

        // The link lost in slot 5 of a Download of the rack as found: the
        // next link reads A put back and B still the file's.
        f.session.cards = found;
        f.session.traffic.disconnect(&f.window);
        connect(&f.session.traffic, &TrafficLog::appended, &f.window, [&](const TrafficEntry &e) {
            if (e.command.startsWith("G5"))
                f.rack->setFaults({.silent = true});
        });
        f.quickTimeOuts();
        f.messages.clear();
        f.window.cmdDownload_Click();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].icon, Messages::Icon::Critical);
        f.session.traffic.disconnect(&f.window);
        f.rack->clearFaults();
        f.connectOn(1);
        f.messages.clear();
        f.window.cmdDownload_Click();
        QVERIFY(f.messages.isEmpty());
        CardTable held = found;
        held[kSlotB].par(2).Value = kValueB;
        // The pulse card's count follows its span: a live value, left out.
        CardTable backup = *OpenParameterFile(backups().first().path);
        backup[kSlotB].par(1).Value = held[kSlotB].par(1).Value = QString();
        QCOMPARE(ParameterFileText(backup), ParameterFileText(held));
    }

    // Restore lists the rack's backups newest first and puts the rack back
    // to the one chosen, with its own as-found backup; the next Upload says
    // what changed since the newest backup and Compare shows it.
    void restoreInTheWindow()
    {
        AppFixture f;
        ChangeLog log(logPath());
        prepare(f, log);
        QAction *menu = f.find<QAction>(QStringLiteral("mnuFilesRestore"));
        QVERIFY(!menu->isEnabled());
        f.connectAndUpload();
        QVERIFY(menu->isEnabled());
        const CardTable found = f.session.cards;
        f.session.cards = edited(found);
        f.window.cmdDownload_Click();
        const QString asFound = backups().first().path;

        QList<RestoreRow> listed;
        frmRestore::setChooser([&](const QList<RestoreRow> &rows) {
            listed = rows;
            return rows.first().file.path;
        });
        menu->trigger();
        QCOMPARE(listed.size(), 1);
        QVERIFY(listed[0].file.asFound);
        QCOMPARE(listed[0].differences, 2);
        {
            frmRestore dialog(listed, &f.window);
            auto *list = dialog.findChild<QTableWidget *>(QStringLiteral("lstBackups"));
            QCOMPARE(list->rowCount(), 1);
            QCOMPARE(list->item(0, 1)->text(), QStringLiteral("as found"));
            QCOMPARE(list->item(0, 2)->text(), QStringLiteral("2"));
            QCOMPARE(dialog.chosen(), asFound);
        }
        QVERIFY(f.messages.isEmpty());
        QCOMPARE(f.session.table.origin(), TableOrigin::File);
        QCOMPARE(backups().size(), 2);
        QCOMPARE(backups().at(1).path, asFound);
        QCOMPARE(fileText(backups().first().path), ParameterFileText(edited(found)));

        f.window.cmdUpload_Click();
        QCOMPARE(ParameterFileText(f.session.cards), ParameterFileText(found));
        QVERIFY(f.window.statusBar()->currentMessage().startsWith(
            QStringLiteral("2 parameters changed since the backup of ")));
        const auto compared = f.window.compareCommands().current();
        QVERIFY(compared);
        QCOMPARE(compared->file, backups().first().path);

        // Refused while busy: the chooser is not even asked.
        listed.clear();
        OperationGate::Ticket busy = f.session.gate.begin(QStringLiteral("Upload"));
        f.window.mnuFilesRestore_Click();
        QVERIFY(listed.isEmpty());
    }

    // A backup that cannot be written stops the Download before its first
    // write, and says why.
    void unwritableBackupStopsTheDownload()
    {
        AppFixture f;
        f.session.backupRoot = m_home.filePath(QStringLiteral("a-file"));
        QFile blocker(f.session.backupRoot);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.connectAndUpload();
        f.session.cards = edited(f.session.cards);
        f.window.cmdDownload_Click();
        QCOMPARE(f.messages.size(), 1);
        QCOMPARE(f.messages[0].title, QStringLiteral("Downloading"));
        QCOMPARE(f.messages[0].text,
                 QStringLiteral("Download not started: the as-found backup could not be written."));
        QVERIFY(f.wire().isEmpty());
        QVERIFY(f.session.state.IsConnected);
    }

    // The tool: download keeps the rack as found and logs against it,
    // restore puts it back byte for byte, --no-backup skips the read, and
    // a backup that cannot be written stops the download.
    void cli()
    {
        InProcess p;
        ChangeLog log(logPath());
        p.session.changeLog = &log;
        p.session.backupRoot = root();
        const QString before = m_home.filePath(QStringLiteral("before.uJx"));
        const QString file = m_home.filePath(QStringLiteral("cli-edited.uJx"));
        const QString after = m_home.filePath(QStringLiteral("after.uJx"));
        QCOMPARE(p.run({"upload", "-o", before}), 0);
        QCOMPARE(WriteParameterFile(edited(*OpenParameterFile(before)), file).reason(), QString());

        QCOMPARE(p.run({"download", "--rack-name", "line 3", file}), 0);
        const QList<BackupFile> taken = ListBackups(root(), QStringLiteral("line 3"));
        QCOMPARE(taken.size(), 1);
        QVERIFY(p.out.contains(taken[0].path));
        QCOMPARE(fileText(taken[0].path), fileText(before));
        const QList<ChangeEntry> entries = ReadChangeLog(logPath())->entries;
        QVERIFY(!entries.isEmpty());
        for (const ChangeEntry &e : entries) {
            QCOMPARE(e.backup, taken[0].path);
            QVERIFY(e.old.has_value());
        }

        QCOMPARE(p.run({"restore", "--rack-name", "line 3", taken[0].path}), 0);
        QCOMPARE(ListBackups(root(), QStringLiteral("line 3")).size(), 2);
        QCOMPARE(p.run({"upload", "-o", after}), 0);
        QCOMPARE(QFile(after).size(), QFile(before).size());
        QFile a(after), b(before);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), b.readAll());

        QFile::remove(logPath());
        p.session.traffic.clear();
        QCOMPARE(p.run({"download", "--no-backup", file}), 0);
        QCOMPARE(ListBackups(root(), QStringLiteral("line 3")).size(), 2);
        QVERIFY(!p.wire().contains(QStringLiteral("I6"))); // no mask read: no upload
        for (const ChangeEntry &e : ReadChangeLog(logPath()).valueOr({}).entries)
            QVERIFY(!e.old.has_value() && e.backup.isEmpty());

        InProcess q;
        q.session.backupRoot = before; // a file: no folder can be made in it
        QCOMPARE(q.run({"download", file}), int(kExitUsage));
        QVERIFY(q.err.contains(QStringLiteral("download not started: the as-found backup could "
                                              "not be written")));
        QVERIFY(!q.wire().contains(QStringLiteral("D") + kValueA));

        // A rack that cannot be read whole is not written either.
        InProcess silent;
        silent.session.backupRoot = root();
        silent.rack->setCardFaults(3, {.silent = true});
        QCOMPARE(silent.run({"download", file}), int(kExitRack));
        QVERIFY(silent.err.contains(QStringLiteral("download not started: the rack could not be "
                                                   "read for its as-found backup")));
        QVERIFY(!silent.wire().contains(QStringLiteral("D") + kValueA));
    }
};

QTEST_MAIN(TestRestore)
#include "test_restore.moc"
