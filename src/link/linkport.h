#pragma once

#include "link/linesettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

// The byte pipe under one serial exchange. Production uses QSerialPort;
// tests and --simulate use an in-memory port wired to the rack simulator.
class LinkPort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~LinkPort() override = default;

    // Opens the line at the given settings.
    // Returns an empty string on success, else the reason.
    virtual QString open(const LineSettings &settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual bool write(const QByteArray &bytes) = 0;
    virtual QByteArray readAll() = 0;
    // Throws away whatever waits in the receive buffer.
    virtual void discardInput() = 0;
    // What the port reaches, for tool tips and messages ("/dev/ttyS0").
    virtual QString describe() const = 0;

signals:
    void readyRead();
    // The port stopped working (closed, unplugged, I/O error): any exchange
    // in progress ends at once.
    void failed(const QString &reason);
};
