#include "exchange/connect.h"

#include "exchange/session.h"
#include "link/linesettings.h"
#include "link/transactions.h"
#include "model/encodings.h"

namespace {

ConnectOutcome failed(Session &s, ConnectOutcome::Result result, const QString &portError = {})
{
    s.line.close();
    s.state.IsConnected = false;
    ConnectOutcome out;
    out.result = result;
    out.portError = portError;
    return out;
}

} // namespace

ConnectOutcome ConnectComCard(Session &session, const std::function<void()> &answered)
{
    GlobalState &st = session.state;
    SerialLine &line = session.line;
    ConnectOutcome out;
    // A new port now would pull the waiting exchange's line away.
    if (line.isExchanging() || !line.attachPort(session.ports->create(st.ComPortNo))) {
        out.result = ConnectOutcome::Result::Refused;
        return out;
    }
    // CommBaudRate is kept as text; the port takes the line as numbers.
    const QString openError =
        line.port()->open(LineSettings{st.CommBaudRate.toInt(), LineSettings::Parity::None, 8, 1});
    if (!openError.isEmpty())
        return failed(session, ConnectOutcome::Result::PortError, openError);
    if (const Reply check = AskCommCard(line); !Answered(check)) {
        if (check.is(Failure::Busy)) {
            out.result = ConnectOutcome::Result::Refused;
            return out;
        }
        return failed(session, line.isOpen() ? ConnectOutcome::Result::NoAnswer
                                             : ConnectOutcome::Result::LinkLost);
    }
    // Whatever was known of the rack on an earlier link may be another rack's.
    ++session.link;
    session.lastRead = CardTable();
    session.commCardRead.clear();
    session.commCardModel.clear();
    session.commCardVersion.clear();
    if (answered)
        answered();
    st.IsConnected = true;
    const Reply model = ReadItem(line, kRetries, QStringLiteral("00"), QStringLiteral("04"));
    out.model = ReplyText(model);
    // A card that does not name itself may still be connected; a port that
    // died meanwhile may not.
    if (!line.isOpen())
        return failed(session, ConnectOutcome::Result::LinkLost);
    // This rack's card from now on: the change log and the window name it.
    // A refusal names nothing.
    if (model)
        session.commCardModel = TextBeforeColon(*model);
    out.result = ConnectOutcome::Result::Connected;
    out.ethernet = out.model.left(6) == QLatin1String("V9-XS1");
    return out;
}
