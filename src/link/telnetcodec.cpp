#include "link/telnetcodec.h"

TelnetCodec::TelnetCodec(QList<quint8> ours, QList<quint8> theirs)
    : m_ours(std::move(ours)), m_theirs(std::move(theirs))
{
}

QByteArray TelnetCodec::start()
{
    m_us.fill(State::No);
    m_him.fill(State::No);
    m_refusedOurs.fill(false);
    m_refusedTheirs.fill(false);
    m_reading = Reading::Data;
    m_sub.clear();
    QByteArray out;
    for (const quint8 o : m_ours) {
        m_us[o] = State::Asked;
        out += command(WILL, o);
    }
    for (const quint8 o : m_theirs) {
        m_him[o] = State::Asked;
        out += command(DO, o);
    }
    return out;
}

TelnetCodec::Received TelnetCodec::receive(const QByteArray &bytes)
{
    Received r;
    for (const char c : bytes) {
        const auto b = static_cast<quint8>(c);
        switch (m_reading) {
        case Reading::Data:
            if (b == IAC)
                m_reading = Reading::Iac;
            else
                r.data += c;
            break;
        case Reading::Iac:
            if (b == IAC) {
                r.data += c;
                m_reading = Reading::Data;
            } else if (b >= WILL) {
                m_verb = b;
                m_reading = Reading::Verb;
            } else if (b == SB) {
                m_sub.clear();
                m_reading = Reading::Sub;
            } else {
                // NOP, GA, a stray SE and the rest carry nothing for us.
                m_reading = Reading::Data;
            }
            break;
        case Reading::Verb:
            negotiate(m_verb, b, r.answer);
            m_reading = Reading::Data;
            break;
        case Reading::Sub:
            if (b == IAC)
                m_reading = Reading::SubIac;
            else
                m_sub += c;
            break;
        case Reading::SubIac:
            if (b == IAC) {
                m_sub += c;
                m_reading = Reading::Sub;
            } else {
                // SE ends it; anything else is a broken one, ended all the same.
                if (!m_sub.isEmpty())
                    r.subnegotiations.append(m_sub);
                m_sub.clear();
                m_reading = Reading::Data;
            }
            break;
        }
    }
    return r;
}

void TelnetCodec::negotiate(quint8 verb, quint8 option, QByteArray &answer)
{
    const bool aboutOurs = verb == DO || verb == DONT;
    const bool enable = verb == WILL || verb == DO;
    State &state = aboutOurs ? m_us[option] : m_him[option];
    const bool wanted = (aboutOurs ? m_ours : m_theirs).contains(option);
    if (enable) {
        if (state == State::Yes)
            return;
        if (wanted) {
            // Our own request's acknowledgement needs no answer.
            if (state == State::No)
                answer += command(aboutOurs ? WILL : DO, option);
            state = State::Yes;
            return;
        }
        bool &refused = aboutOurs ? m_refusedOurs[option] : m_refusedTheirs[option];
        if (!std::exchange(refused, true))
            answer += command(aboutOurs ? WONT : DONT, option);
        return;
    }
    // A refusal of our request, or the server giving an option up.
    if (state == State::Yes)
        answer += command(aboutOurs ? WONT : DONT, option);
    state = State::No;
}

QByteArray TelnetCodec::escape(const QByteArray &data)
{
    QByteArray out = data;
    return out.replace("\xff", QByteArray("\xff\xff", 2));
}

QByteArray TelnetCodec::command(quint8 verb, quint8 option)
{
    QByteArray out;
    out += static_cast<char>(IAC);
    out += static_cast<char>(verb);
    out += static_cast<char>(option);
    return out;
}

QByteArray TelnetCodec::subnegotiation(quint8 option, const QByteArray &payload)
{
    QByteArray out;
    out += static_cast<char>(IAC);
    out += static_cast<char>(SB);
    out += static_cast<char>(option);
    out += escape(payload);
    out += static_cast<char>(IAC);
    out += static_cast<char>(SE);
    return out;
}
