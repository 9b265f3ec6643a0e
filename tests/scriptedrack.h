#pragma once

#include "link/memoryport.h"
#include "link/transactions.h"

#include <QByteArray>
#include <QList>
#include <functional>

// A hand-driven far end for link tests: records every line written to the
// port and answers through a responder, chunk by chunk with delays.
struct Chunk
{
    int delayMs; // from the moment the command was written
    QByteArray bytes;
};

class ScriptedRack : public QObject
{
public:
    using Responder = std::function<QList<Chunk>(const QByteArray &command)>;

    explicit ScriptedRack(MemoryPort *port);
    void setResponder(Responder r) { m_responder = std::move(r); }
    // Answers G with g, I with i and D with d at once; "" means silence.
    void answerBy(const QByteArray &g, const QByteArray &i, const QByteArray &d = {});

    QList<QByteArray> commands;

private:
    MemoryPort *m_port;
    Responder m_responder;
};

// A reply as the link tests' tables write it: the value, or what happened
// instead.
inline QString describe(const Reply &r)
{
    if (r.ok())
        return *r;
    switch (r.why()) {
    case Failure::Busy:
        return QStringLiteral("busy");
    case Failure::Silent:
        return QStringLiteral("silent");
    case Failure::Unusable:
        return QStringLiteral("unusable");
    case Failure::Refused:
        return QStringLiteral("refused");
    case Failure::NotUsed:
        return QStringLiteral("not used");
    case Failure::Error:
        break;
    }
    return QStringLiteral("error: ") + r.reason();
}
