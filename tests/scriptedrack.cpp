#include "scriptedrack.h"

#include <QTimer>

ScriptedRack::ScriptedRack(MemoryPort *port) : QObject(port), m_port(port)
{
    connect(port, &MemoryPort::written, this, [this](const QByteArray &bytes) {
        commands << bytes;
        if (!m_responder)
            return;
        for (const Chunk &c : m_responder(bytes)) {
            QTimer::singleShot(c.delayMs, Qt::PreciseTimer, this,
                               [this, b = c.bytes] { m_port->inject(b); });
        }
    });
}

void ScriptedRack::answerBy(const QByteArray &g, const QByteArray &i, const QByteArray &d)
{
    setResponder([g, i, d](const QByteArray &cmd) -> QList<Chunk> {
        const QByteArray r = cmd.startsWith('G') ? g : cmd.startsWith('I') ? i : d;
        if (r.isEmpty())
            return {};
        return {{0, r + '\r'}};
    });
}
