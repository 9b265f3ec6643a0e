#pragma once

#include "link/linkport.h"

class QSerialPort;

// LinkPort over a real serial device (a COM port, a USB adapter or a
// pseudo-terminal). Handshaking and modem lines stay untouched.
class SerialPortLink final : public LinkPort
{
    Q_OBJECT
public:
    explicit SerialPortLink(QString device, QObject *parent = nullptr);
    ~SerialPortLink() override;

    QString open(const LineSettings &settings) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void discardInput() override;
    QString describe() const override { return m_device; }

private:
    void onError(int error);

    QString m_device;
    QSerialPort *m_serial;
};
