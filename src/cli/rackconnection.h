#pragma once

#include "exchange/rackobserver.h"

#include <QString>

struct Console;
struct Session;

// Connects as the window does (the core's ConnectComCard), so the tool's
// wire starts as the window's does. Empty on success, else why, naming the
// device.
QString ConnectRack(Session &session);

// What the session's port reaches, as messages name it.
QString DeviceOf(const Session &session);
// "<what>: the rack did not answer on <device>", or "the port failed" when
// the line is gone.
QString LinkFailureText(const Session &session, const QString &what);
// A failure the rack or the port caused: the error line, then where the
// operation stopped (`place`, may be empty) and the port, as the window's
// message names them.
void ReportRackFailure(Console &console, const Session &session, const QString &error,
                       const QString &place = {});

// Connects, then resets the card table and uploads every card, as the
// window's Connect and Upload do. Empty on success, else why, naming the
// device; `result` tells a stop the observer asked for from a failure.
QString UploadRack(Session &session, RackObserver &observer, OperationResult *result = nullptr);
