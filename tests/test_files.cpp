// Parameter files: samples typed by hand in both forms, a full round trip,
// and the faults an open or a save must report instead of loading or
// writing a damaged rack.
#include "files/parameterfile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

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
    const ParameterFileResult r = ReadParameterFile(bytes);
    if (!r.ok())
        qWarning() << r.error;
    return r.cards.value_or(CardTable{});
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
        row("pulse, limit 5", "rack33.uJx", 3, "XL2P", "1.00", 0, "10", 7, "200", 2, "34", 2);
        row("discrete", "rack33.uJx", 4, "XG16", "1.00", 0, "-1", 1, "", 16, "1", 0);
        row("two-channel TC", "rack33.uJx", 6, "XD2T", "1.00", 3, "16", 12, "750", 1, "0", 0);
        row("empty slot", "rack33.uJx", 16, "NONE", "0.00", 0, "", 1, "", 16, "0", 0);
        row("older TC", "rack32.uJx", 1, "XD2B", "1.05", 4, "16", 12, "400", 1, "0", 0);
        row("older RTD", "rack32.uJx", 2, "XE1C", "1.00", 4, "13", 1, "-60", 1, "0", 0);
        row("older keeps prefix", "rack32.uJx", 3, "XD1K", "1.00", 0, "13", 2, "1700", 1, "0", 0);
        row("older discrete", "rack32.uJx", 4, "XH16", "1.00", 0, "-1", 1, "", 15, "1", 0);
    }
    void samples()
    {
        QFETCH(QString, file);
        QFETCH(int, slot);
        const ParameterFileResult r = OpenParameterFile(QStringLiteral(V9_TEST_DATA "/") + file);
        QVERIFY2(r.ok(), qPrintable(r.error));
        const CardRecord &c = (*r.cards)[slot];
        QTEST(c.ModelName, "model");
        QTEST(c.VerNo, "version");
        QTEST(c.InputType, "inputType");
        QTEST(c.par(1).ItemNo, "item1");
        QFETCH(int, par);
        QTEST(c.par(par).Value, "parValue");
        QFETCH(int, ch);
        QTEST(c.ChData[static_cast<std::size_t>(ch - 1)], "chValue");
        QTEST(c.LimitState, "limit");
    }

    void blankSlotsWrite()
    {
        CardTable t;
        ResetCardTable(t);
        QCOMPARE(ParameterFileText(t), rack());
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::newRow("CR LF") << QByteArray("\r\n");
        QTest::newRow("LF") << QByteArray("\n");
    }
    void roundTrip()
    {
        QFETCH(QByteArray, lineEnd);
        CardTable t;
        ResetCardTable(t);
        const char *models[] = {"XDA1", "XEA2", "XL2P", "XG16", "XD2T,b", "XE1C", "XA1V"};
        for (int s = 1; s <= 7; ++s) {
            ClassifyCard(t, s, QString::fromLatin1(models[s - 1]));
            CardRecord &r = t[s];
            r.InputType = r.InputClass == 0 ? 12 : r.InputClass == 1 ? 8 : 0;
            r.VerNo = QStringLiteral("1,0%1 \u00b5").arg(s);
            r.Burnout = {QString::number(s % 2), QStringLiteral("1")};
            r.TempUnit = 2;
            r.LimitState = s % 3;
            for (int k = 1; k <= 12; ++k)
                r.par(k).Value = QStringLiteral("%1.%2").arg(s).arg(k);
            for (int ch = 0; ch < 16; ++ch)
                r.ChData[static_cast<std::size_t>(ch)] = QString::number(ch * s % 2);
        }
        QCOMPARE(CheckWritable(t), QString());
        const CardTable back = read(ParameterFileText(t).replace("\r\n", lineEnd));
        for (int s = 1; s <= 16; ++s) {
            const CardRecord &a = t[s], &b = back[s];
            QCOMPARE(b.ModelName, a.ModelName);
            QCOMPARE(b.VerNo, a.VerNo);
            QCOMPARE(b.InputClass, a.InputClass);
            QCOMPARE(b.InputType, a.InputType);
            QCOMPARE(b.Burnout[0], a.Burnout[0]);
            QCOMPARE(b.Burnout[1], QStringLiteral("0"));
            QCOMPARE(b.TempUnit, 0);
            QCOMPARE(b.LimitState, a.LimitState);
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
        // An unclosed quote takes the rest of its line.
        QTest::newRow("unclosed quote") << rack().replace(",0\r\n", ",\"1\r\n") << 1;
    }
    void limitState()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, limit);
        const CardTable t = read(file);
        for (int s = 1; s <= 16; ++s)
            QCOMPARE(t[s].LimitState, limit);
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
        row("comma, line 2", 2, "XDA1,B", "K(CA)", false, 1);
        row("prefix, line 1", 1, "XDA1", "x:K(CA)", false, 1);
        row("prefix, line 2", 2, "XDA1", "x:K(CA)", false, 1);
        row("case counts", 2, "XDA1", "k(ca)", false, 0);
        row("RTD, TC name", 2, "XEA1", "Platinel", false, 0);
        row("RTD, own name", 1, "XEA1", "Pt1000", false, 6);
        row("pulse", 2, "XL2P", "K(CA)", false, 0);
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
        QCOMPARE(c.LimitState, older ? 0 : 1);
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
        QTest::newRow("quote missing")
            << rack(2, cardLine("NONE", "").replace("\"0.00\",", "\"0.00,")) << 2 << "fields";
    }
    void errors()
    {
        QFETCH(QByteArray, file);
        const ParameterFileResult r = ReadParameterFile(file);
        QVERIFY(!r.ok());
        QTEST(r.errorLine, "line");
        QFETCH(QString, words);
        QVERIFY2(r.error.contains(words), qPrintable(r.error));
        QVERIFY2(r.error.startsWith(QStringLiteral("Line %1:").arg(r.errorLine)),
                 qPrintable(r.error));
    }

    void garbage()
    {
        QByteArray noise(200000, '\0');
        QRandomGenerator gen(7);
        for (char &b : noise)
            b = "\",\r\n\"x\0\xff"[gen.bounded(8)];
        for (const QByteArray &bytes :
             {noise, QByteArray(900000, '"'), QByteArray(900000, ','), QByteArray(2 << 20, 'a')}) {
            const ParameterFileResult r = ReadParameterFile(bytes);
            QVERIFY(!r.ok());
            QVERIFY(!r.error.isEmpty());
        }
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
        const QString why = CheckWritable(t);
        QFETCH(QString, words);
        QCOMPARE(why.isEmpty(), words.isEmpty());
        QVERIFY2(why.contains(words), qPrintable(why));
    }

    void save()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("rack.uJx"));
        CardTable t;
        ResetCardTable(t);
        ClassifyCard(t, 2, QStringLiteral("XEA2"));
        QCOMPARE(WriteParameterFile(t, path), QString());
        QCOMPARE(contents(path), ParameterFileText(t));
        QVERIFY(OpenParameterFile(path).ok());

        CardTable bad = t;
        bad[3].ModelName = QStringLiteral("X\"");
        const QString refused = WriteParameterFile(bad, path);
        QVERIFY2(refused.contains(path) && refused.contains(QStringLiteral("Card 3")),
                 qPrintable(refused));
        QCOMPARE(contents(path), ParameterFileText(t));

        const QString missing = dir.filePath(QStringLiteral("no such folder/rack.uJx"));
        QVERIFY(WriteParameterFile(t, missing).contains(missing));
        QVERIFY(!QFile::exists(missing));
        QVERIFY(OpenParameterFile(missing).error.contains(missing));
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
