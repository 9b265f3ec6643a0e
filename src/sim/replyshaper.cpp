#include "sim/replyshaper.h"

#include <QRandomGenerator>
#include <cmath>

ReplyShaper::ReplyShaper(const SimFaults &faults, QRandomGenerator &random)
    : m_faults(faults), m_random(random)
{
}

QByteArray ReplyShaper::noise()
{
    // No CR (it would end the reply early and turn noise into a value) and
    // no blank (the program trims blanks, so noise would vanish).
    static const char pool[] = "\x00\x01\x07\x0a\x15\x1b\x7f\x80\xa5\xfe\xff#%&?~^|";
    const int length = 3 + static_cast<int>(m_random.bounded(6));
    QByteArray out;
    for (int i = 0; i < length; ++i)
        out += pool[m_random.bounded(static_cast<int>(sizeof pool) - 1)];
    return out;
}

QList<TimedBytes> ReplyShaper::shape(int commandChars, const QByteArray &reply, bool isCardSelect,
                                     bool silenced)
{
    m_addedDelayMs = 0;
    if (silenced || m_faults.silent)
        return {};

    QByteArray body = reply;
    if (m_faults.crlf)
        body += '\n';
    if (m_faults.garbage) {
        // Noise in front of "COK" spoils the select; noise in front of a
        // value would be a wrong value no program could spot, so there the
        // noise replaces the reply and the exchange runs into its time-out.
        body = isCardSelect ? noise() + body : noise();
    }

    const double charMs = m_faults.pacing ? kCharMs : 0.0;
    const double start = commandChars * charMs + m_faults.replyDelayMs + m_faults.lateMs;
    m_addedDelayMs = m_faults.replyDelayMs + m_faults.lateMs;

    const qsizetype piece = m_faults.chunkSize > 0 ? m_faults.chunkSize : body.size();
    QList<TimedBytes> out;
    qsizetype sent = 0;
    for (int index = 0; sent < body.size(); ++index) {
        QByteArray bytes = body.mid(sent, piece);
        // A line end stays whole: the LF follows its CR at once on a real line.
        if (bytes.endsWith('\r') && body.size() > sent + bytes.size() &&
            body.at(sent + bytes.size()) == '\n')
            bytes += '\n';
        sent += bytes.size();
        if (index > 0)
            m_addedDelayMs += m_faults.chunkPauseMs;
        const double at = start + sent * charMs + index * m_faults.chunkPauseMs;
        out.append({static_cast<int>(std::ceil(at)), bytes});
    }
    return out;
}
