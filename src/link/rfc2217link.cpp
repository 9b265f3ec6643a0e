#include "link/rfc2217link.h"

#include "link/linesettings.h"

#include <QtEndian>

namespace {

// COM-PORT-OPTION commands, client to server; the server answers each with
// the code plus 100 and the value it set.
enum : quint8
{
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    ServerOffset = 100,
};

QByteArray byte(quint8 b)
{
    return QByteArray(1, static_cast<char>(b));
}

} // namespace

Rfc2217Link::Rfc2217Link(PortDesignation where, NetworkTiming timing, QObject *parent)
    : TcpLink(std::move(where), timing, parent),
      m_telnet({TelnetCodec::Binary, TelnetCodec::SuppressGoAhead, TelnetCodec::ComPortOption},
               {TelnetCodec::Binary, TelnetCodec::SuppressGoAhead})
{
}

QString Rfc2217Link::setUpLine(const LineSettings &s)
{
    if (const QString problem = LineSettingsProblem(s); !problem.isEmpty())
        return problem;
    QByteArray baud(4, '\0');
    qToBigEndian(static_cast<quint32>(s.baud), baud.data());
    const quint8 parity = s.parity == LineSettings::Parity::Odd    ? 2
                          : s.parity == LineSettings::Parity::Even ? 3
                                                                   : 1;
    static const char *const parityNames[] = {"", "no parity", "odd parity", "even parity"};
    m_settings = {
        {SetBaudRate, baud, QStringLiteral("%1 baud").arg(s.baud)},
        {SetDataSize, byte(static_cast<quint8>(s.dataBits)),
         QStringLiteral("%1 data bits").arg(s.dataBits)},
        {SetParity, byte(parity), QString::fromLatin1(parityNames[parity])},
        {SetStopSize, byte(static_cast<quint8>(s.stopBits)),
         QStringLiteral("%1 stop bit%2").arg(s.stopBits).arg(s.stopBits > 1 ? "s" : "")},
    };
    m_settingsSent = false;
    m_mismatch.clear();
    if (!sendRaw(m_telnet.start()))
        return reasonText();
    // Bounded: a server that leaves some of it unanswered gets the line as
    // it is then, and the rack's replies tell whether that works.
    const int result = waitFor([this] { return setUpDone(); }, m_timing.negotiationMs);
    if (result == SocketFailed)
        return reasonText();
    if (result != Done && result != TimedOut)
        return QStringLiteral("Port closed");
    return m_mismatch;
}

bool Rfc2217Link::setUpDone() const
{
    if (!m_mismatch.isEmpty())
        return true;
    for (const quint8 o : {TelnetCodec::Binary, TelnetCodec::SuppressGoAhead}) {
        if (!m_telnet.oursSettled(o) || !m_telnet.theirsSettled(o))
            return false;
    }
    if (!m_telnet.oursSettled(TelnetCodec::ComPortOption))
        return false;
    // A plain Telnet server that refuses the option: nothing more to wait for.
    if (!m_telnet.oursEnabled(TelnetCodec::ComPortOption))
        return true;
    for (const Setting &s : m_settings)
        if (!s.answered)
            return false;
    return true;
}

QByteArray Rfc2217Link::fromWire(const QByteArray &bytes)
{
    TelnetCodec::Received r = m_telnet.receive(bytes);
    if (!r.answer.isEmpty())
        sendRaw(r.answer);
    for (const QByteArray &sub : std::as_const(r.subnegotiations))
        takeAnswer(sub);
    if (!m_settingsSent && m_telnet.oursEnabled(TelnetCodec::ComPortOption))
        sendSettings();
    return r.data;
}

void Rfc2217Link::sendSettings()
{
    m_settingsSent = true;
    QByteArray out;
    for (const Setting &s : std::as_const(m_settings))
        out += TelnetCodec::subnegotiation(TelnetCodec::ComPortOption, byte(s.code) + s.value);
    sendRaw(out);
}

// Only the answers to our settings count; the line and modem state
// notifications and the rest are not asked for and carry nothing for us.
void Rfc2217Link::takeAnswer(const QByteArray &sub)
{
    if (sub.size() < 2 || static_cast<quint8>(sub.at(0)) != TelnetCodec::ComPortOption)
        return;
    const auto code = static_cast<quint8>(sub.at(1));
    for (Setting &s : m_settings) {
        if (code != s.code + ServerOffset || s.answered)
            continue;
        s.answered = true;
        const QByteArray value = sub.mid(2);
        if (value != s.value && m_mismatch.isEmpty()) {
            quint64 answered = 0;
            for (const char c : value)
                answered = answered << 8 | static_cast<quint8>(c);
            m_mismatch = QStringLiteral("the server did not set the line to %1 (it answered %2)")
                             .arg(s.name)
                             .arg(answered);
        }
    }
}
