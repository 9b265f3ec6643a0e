// The rack's line going away in the middle of an upload: v9rack-sim serves
// the rack on a pseudo-terminal and is ended while the window reads it.
#include "app/frmv9con.h"
#include "exchange/session.h"
#include "ui/messages.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

class TestUnplug : public QObject
{
    Q_OBJECT

    QProcess sim;
    QTemporaryFile rackFile;

    // A rack of two cards keeps the upload before the fault short.
    QString startServer()
    {
        if (!rackFile.isOpen()) {
            rackFile.open();
            rackFile.write(R"({"slots": {"1": {"model": "XA2-00", "version": "1.0"},
                                          "2": {"model": "XD2-K", "version": "1.1"}}})");
            rackFile.flush();
        }
        sim.setProgram(QStringLiteral(V9RACK_SIM));
        sim.setArguments({QStringLiteral("--rack"), rackFile.fileName()});
        sim.start();
        if (!sim.waitForStarted(5000))
            return {};
        while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(sim.readLine()).trimmed();
    }

private slots:
    void cleanup()
    {
        if (sim.state() != QProcess::NotRunning) {
            sim.kill();
            sim.waitForFinished(5000);
        }
        Messages::setHandler({});
    }

    void serverEndsMidOperation_data()
    {
        QTest::addColumn<bool>("monitoring");
        QTest::newRow("upload") << false;
        QTest::newRow("monitoring") << true;
    }
    void serverEndsMidOperation()
    {
        QFETCH(bool, monitoring);
        auto ports = std::make_unique<SerialPortProvider>();
        SerialPortProvider &provider = *ports;
        provider.map(1, startServer());
        Session session(std::move(ports));
        session.line.setTiming({1000, 2, 170});
        frmV9Con window(session);
        QStringList messages;
        // Under the message nothing may still offer to stop what has ended.
        bool stopLit = false;
        Messages::setHandler(
            [&](Messages::Icon, const QString &title, const QString &, const QString &) {
                messages << title;
                stopLit = stopLit ||
                          window.findChild<QPushButton *>(QStringLiteral("cmdStop"))->isEnabled();
            });
        window.connection().openAndConnect();
        QVERIFY(session.state.IsConnected);
        if (monitoring)
            window.cmdUpload_Click();

        int exchanges = 0;
        int retriesAfter = 0; // further attempts announced once the port has failed
        connect(&session.traffic, &TrafficLog::appended, &window, [&](const TrafficEntry &) {
            if (++exchanges == 30 && sim.state() != QProcess::NotRunning)
                sim.kill();
        });
        connect(&session.line, &SerialLine::retrying, &window,
                [&] { retriesAfter += session.line.isOpen() ? 0 : 1; });
        if (monitoring)
            window.cmdStart_Click();
        else
            window.cmdUpload_Click();
        QCOMPARE(messages, QStringList{monitoring ? QStringLiteral("Test of communication")
                                                  : QStringLiteral("Uploading")});
        QVERIFY(!session.state.IsMonitoring);
        QVERIFY(!session.state.IsConnected);
        QCOMPARE(retriesAfter, 0);
        QVERIFY(!stopLit);
        QCOMPARE(window.findChild<QLabel *>(QStringLiteral("lblConStatus"))->text(),
                 QStringLiteral("Disconnected"));

        // Idle afterwards: the event loop sleeps instead of spinning on a dead line.
        int wakeUps = 0;
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, &window,
                [&] { ++wakeUps; });
        QEventLoop idle;
        QTimer::singleShot(500, &idle, &QEventLoop::quit);
        idle.exec();
        QVERIFY2(wakeUps < 25, qPrintable(QString::number(wakeUps)));
        QCOMPARE(messages.size(), 1);

        sim.waitForFinished(5000);
        provider.map(1, startServer());
        window.connection().openAndConnect();
        QVERIFY(session.state.IsConnected);
        QCOMPARE(messages.size(), 1);
    }
};

QTEST_MAIN(TestUnplug)
#include "test_unplug.moc"
