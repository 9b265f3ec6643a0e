#include "exchange/operationgate.h"

OperationGate::Ticket &OperationGate::Ticket::operator=(Ticket &&other) noexcept
{
    if (this != &other) {
        release();
        m_gate = std::exchange(other.m_gate, nullptr);
    }
    return *this;
}

void OperationGate::Ticket::release()
{
    if (OperationGate *gate = std::exchange(m_gate, nullptr))
        gate->end();
}

OperationGate::Ticket OperationGate::begin(const QString &operation)
{
    if (busy())
        return Ticket();
    m_running = operation.isEmpty() ? QStringLiteral("operation") : operation;
    emit busyChanged(true);
    return Ticket(this);
}

void OperationGate::end()
{
    m_running.clear();
    emit busyChanged(false);
}
