// Parameter files: samples typed by hand in both forms, a full round trip,
// and the faults an open or a save must report instead of loading or
// writing a damaged rack.
#include "files/backupstore.h"
#include "files/parameterfile.h"
#include "files/savefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// One slot line: limit nullptr gives the older form without field 33.
QByteArray cardLine(const QByteArray &model, const QByteArray &name, const char *limit = "0")
{
    QByteArray l = '"' + model + "\",\"0.00\",\"" + name + "\",\"0\"," +
                   QByteArray("\"\",").repeated(12) + QByteArray("\"0\",").repeated(16);
    if (limit)
        return l + limit;
    l.chop(1);
    return l;
}

// Sixteen empty slots with line `at` replaced.
QByteArray rack(int at = 0, const QByteArray &line = {}, bool older = false)
{
    QByteArray text;
    for (int i = 1; i <= 16; ++i)
        text += (i == at ? line : cardLine("NONE", "", older ? nullptr : "0")) + "\r\n";
    return text;
}

CardTable read(const QByteArray &bytes)
{
    const Result<CardTable> r = ReadParameterFile(bytes);
    if (!r.ok())
        qWarning() << r.reason();
    return r.valueOr(CardTable{});
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT

private slots:
    void samples_data()
    {
        for (const char *c : {"file", "model", "version", "item1", "parValue", "chValue"})
            QTest::addColumn<QString>(c);
        for (const char *c : {"slot", "inputType", "par", "ch", "limit"})
            QTest::addColumn<int>(c);
        auto row = [](const char *tag, const char *file, int slot, const char *model,
                      const char *ver, int type, const char *item1, int par, const char *parValue,
                      int ch, const char *chValue, int limit) {
            QTest::newRow(tag) << file << model << ver << item1 << parValue << chValue << slot
                               << type << par << ch << limit;
        };
        row("thermocouple", "rack33.uJx", 1, "XDA1", "1.02", 1, "13", 2, "1372", 1, "0", 0);
        row("RTD named with prefix", "rack33.uJx", 2, "XEA2", "2.10", 2, "16", 12, "400", 1, "0",
            1);
        row("discrete", "rack33.uJx", 4, "XG16", "1.00", 0, "-1", 1, "", 16, "1", 0);
        row("empty slot", "rack33.uJx", 16, "NONE", "0.00", 0, "", 1, "", 16, "0", 0);
        row("older TC", "rack32.uJx", 1, "XD2B", "1.05", 4, "16", 12, "400", 1, "0", 0);
        row("older keeps prefix", "rack32.uJx", 3, "XD1K", "1.00", 0, "13", 2, "1700", 1, "0", 0);
    }
    // Rack names become folder names as they stand or not at all; a port
    // is made into one. Backups list newest first, a second in the same
    // second after the first, and read back as the table written.
    void backups()
    {
        const std::pair<const char *, bool> names[] = {
            {"North-1", true}, {"Pump house 2", true}, {"", false},     {"..", false},
            {"a/b", false},    {"a\\b", false},        {"x:y", false},  {"tab\tx", false},
            {"dot.", false},   {" lead", false},       {"COM3", false}, {"nul.txt", false},
        };
        for (const auto &[name, ok] : names)
            QVERIFY2(RackNameProblem(QString::fromUtf8(name)).isEmpty() == ok, name);
        QCOMPARE(RackFolderName(QStringLiteral("tcp://10.1.2.3:4001")),
                 QStringLiteral("tcp___10.1.2.3_4001"));
        QCOMPARE(RackFolderName(QStringLiteral("/dev/ttyUSB0")), QStringLiteral("_dev_ttyUSB0"));
        QCOMPARE(RackFolderName(QStringLiteral("COM1")), QStringLiteral("_COM1"));

        QTemporaryDir root;
        CardTable cards = *OpenParameterFile(QStringLiteral(V9_TEST_DATA "/rack33.uJx"));
        const QDateTime t(QDate(2026, 12, 7), QTime(15, 30, 0));
        const QString first =
            WriteBackup(root.path(), QStringLiteral("N1"), cards, t, false).valueOr(QString());
        cards[1].par(1).Value = QStringLiteral("123");
        const QString second =
            WriteBackup(root.path(), QStringLiteral("N1"), cards, t, true).valueOr(QString());
        const QString older =
            WriteBackup(root.path(), QStringLiteral("N1"), cards, t.addDays(-1), false)
                .valueOr(QString());
        QVERIFY(!first.isEmpty() && !second.isEmpty() && !older.isEmpty());
        QVERIFY(second.endsWith(QLatin1String("/N1/20261207-153000-2-as-found.uJx")));
        QFile(QDir(root.path()).filePath(QStringLiteral("N1/notes.uJx")))
            .open(QIODevice::WriteOnly);
        const QList<BackupFile> list = ListBackups(root.path(), QStringLiteral("N1"));
        QCOMPARE(list.size(), 3);
        QCOMPARE(list[0].path, second);
        QVERIFY(list[0].asFound && !list[1].asFound);
        QCOMPARE(list[1].path, first);
        QCOMPARE(list[2].taken, t.addDays(-1));
        QCOMPARE(ParameterFileText(*OpenParameterFile(second)), ParameterFileText(cards));
        const Result<QString> refused =
            WriteBackup(root.path(), QStringLiteral("a/b"), cards, t, false);
        QVERIFY(!refused && refused.reason().contains(QLatin1String("a/b")));
    }

    void samples()
    {
        QFETCH(QString, file);
        QFETCH(int, slot);
        const Result<CardTable> r = OpenParameterFile(QStringLiteral(V9_TEST_DATA "/") + file);
        QVERIFY2(r.ok(), qPrintable(r.reason()));
        const CardRecord &c = (*r)[slot];
        QTEST(c.ModelName, "model");
        QTEST(c.VerNo, "version");
        QTEST(c.InputType, "inputType");
        QTEST(c.par(1).ItemNo, "item1");
        QFETCH(int, par);
        QTEST(c.par(par).Value, "parValue");
        QFETCH(int, ch);
        QTEST(c.ChData[static_cast<std::size_t>(ch - 1)], "chValue");
        QTEST(static_cast<int>(c.Limit), "limit");
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::addColumn<bool>("bom"); // saved again by an editor as UTF-8 with a mark
        QTest::newRow("CR LF") << QByteArray("\r\n") << false;
        QTest::newRow("LF") << QByteArray("\n") << false;
        QTest::newRow("CR, old Mac") << QByteArray("\r") << false;
        QTest::newRow("UTF-8 with mark") << QByteArray("\r\n") << true;
    }
    void roundTrip()
    {
        QFETCH(QByteArray, lineEnd);
        QFETCH(bool, bom);
        CardTable t;
        ResetCardTable(t);
        const char *models[] = {"XDA1", "XEA2", "XL2P", "XG16", "XD2T,b", "XE1C", "XA1V"};
        for (int s = 1; s <= 7; ++s) {
            ClassifyCard(t, s, QString::fromLatin1(models[s - 1]));
            CardRecord &r = t[s];
            r.InputType = r.Class == InputClass::Thermocouple ? 12
                          : r.Class == InputClass::Rtd        ? 8
                                                              : 0;
            r.VerNo = QStringLiteral("1,0%1 \u00b5").arg(s);
            r.Burnout = {QString::number(s % 2), QStringLiteral("1")};
            r.Unit = TempUnit::Kelvin;
            r.Limit = static_cast<LimitState>(s % 3);
            for (int k = 1; k <= 12; ++k)
                r.par(k).Value = QStringLiteral("%1.%2").arg(s).arg(k);
            for (int ch = 0; ch < 16; ++ch)
                r.ChData[static_cast<std::size_t>(ch)] = QString::number(ch * s % 2);
        }
        QCOMPARE(CheckWritable(t).reason(), QString());
        QByteArray text = ParameterFileText(t).replace("\r\n", lineEnd) + lineEnd + lineEnd;
        if (bom)
            text = "\xEF\xBB\xBF" + QString::fromLatin1(text).toUtf8();
        const CardTable back = read(text);
        for (int s = 1; s <= 16; ++s) {
            const CardRecord &a = t[s], &b = back[s];
            QCOMPARE(b.ModelName, a.ModelName);
            QCOMPARE(b.VerNo, a.VerNo);
            QCOMPARE(b.Class, a.Class);
            QCOMPARE(b.InputType, a.InputType);
            QCOMPARE(b.Burnout[0], a.Burnout[0]);
            QCOMPARE(b.Burnout[1], QStringLiteral("0"));
            QCOMPARE(b.Unit, TempUnit::Celsius);
            QCOMPARE(b.Limit, a.Limit);
            for (int k = 1; k <= 12; ++k)
                QCOMPARE(b.par(k).Value, a.par(k).Value);
            QCOMPARE(b.ChData, a.ChData);
        }
    }

    void limitState_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("limit");
        QTest::newRow("older form") << rack(0, {}, true) << 0;
        QTest::newRow("1") << rack().replace(",0\r\n", ",1\r\n") << 1;
        QTest::newRow("5") << rack().replace(",0\r\n", ",5\r\n") << 2;
        QTest::newRow("quoted -1") << rack().replace(",0\r\n", ",\"-1\"\r\n") << 2;
    }
    void limitState()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, limit);
        const CardTable t = read(file);
        for (int s = 1; s <= 16; ++s)
            QCOMPARE(static_cast<int>(t[s].Limit), limit);
    }

    void quotedTexts_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("older");
        QTest::addColumn<int>("inputType");
        auto row = [](const char *tag, int at, const char *model, const char *name, bool older,
                      int type) {
            QTest::newRow(tag) << at << QByteArray(model) << QByteArray(name) << older << type;
        };
        row("comma, line 1", 1, "XDA1,B", "K(CA)", false, 1);
        row("prefix, line 1", 1, "XDA1", "x:K(CA)", false, 1);
        row("case counts", 2, "XDA1", "k(ca)", false, 0);
        row("RTD, TC name", 2, "XEA1", "Platinel", false, 0);
        row("older, prefix", 2, "XDA1", "x:K(CA)", true, 0);
        row("older, bare", 1, "XDA1", "Platinel", true, 12);
    }
    void quotedTexts()
    {
        QFETCH(int, at);
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, name);
        QFETCH(bool, older);
        QByteArray line =
            cardLine(model, name, older ? nullptr : "1").replace("\"0.00\"", "\"1,5\"");
        const CardRecord c = read(rack(at, line, older))[at];
        QCOMPARE(c.ModelName, QString::fromLatin1(model));
        QCOMPARE(c.VerNo, QStringLiteral("1,5"));
        QCOMPARE(c.ChData[15], QStringLiteral("0"));
        QCOMPARE(c.Limit, older ? LimitState::Off : LimitState::On);
        QTEST(c.InputType, "inputType");
    }

    void errors_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("words");
        const qsizetype lineSize = cardLine("NONE", "").size() + 2;
        QTest::newRow("15 lines") << rack().chopped(lineSize) << 16 << "ends";
        QTest::newRow("10 lines, blank tail") << rack().left(10 * lineSize) + "\r\n\r\n  \r\n"
                                              << 11 << "ends";
        QTest::newRow("empty file") << QByteArray() << 1 << "ends";
        QTest::newRow("bad integer") << rack(4, cardLine("NONE", "", "x1")) << 4 << "bad integer";
        QTest::newRow("empty integer") << rack(7, cardLine("NONE", "", "")) << 7 << "bad integer";
        QTest::newRow("short line") << rack(9, cardLine("NONE", "").left(60)) << 9 << "fields";
        QTest::newRow("short line 1") << rack(1, cardLine("NONE", "").left(60)) << 1 << "fields";
        QTest::newRow("empty line inside") << rack(6, "") << 6 << "fields";
        QTest::newRow("older line 1, long line 2")
            << rack(0, {}, true).replace(0, 0, cardLine("NONE", "") + "\r\n") << 2 << "fields";
        // A damaged line would put its values on the wrong parameters.
        const QByteArray empty = cardLine("NONE", "");
        QTest::newRow("closing quote missing")
            << rack(2, QByteArray(empty).replace("\"0.00\",", "\"0.00,")) << 2 << "quote";
        QTest::newRow("opening quote missing, line 1")
            << rack(1, QByteArray(empty).replace("\"0.00\"", "0.00\"")) << 1 << "quote";
        QTest::newRow("quote missing at the end")
            << rack().replace(",0\r\n", ",\"1\r\n") << 1 << "quote";
        QTest::newRow("unquoted comma")
            << rack(5, QByteArray(empty).replace("\"NONE\"", "NO,NE")) << 5 << "34 fields";
        QTest::newRow("50 fields")
            << rack(3, empty + QByteArray(",\"0\"").repeated(17)) << 3 << "50 fields";
        QTest::newRow("17 lines") << rack() + empty + "\r\n\r\n" << 17 << "16 lines";
    }
    void errors()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, words);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rack.uJx"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(file) == file.size());
        f.close();
        const Result<CardTable> r = OpenParameterFile(path);
        QVERIFY(!r.ok());
        QFETCH(int, line);
        // The window shows the message on its own: it names the file, once.
        const QString &error = r.reason();
        QVERIFY2(error.startsWith(QStringLiteral("rack.uJx, line %1: ").arg(line)) &&
                     error.contains(words) && error.count(QStringLiteral("rack.uJx")) == 1,
                 qPrintable(error));
    }

    void checkWritable_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("words");
        auto row = [](const char *tag, int slot, int field, const char *text, const char *words) {
            QTest::newRow(tag) << slot << field << QString::fromUtf8(text) << words;
        };
        row("quote in model", 3, 1, "XD\"1", "Card 3: the model name holds a double quote");
        row("LF in channel data", 16, 32, "0\n", "Card 16: the channel 16 data");
        row("CR in parameter", 1, 16, "\r", "Card 1: the parameter 12 value");
        row("euro in version", 2, 2, "1\u20ac", "outside Latin-1");
        row("comma is fine", 5, 4, "1,2", "");
    }
    void checkWritable()
    {
        QFETCH(int, slot);
        QFETCH(int, field);
        QFETCH(QString, text);
        CardTable t;
        ResetCardTable(t);
        CardRecord &r = t[slot];
        QString &target = field == 1    ? r.ModelName
                          : field == 2  ? r.VerNo
                          : field == 4  ? r.Burnout[0]
                          : field <= 16 ? r.par(field - 4).Value
                                        : r.ChData[static_cast<std::size_t>(field - 17)];
        target = text;
        const QString why = CheckWritable(t).reason();
        QFETCH(QString, words);
        QCOMPARE(why.isEmpty(), words.isEmpty());
        QVERIFY2(why.contains(words), qPrintable(why));
    }

    // A save writes the table whole, or leaves the old file as it was (no
    // file where there was none) and says why, naming the file: a text the
    // format cannot hold, a missing folder, a write failing anywhere (a full
    // disk).
    void save_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("at");
        QTest::addColumn<bool>("quote"); // in slot 3's model
        QTest::addColumn<SaveFileFault::Step>("step");
        QTest::addColumn<QString>("error"); // %1 the file; empty when saved
        using Step = SaveFileFault::Step;
        const QString full = QStringLiteral("Could not save %1: No space left on device");
        QTest::newRow("saved") << false << "rack.uJx" << false << Step::None << QString();
        QTest::newRow("quote in a model")
            << true << "rack.uJx" << true << Step::None
            << "%1 was not saved. Card 3: the model name holds a double quote, which a parameter "
               "file cannot store.";
        QTest::newRow("no such folder") << false << "no such folder/rack.uJx" << false << Step::None
                                        << "Could not save %1: No such file or directory";
        QTest::newRow("write, over a file") << true << "rack.uJx" << false << Step::Write << full;
        QTest::newRow("flush, over a file") << true << "rack.uJx" << false << Step::Flush << full;
        QTest::newRow("flush, new file") << false << "rack.uJx" << false << Step::Flush << full;
    }
    void save()
    {
        QFETCH(bool, existing);
        QFETCH(QString, at);
        QFETCH(bool, quote);
        QFETCH(SaveFileFault::Step, step);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(at);
        CardTable t;
        ResetCardTable(t);
        if (existing)
            QCOMPARE(WriteParameterFile(t, path).reason(), QString());
        ClassifyCard(t, 2, QStringLiteral("XEA2"));
        if (quote)
            t[3].ModelName = QStringLiteral("XD\"1");
        SaveFileFault::set(step, QStringLiteral("No space left on device"));
        const QString why = WriteParameterFile(t, path).reason();
        SaveFileFault::set(SaveFileFault::Step::None);
        if (error.isEmpty()) {
            QCOMPARE(why, QString());
            QCOMPARE(contents(path), ParameterFileText(t));
            QVERIFY(OpenParameterFile(path).ok());
            return;
        }
        QCOMPARE(why, error.arg(QDir::toNativeSeparators(path)));
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden),
                 existing ? QStringList{QStringLiteral("rack.uJx")} : QStringList{});
        if (existing)
            QCOMPARE(contents(path), rack());
        else
            QVERIFY(OpenParameterFile(path).reason().contains(QDir::toNativeSeparators(path)));
    }

    // A FIFO or a device would block in open() or never end.
    void onlyRegularFilesOpen()
    {
#ifdef Q_OS_LINUX
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo.uJx"));
        const QByteArray name = QFile::encodeName(fifo);
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        // Should the FIFO be opened after all, this writer lets that open
        // return and the read end, so the test fails instead of hanging.
        std::thread writer([&name] {
            const int fd = ::open(name.constData(), O_WRONLY);
            if (fd >= 0)
                ::close(fd);
        });
        QStringList errors;
        for (const QString &path : {fifo, QStringLiteral("/dev/zero")})
            errors << OpenParameterFile(path).reason();
        const int release = ::open(name.constData(), O_RDONLY | O_NONBLOCK);
        writer.join();
        ::close(release);
        QVERIFY2(errors[0].contains(QDir::toNativeSeparators(fifo)), qPrintable(errors[0]));
        for (const QString &e : errors)
            QVERIFY2(e.contains(QStringLiteral("not a regular file")), qPrintable(e));
#else
        QSKIP("FIFOs are made here with POSIX calls");
#endif
    }

    // A save onto a real file system that runs full (a small tmpfs, which
    // needs root) keeps the old file.
    void saveOntoFullDisk()
    {
#ifdef Q_OS_LINUX
        QTemporaryDir dir;
        const QByteArray at = QFile::encodeName(dir.path());
        if (::mount("tmpfs", at.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP(qPrintable(QStringLiteral("cannot mount a small tmpfs here: %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        struct Unmount
        {
            QByteArray at;
            ~Unmount() { ::umount2(at.constData(), MNT_DETACH); }
        } unmount{at};
        const QString path = dir.filePath(QStringLiteral("rack.uJx"));
        CardTable t;
        ResetCardTable(t);
        QCOMPARE(WriteParameterFile(t, path).reason(), QString());

        QFile filler(dir.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        filler.close();

        ClassifyCard(t, 2, QStringLiteral("XEA2"));
        const QString error = WriteParameterFile(t, path).reason();
        QVERIFY2(error.startsWith(
                     QStringLiteral("Could not save %1: ").arg(QDir::toNativeSeparators(path))),
                 qPrintable(error));
        QCOMPARE(contents(path), rack());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("filler"), QStringLiteral("rack.uJx")}));
#else
        QSKIP("mounting a small file system is done here for Linux only");
#endif
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
