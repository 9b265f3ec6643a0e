#include "ui/commandscope.h"

#include "ui/commandlock.h"

#include <QWidget>

CommandScope::CommandScope(OperationGate &gate, CommandLock &lock, const QString &operation)
    : m_ticket(gate.begin(operation)), m_lock(lock)
{
    if (m_ticket)
        m_lock.DisableCommands();
}

CommandScope::~CommandScope()
{
    if (!m_ticket)
        return;
    m_ticket.release();
    m_lock.EnableCommands();
}
