#include "sim/simulatedports.h"

#include "link/memoryport.h"
#include "sim/racksession.h"
#include "sim/simulatedrack.h"

void AttachRack(SimulatedRack &rack, MemoryPort *port)
{
    if (!port)
        return;
    for (RackSession *s : port->findChildren<RackSession *>(Qt::FindDirectChildrenOnly))
        if (s->rack() == &rack)
            return;
    // A child of the port: when the port goes, so does the wiring.
    auto *session = new RackSession(
        &rack, [port](const QByteArray &b) { port->inject(b); }, port);
    QObject::connect(port, &MemoryPort::written, session, &RackSession::feed);
    QObject::connect(port, &LinkPort::failed, session, &RackSession::reset);
}

std::unique_ptr<LinkPort> SimulatedPortProvider::create(int comNo)
{
    auto port = std::make_unique<MemoryPort>(describe(comNo));
    AttachRack(m_rack, port.get());
    return port;
}

QString SimulatedPortProvider::describe(int comNo) const
{
    return QStringLiteral("Simulated rack (COM%1)").arg(comNo);
}
