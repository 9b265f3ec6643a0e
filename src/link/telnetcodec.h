#pragma once

#include <QByteArray>
#include <QList>
#include <array>

// The client's side of Telnet as an RFC 2217 serial server speaks it, with
// no I/O of its own: bytes received go in (an IAC sequence may be split
// across reads), the data bytes, the answers to send back and the
// subnegotiations come out. Options are asked for once at the start; an
// option the server offers or asks for that we do not want is refused once,
// and an acknowledgement is never answered, so no negotiation loops.
class TelnetCodec
{
public:
    enum : quint8
    {
        SE = 240,
        SB = 250,
        WILL = 251,
        WONT = 252,
        DO = 253,
        DONT = 254,
        IAC = 255,
    };
    enum : quint8
    {
        Binary = 0,
        SuppressGoAhead = 3,
        ComPortOption = 44,
    };

    struct Received
    {
        QByteArray data;
        QByteArray answer; // to send back as it is
        // Each as option byte, then its payload with IAC IAC undoubled.
        QList<QByteArray> subnegotiations;
    };

    // `ours`: options this side offers (WILL); `theirs`: options it asks the
    // server for (DO).
    TelnetCodec(QList<quint8> ours, QList<quint8> theirs);

    // The requests for every wanted option; the state starts afresh.
    QByteArray start();
    Received receive(const QByteArray &bytes);

    bool oursEnabled(quint8 option) const { return m_us[option] == State::Yes; }
    bool theirsEnabled(quint8 option) const { return m_him[option] == State::Yes; }
    // Answered either way: enabled, or refused by the server.
    bool oursSettled(quint8 option) const { return m_us[option] != State::Asked; }
    bool theirsSettled(quint8 option) const { return m_him[option] != State::Asked; }

    // Data for the wire: every 0xFF doubled.
    static QByteArray escape(const QByteArray &data);
    static QByteArray command(quint8 verb, quint8 option);
    static QByteArray subnegotiation(quint8 option, const QByteArray &payload);

private:
    enum class State : quint8
    {
        No,
        Asked,
        Yes,
    };
    enum class Reading
    {
        Data,
        Iac,
        Verb,
        Sub,
        SubIac,
    };
    void negotiate(quint8 verb, quint8 option, QByteArray &answer);

    QList<quint8> m_ours;
    QList<quint8> m_theirs;
    std::array<State, 256> m_us{};
    std::array<State, 256> m_him{};
    std::array<bool, 256> m_refusedOurs{};
    std::array<bool, 256> m_refusedTheirs{};
    Reading m_reading = Reading::Data;
    quint8 m_verb = 0;
    QByteArray m_sub;
};
