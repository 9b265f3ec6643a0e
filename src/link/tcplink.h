#pragma once

#include "link/linkport.h"
#include "link/portdesignation.h"

#include <functional>

class QTcpSocket;

// LinkPort to a serial device server that passes raw bytes (tcp://HOST:PORT):
// the server's own set-up decides the line settings. Connecting waits in a
// local event loop, so the window stays alive; a close() meanwhile ends it.
class TcpLink : public LinkPort
{
    Q_OBJECT
public:
    TcpLink(PortDesignation where, NetworkTiming timing, QObject *parent = nullptr);
    ~TcpLink() override;

    QString open(const LineSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void discardInput() override;
    QString describe() const override { return m_where.text; }

protected:
    enum WaitResult
    {
        Done = 101,
        TimedOut = 102,
        SocketFailed = 103,
        Closed = 104,
    };
    // Runs the event loop until `done` holds (asked again after every event
    // of the socket), the time is up, the socket fails or close() is called.
    // Anything else ending it (the application quitting) gives 0.
    int waitFor(const std::function<bool()> &done, int timeoutMs);
    // After the connection, before the port counts as open: "" or why not.
    virtual QString setUpLine(const LineSettings &settings);
    // What the socket brought, as data for the line; the rest is the
    // subclass's to handle.
    virtual QByteArray fromWire(const QByteArray &bytes) { return bytes; }
    virtual QByteArray toWire(const QByteArray &bytes) const { return bytes; }
    bool sendRaw(const QByteArray &bytes);
    QString reasonText() const;

    PortDesignation m_where;
    NetworkTiming m_timing;

private:
    void onReadyRead();
    void lose(const QString &reason);

    struct Wait;

    QTcpSocket *m_socket;
    Wait *m_wait = nullptr;
    QByteArray m_rx;
    bool m_open = false;
};
