#pragma once

#include "link/tcplink.h"
#include "link/telnetcodec.h"

// LinkPort to a serial device server that speaks Telnet with the
// COM-PORT-OPTION (rfc2217://HOST:PORT): binary both ways, and the line set
// to the settings open() is given. The modem lines are left alone: a server
// on a device without them (ser2net on a pseudo-terminal) never answers
// such a request.
class Rfc2217Link final : public TcpLink
{
    Q_OBJECT
public:
    Rfc2217Link(PortDesignation where, NetworkTiming timing, QObject *parent = nullptr);

protected:
    QString setUpLine(const LineSettings &settings) override;
    QByteArray fromWire(const QByteArray &bytes) override;
    QByteArray toWire(const QByteArray &bytes) const override { return TelnetCodec::escape(bytes); }

private:
    struct Setting
    {
        quint8 code;
        QByteArray value;
        QString name; // for a message: "1200 baud"
        bool answered = false;
    };
    void sendSettings();
    void takeAnswer(const QByteArray &subnegotiation);
    bool setUpDone() const;

    TelnetCodec m_telnet;
    QList<Setting> m_settings;
    bool m_settingsSent = false;
    QString m_mismatch;
};
