#include "cli/rackconnection.h"

#include "exchange/session.h"
#include "exchange/upload.h"
#include "link/transactions.h"

QString ConnectRack(Session &session)
{
    GlobalState &st = session.state;
    SerialLine &line = session.line;
    if (!line.attachPort(session.ports->create(st.ComPortNo)))
        return QStringLiteral("%1: the line is busy").arg(DeviceOf(session));
    const QString openError = line.port()->open(st.CommBaudRate + QStringLiteral(",n,8,1"));
    if (!openError.isEmpty()) {
        line.close();
        // A serial port's reason names its device already.
        return openError.contains(DeviceOf(session))
                   ? QStringLiteral("cannot open %1").arg(openError)
                   : QStringLiteral("cannot open %1: %2").arg(DeviceOf(session), openError);
    }
    if (ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("40")).isEmpty()) {
        const QString why = LinkFailureText(session, QStringLiteral("cannot connect"));
        line.close();
        return why;
    }
    st.IsConnected = true;
    // The model is read only because the window reads it; a card that does
    // not name itself is still connected, a port that died meanwhile is not.
    ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("04"));
    if (!line.isOpen()) {
        st.IsConnected = false;
        return LinkFailureText(session, QStringLiteral("cannot connect"));
    }
    return {};
}

QString DeviceOf(const Session &session)
{
    return session.ports->describe(session.state.ComPortNo);
}

QString LinkFailureText(const Session &session, const QString &what)
{
    return QStringLiteral("%1: %2 on %3")
        .arg(what,
             session.line.isOpen() ? QStringLiteral("the rack did not answer")
                                   : QStringLiteral("the port failed"),
             DeviceOf(session));
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
