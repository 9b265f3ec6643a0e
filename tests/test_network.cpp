// The network ports against real peers: v9rack-sim behind Debian's ser2net,
// raw and RFC 2217, and on its own TCP port; small servers in the test for
// what a real one does not do on demand.
#include "cli/cliopts.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/portsetup.h"
#include "exchange/session.h"
#include "link/portdesignation.h"
#include "link/telnetcodec.h"
#include "link/transactions.h"
#include "sim/simulatedrack.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <csignal>
#include <functional>
#include <sys/prctl.h>

namespace {

struct Run
{
    int code = -1;
    QString err;
};

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (const int b : list)
        out += static_cast<char>(b);
    return out;
}

// The simulators and ser2net end with this test, even when it crashes.
void endWithTest(QProcess &p)
{
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

// Accepts one client, keeps what it sends, and answers the commands of its
// script (raw, as they arrive) with pieces sent apart; anything else, the
// Telnet set-up included, it leaves unanswered.
class FakeServer : public QObject
{
public:
    QList<std::pair<QByteArray, QList<QByteArray>>> script;
    QByteArray received;

    FakeServer()
    {
        server.listen(QHostAddress::LocalHost);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            client = server.nextPendingConnection();
            connect(client, &QTcpSocket::readyRead, this, [this] {
                received += client->readAll();
                for (const auto &[command, pieces] : std::as_const(script))
                    if (received.endsWith(command))
                        for (qsizetype i = 0; i < pieces.size(); ++i)
                            QTimer::singleShot(30 * i, client, [this, p = pieces.at(i)] {
                                client->write(p);
                                client->flush();
                            });
            });
        });
    }
    quint16 port() const { return server.serverPort(); }

private:
    QTcpServer server;
    QTcpSocket *client = nullptr;
};

// A listener whose queue is full: a further connection is never taken.
struct FullListener
{
    FullListener()
    {
        server.setListenBacklogSize(0);
        server.listen(QHostAddress::LocalHost);
        server.pauseAccepting();
        queued.connectToHost(QHostAddress::LocalHost, server.serverPort());
        queued.waitForConnected(1000);
    }
    QTcpServer server;
    QTcpSocket queued;
};

} // namespace

class TestNetwork : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    // A simulator for each way in: ser2net refuses a client of a device
    // that it has not quite let go of after another one.
    struct Sim
    {
        QProcess process;
        QString pty;
        QString record; // what it received
    };
    Sim m_sims[3]; // reached directly, through ser2net raw, through RFC 2217
    QString m_ser2net;
    QProcess m_bridge;
    QString m_raw;
    QString m_2217;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The first line a program prints: the simulator's pty or address.
    static QString startAndRead(QProcess &p, const QString &program, const QStringList &args)
    {
        endWithTest(p);
        p.start(program, args);
        while (p.waitForReadyRead(5000) && !p.canReadLine()) {
        }
        return QString::fromLocal8Bit(p.readLine()).trimmed();
    }

    // ser2net in the foreground with a raw and an RFC 2217 port; its
    // defaults otherwise, as an operator would have them.
    void startBridge()
    {
        const quint16 raw = freePort();
        const quint16 telnet = freePort();
        QFile config(path(QStringLiteral("ser2net.yaml")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        for (const auto &[name, accepter, pty] :
             {std::tuple{"raw", QStringLiteral("tcp,127.0.0.1,%1").arg(raw), m_sims[1].pty},
              std::tuple{"telnet", QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1").arg(telnet),
                         m_sims[2].pty}})
            config.write(QStringLiteral("connection: &%1\n    accepter: %2\n"
                                        "    connector: serialdev,%3,1200n81,local\n")
                             .arg(QLatin1String(name), accepter, pty)
                             .toUtf8());
        config.close();
        m_raw = QStringLiteral("tcp://127.0.0.1:%1").arg(raw);
        m_2217 = QStringLiteral("rfc2217://127.0.0.1:%1").arg(telnet);
        endWithTest(m_bridge);
        m_bridge.start(m_ser2net, {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"),
                                   config.fileName(), QStringLiteral("-P"),
                                   path(QStringLiteral("ser2net.pid"))});
        QVERIFY(m_bridge.waitForStarted(5000));
        for (int tries = 0; tries < 100; ++tries) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, raw);
            if (probe.waitForConnected(1000))
                return;
            QTest::qWait(50);
        }
        QFAIL(qPrintable(QStringLiteral("ser2net did not listen: ") + m_bridge.readAll()));
    }

    static QByteArray takeRecord(const Sim &sim)
    {
        QFile f(sim.record);
        if (!f.open(QIODevice::ReadWrite))
            return {};
        const QByteArray all = f.readAll();
        f.resize(0);
        return all;
    }

    // v9con-cli's commands as its main() runs them, in this process so that
    // the line's times can be shortened and an exchange can pull the plug.
    static Run cli(const QStringList &args, LinkTiming timing,
                   const std::function<void(Session &)> &prepare = {})
    {
        const CliOptions o = ParseCliOptions(args);
        if (!o.error.isEmpty())
            return {kExitUsage, o.error};
        std::unique_ptr<SimulatedRack> rack;
        std::unique_ptr<PortProvider> ports = std::move(*MakePorts(o.port, rack));
        static_cast<SerialPortProvider &>(*ports).setNetworkTiming({1000, 300});
        Session session(std::move(ports));
        session.state.ComPortNo = PortNumber(o.port);
        session.line.setTiming(timing);
        if (prepare)
            prepare(session);
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        Console console{outStream, errStream, false};
        const int code = Commands(session, console).run(o);
        return {code, err};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
        // Installed by scripts/setup.sh: its absence is a broken set-up, not a skip.
        m_ser2net = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
        if (m_ser2net.isEmpty())
            m_ser2net = QStandardPaths::findExecutable(QStringLiteral("ser2net"),
                                                       {QStringLiteral("/usr/sbin")});
        QVERIFY2(!m_ser2net.isEmpty(), "ser2net is not installed (scripts/setup.sh installs it)");
        for (int i = 0; i < 3; ++i) {
            Sim &sim = m_sims[i];
            sim.record = path(QStringLiteral("received%1.bin").arg(i));
            sim.pty =
                startAndRead(sim.process, QStringLiteral(V9RACK_SIM), {"--record", sim.record});
            QVERIFY2(sim.pty.startsWith(QLatin1String("/dev/")), qPrintable(sim.pty));
        }
        startBridge();
    }

    void cleanupTestCase()
    {
        for (QProcess *p :
             {&m_bridge, &m_sims[0].process, &m_sims[1].process, &m_sims[2].process}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }

    // Every transport carries the same commands, byte for byte, through the
    // same code as the tool: an upload, then the download of what it saved.
    void sameCommandsOnEveryTransport()
    {
        const LinkTiming quick{3000, 1, 500};
        QByteArray direct;
        for (const auto &[port, sim] :
             {std::pair{m_sims[0].pty, 0}, std::pair{m_raw, 1}, std::pair{m_2217, 2}}) {
            const QString file = path(QStringLiteral("rack.uJx"));
            takeRecord(m_sims[sim]);
            const Run up = cli({"--port", port, "upload", "-o", file}, quick);
            QVERIFY2(up.code == kExitDone, qPrintable(port + QLatin1Char('\n') + up.err));
            const Run down = cli({"--port", port, "download", file}, quick);
            QVERIFY2(down.code == kExitDone, qPrintable(port + QLatin1Char('\n') + down.err));
            const QByteArray wire = takeRecord(m_sims[sim]);
            QVERIFY(wire.count('\r') > 500);
            if (direct.isEmpty())
                direct = wire;
            QVERIFY2(wire == direct, qPrintable(port));
        }
    }

    // Where: a URL, or "full:", "silent:" or "bridge:" with the scheme for
    // a port made by the row: a listener that takes no more connections, a
    // server in the test that never answers, or ser2net, killed mid-upload.
    // %1 in the message is the URL.
    void faults_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("error");
        QTest::newRow("refused port") << QStringLiteral("tcp://127.0.0.1:%1").arg(freePort())
                                      << "cannot open %1: Connection refused";
        QTest::newRow("connection never taken")
            << "full:tcp"
            << "cannot open %1: Connection timed out (no answer within 1 s)";
        QTest::newRow("name that does not resolve") << "rfc2217://rack.invalid:4001"
                                                    << "cannot open %1: Host not found";
        for (const QString &s : {QStringLiteral("tcp"), QStringLiteral("rfc2217")}) {
            QTest::newRow(qPrintable(s + " server never answers"))
                << "silent:" + s << "cannot connect: the rack did not answer on %1";
            QTest::newRow(qPrintable(s + " server killed mid-upload"))
                << "bridge:" + s << "upload incomplete: the port failed on %1";
        }
    }
    void faults()
    {
        QFETCH(QString, where);
        QFETCH(QString, error);
        FakeServer silent;
        FullListener full;
        QString port = where;
        std::function<void(Session &)> prepare;
        if (where.startsWith(QLatin1String("silent:")) ||
            where.startsWith(QLatin1String("full:"))) {
            port = QStringLiteral("%1://127.0.0.1:%2")
                       .arg(where.section(QLatin1Char(':'), 1))
                       .arg(where.startsWith(QLatin1String("full")) ? full.server.serverPort()
                                                                    : silent.port());
        } else if (where.startsWith(QLatin1String("bridge:"))) {
            port = where.endsWith(QLatin1String("tcp")) ? m_raw : m_2217;
            prepare = [this](Session &s) {
                connect(&s.traffic, &TrafficLog::appended, this, [this, &s] {
                    if (s.traffic.entries().size() == 40)
                        m_bridge.kill();
                });
            };
        }
        const QString file = path(QStringLiteral("fault.uJx"));
        QFile::remove(file);
        const Run run = cli({"--port", port, "upload", "-o", file}, {300, 1, 50}, prepare);
        if (m_bridge.state() == QProcess::NotRunning) {
            m_bridge.waitForFinished(5000);
            startBridge();
        }
        // The message says what and where, and the file stays unwritten.
        QCOMPARE(run.code, int(kExitRack));
        const QStringList lines = run.err.split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(QStringLiteral("v9con-cli: ") + error.arg(port)) &&
                     lines.contains(QStringLiteral("  Port: COM1 (%1)").arg(port)),
                 qPrintable(run.err));
        QVERIFY(!QFile::exists(file));
        // The set-up left unanswered, the commands went out all the same.
        if (where == QLatin1String("silent:rfc2217"))
            QVERIFY2(silent.received.contains("G00\r"), silent.received.toHex(' ').constData());
    }

    // An event handled while connecting closes the port (Disconnect) or
    // drops it for another: the wait ends at once, with a reason.
    void closedWhileConnecting()
    {
        FullListener full;
        const QString url = QStringLiteral("tcp://127.0.0.1:%1").arg(full.server.serverPort());
        for (const bool dropped : {false, true}) {
            SerialLine line;
            line.attachPort(MakeLinkPort(url, {5000, 300}));
            LinkPort *port = line.port();
            QTimer::singleShot(100, &line, [&line, dropped] {
                if (dropped)
                    line.attachPort({});
                else
                    line.close();
            });
            QCOMPARE(port->open(LineSettings{}), dropped ? QStringLiteral("Port closed")
                                                         : url + QStringLiteral(": Port closed"));
        }
    }

    // An RFC 2217 server: the line set through it, 1200,n,8,1 as
    // COM-PORT-OPTION wants it, and never a modem-line request (a server on
    // a pty would not answer it); a server that sets another value is
    // reported, not used. Then Telnet in the replies: 0xFF of line noise
    // doubled, a state notification inside a reply, both split across
    // reads; and 0xFF in a command doubled on its way out.
    void telnetServer_data()
    {
        QTest::addColumn<QByteArray>("baud");
        QTest::addColumn<QString>("error");
        QTest::newRow("set") << bytes({0, 0, 4, 176}) << QString();
        QTest::newRow("another value")
            << bytes({0, 0, 0x25, 0x80})
            << ": the server did not set the line to 1200 baud (it answered 9600)";
    }
    void telnetServer()
    {
        QFETCH(QByteArray, baud);
        QFETCH(QString, error);
        const auto sb = [](int code, const QByteArray &value) {
            return bytes({255, 250, 44, code}) + value + bytes({255, 240});
        };
        const QByteArray settings = sb(1, bytes({0, 0, 4, 176})) + sb(2, bytes({8})) +
                                    sb(3, bytes({1})) + sb(4, bytes({1}));
        FakeServer server;
        // Everything agreed once our set-up is in (it ends with DO SUPPRESS-GO-AHEAD).
        server.script = {
            {bytes({255, 253, 3}),
             {bytes({255, 251, 0, 255, 251, 3, 255, 253, 0, 255, 253, 3, 255, 253, 44})}},
            {settings,
             {sb(102, bytes({8})) + sb(101, baud) + sb(103, bytes({1})) + sb(104, bytes({1}))}},
            {"G01\r", {bytes({255}), bytes({255, 0xfe}) + "COK\r"}},
            {"I02\r", {"0MD:X", bytes({255, 250, 44, 106, 0x60, 255}), bytes({240}) + "A1\r"}},
            {bytes({'D', 255, 255, '\r'}), {"CNG\r"}}};
        const QString url = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port());
        SerialLine line;
        line.attachPort(MakeLinkPort(url, {2000, 5000}));
        line.setTiming({2000, 1, 50});
        QCOMPARE(line.port()->open(LineSettings{}), error.isEmpty() ? QString() : url + error);
        QVERIFY2(server.received.contains(settings), server.received.toHex(' ').constData());
        QVERIFY(!server.received.contains(bytes({255, 250, 44, 5})));
        if (!error.isEmpty())
            return;
        QCOMPARE(line.SendCommand(QStringLiteral("G01\r")).valueOr(QString()),
                 QString::fromLatin1("\xff\xfe"
                                     "COK"));
        QCOMPARE(line.SendCommand(QStringLiteral("I02\r")).valueOr(QString()),
                 QStringLiteral("0MD:XA1"));
        QCOMPARE(line.SendCommand(QString::fromLatin1("D\xff\r")).valueOr(QString()),
                 QStringLiteral("CNG"));
    }

    // The decoder on its own: every sequence split at every byte gives the
    // same data, answers and subnegotiations as in one piece.
    void telnetCodec_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("sub");
        const QByteArray none;
        QTest::newRow("doubled 0xFF")
            << bytes({'a', 255, 255, 'b'}) << bytes({'a', 255, 'b'}) << none << none;
        QTest::newRow("acknowledgements")
            << bytes({255, 253, 44, 255, 251, 0, 255, 253, 3}) << none << none << none;
        QTest::newRow("unwanted offers refused once")
            << bytes({255, 251, 1, 255, 251, 1, 255, 253, 24, 'x', 255, 253, 24}) << QByteArray("x")
            << bytes({255, 254, 1, 255, 252, 24}) << none;
        QTest::newRow("option given up after agreement")
            << bytes({255, 251, 0, 255, 252, 0, 255, 252, 0}) << none << bytes({255, 254, 0})
            << none;
        QTest::newRow("subnegotiation with 0xFF inside")
            << bytes({'1', 255, 250, 44, 101, 0, 255, 255, 4, 176, 255, 240, '2'})
            << QByteArray("12") << none << bytes({44, 101, 0, 255, 4, 176});
        QTest::newRow("other commands")
            << bytes({255, 241, 'a', 255, 249, 'b'}) << QByteArray("ab") << none << none;
    }
    void telnetCodec()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, sub);
        for (qsizetype split = 0; split <= in.size(); ++split) {
            TelnetCodec t({0, 3, 44}, {0, 3});
            QCOMPARE(t.start(),
                     bytes({255, 251, 0, 255, 251, 3, 255, 251, 44, 255, 253, 0, 255, 253, 3}));
            TelnetCodec::Received a = t.receive(in.left(split));
            const TelnetCodec::Received b = t.receive(in.mid(split));
            a.subnegotiations += b.subnegotiations;
            QCOMPARE(a.data + b.data, data);
            QCOMPARE(a.answer + b.answer, answer);
            QCOMPARE(a.subnegotiations.join(), sub);
        }
        QCOMPARE(TelnetCodec::escape(bytes({1, 255, 2, 255})), bytes({1, 255, 255, 2, 255, 255}));
    }

    // Designations the tool refuses before it opens anything.
    void badDesignations()
    {
        for (const auto &[text, why] : {
                 std::pair{"tcp://10.1.2.3", "\"tcp://10.1.2.3\": no port; use tcp://HOST:PORT"},
                 {"rfc2217://h:0", "\"rfc2217://h:0\": the port must be a number from 1 to "
                                   "65535; use rfc2217://HOST:PORT"},
                 {"telnet://h:23", "\"telnet://h:23\": unknown kind of port \"telnet://\"; use a "
                                   "device, tcp://HOST:PORT or rfc2217://HOST:PORT"},
             }) {
            QProcess p;
            p.start(QStringLiteral(V9CON_CLI), {"--port", text, "show"});
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), int(kExitUsage));
            QCOMPARE(QString::fromUtf8(p.readAllStandardError()),
                     QStringLiteral("v9con-cli: --port %1 (see v9con-cli --help)\n")
                         .arg(QLatin1String(why)));
        }
        const auto v6 = ParsePortDesignation(QStringLiteral("RFC2217://[::1]:4001"));
        QVERIFY(v6 && v6->kind == PortDesignation::Kind::Rfc2217 && v6->host == "::1" &&
                v6->port == 4001);
    }

    // v9rack-sim on its own TCP port: one client at a time, the fault
    // switches as on the pty; the next client is served once the first left.
    void simulatorServesOneClient()
    {
        QProcess sim;
        const QString url = startAndRead(sim, QStringLiteral(V9RACK_SIM),
                                         {"--tcp", "127.0.0.1:0", "--card", "3", "--silent"});
        QVERIFY2(url.startsWith(QLatin1String("tcp://127.0.0.1:")), qPrintable(url));
        const auto first = std::make_unique<SerialLine>();
        first->attachPort(MakeLinkPort(url));
        QCOMPARE(first->port()->open(LineSettings{}), QString());
        first->setTiming({300, 1, 50});
        QCOMPARE(ReadItem(*first, 0, QStringLiteral("3"), QStringLiteral("2")).valueOr(QString()),
                 QString());
        QCOMPARE(ReadItem(*first, 0, QStringLiteral("4"), QStringLiteral("2")).valueOr(QString()),
                 QStringLiteral("MD:XE2-P"));

        QTcpSocket second;
        second.connectToHost(QHostAddress::LocalHost, QUrl(url).port());
        QVERIFY(second.waitForConnected(5000));
        QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(second.readAll(), QByteArray("v9rack-sim: busy, another client is connected\r\n"));

        // The simulator may see the next client before the first one's close.
        first->close();
        std::unique_ptr<SerialLine> next;
        QString model;
        for (int tries = 0; tries < 20 && model.isEmpty(); ++tries) {
            next = std::make_unique<SerialLine>();
            next->setTiming({300, 1, 50});
            next->attachPort(MakeLinkPort(url));
            QCOMPARE(next->port()->open(LineSettings{}), QString());
            model = ReadItem(*next, 0, QStringLiteral("4"), QStringLiteral("2")).valueOr(QString());
        }
        QCOMPARE(model, QStringLiteral("MD:XE2-P"));

        // The server going away while the line is idle is heard at once, and once.
        QSignalSpy lost(next.get(), &SerialLine::portLost);
        sim.kill();
        sim.waitForFinished(5000);
        QTRY_COMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(0).toString(),
                 QStringLiteral("The remote host closed the connection"));
        QVERIFY(!next->isOpen());
    }
};

QTEST_GUILESS_MAIN(TestNetwork)
#include "test_network.moc"
