#include "cli/rackconnection.h"

#include "cli/console.h"
#include "exchange/connect.h"
#include "exchange/portsetup.h"
#include "exchange/session.h"
#include "exchange/upload.h"

namespace {

QString failureText(const Session &session, const QString &what, bool portOpen)
{
    return QStringLiteral("%1: %2 on %3")
        .arg(what,
             portOpen ? QStringLiteral("the rack did not answer")
                      : QStringLiteral("the port failed"),
             DeviceOf(session));
}

} // namespace

QString ConnectRack(Session &session)
{
    const ConnectOutcome outcome = ConnectComCard(session);
    switch (outcome.result) {
    case ConnectOutcome::Result::Connected:
        return {};
    case ConnectOutcome::Result::Refused:
        return QStringLiteral("%1: the line is busy").arg(DeviceOf(session));
    case ConnectOutcome::Result::PortError:
        // A serial port's reason names its device already.
        return outcome.portError.contains(DeviceOf(session))
                   ? QStringLiteral("cannot open %1").arg(outcome.portError)
                   : QStringLiteral("cannot open %1: %2").arg(DeviceOf(session), outcome.portError);
    case ConnectOutcome::Result::NoAnswer:
    case ConnectOutcome::Result::LinkLost:
        break;
    }
    return failureText(session, QStringLiteral("cannot connect"),
                       outcome.result == ConnectOutcome::Result::NoAnswer);
}

QString DeviceOf(const Session &session)
{
    return session.ports->describe(session.state.ComPortNo);
}

QString LinkFailureText(const Session &session, const QString &what)
{
    return failureText(session, what, session.line.isOpen());
}

void ReportRackFailure(Console &console, const Session &session, const QString &error,
                       const QString &place)
{
    console.error(error);
    console.detail(place);
    console.detail(QStringLiteral("Port: ") + PortText(*session.ports, session.state.ComPortNo));
}

QString UploadRack(Session &session, RackObserver &observer, OperationResult *result)
{
    OperationResult ignored;
    OperationResult &r = result ? *result : ignored;
    r = OperationResult::Failed;
    const QString error = ConnectRack(session);
    if (!error.isEmpty())
        return error;
    ResetCardTable(session.cards);
    r = UploadAllCards(session, observer);
    if (r == OperationResult::Completed)
        return {};
    if (r == OperationResult::Cancelled)
        return QStringLiteral("upload stopped");
    return LinkFailureText(session, QStringLiteral("upload incomplete"));
}
