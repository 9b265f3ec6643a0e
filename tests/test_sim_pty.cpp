// v9rack-sim as a separate process, reached through a real pseudo-terminal
// with the program's QSerialPort path.
#include "link/serialline.h"
#include "link/serialportlink.h"
#include "link/transactions.h"

#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

class TestSimPty : public QObject
{
    Q_OBJECT

    QProcess sim;

    // Starts the simulator; its first line of output is the device path.
    QString start(const QStringList &args)
    {
        sim.setProgram(QStringLiteral(V9RACK_SIM));
        sim.setArguments(args);
        sim.start();
        if (!sim.waitForStarted(5000))
            return {};
        while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(sim.readLine()).trimmed();
    }

    static std::unique_ptr<SerialLine> connectTo(const QString &device)
    {
        auto line = std::make_unique<SerialLine>();
        auto port = std::make_unique<SerialPortLink>(device);
        if (!port->open(LineSettings{}).isEmpty())
            return nullptr;
        line->attachPort(std::move(port));
        line->setTiming({2000, 10});
        return line;
    }

private slots:
    void cleanup()
    {
        if (sim.state() != QProcess::NotRunning) {
            sim.kill();
            sim.waitForFinished(5000);
        }
    }

    // The port closed and opened again, as an operator reconnects.
    void servesTheDemoRackAcrossReopens()
    {
        const QString device = start({});
        QVERIFY2(device.startsWith(QLatin1String("/dev/")), qPrintable(device));
        for (int round = 0; round < 3; ++round) {
            auto line = connectTo(device);
            QVERIFY(line);
            QCOMPARE(ReadItem(*line, kRetries, QStringLiteral("1"), QStringLiteral("2"))
                         .valueOr(QString()),
                     QStringLiteral("MD:XD1-K"));
        }
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 0);
    }

    // The fault switches reach the line; through the real serial stack a
    // card that always answers a little after the time-out reads as silent,
    // and its late replies never answer the next card's commands.
    void faultSwitches_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<int>("guardMs");
        QTest::newRow("silent card, CR LF in pieces")
            << "--crlf --chunk 2 --card 3 --silent" << 2 << 30;
        // Wide margins on both sides: two processes on a busy machine.
        QTest::newRow("late card") << "--card 3 --late 200" << 10 << 200;
    }
    void faultSwitches()
    {
        QFETCH(QString, args);
        QFETCH(int, pauseMs);
        QFETCH(int, guardMs);
        auto line = connectTo(start(args.split(QLatin1Char(' '))));
        QVERIFY(line);
        line->setTiming({150, pauseMs, guardMs});
        QCOMPARE(
            ReadItem(*line, kRetries, QStringLiteral("3"), QStringLiteral("2")).valueOr(QString()),
            QString());
        QCOMPARE(
            ReadItem(*line, kRetries, QStringLiteral("4"), QStringLiteral("2")).valueOr(QString()),
            QStringLiteral("MD:XE2-P"));
    }

    void badRackFileIsReported()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        file.write("{\"slots\": {\"3\": {\"model\": \"XA1-00\", \"items\": {\"11\": \"999\"}}}}");
        file.close();
        start({QStringLiteral("--rack"), file.fileName()});
        QVERIFY(sim.state() == QProcess::NotRunning || sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("item 11")), qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestSimPty)
#include "test_sim_pty.moc"
