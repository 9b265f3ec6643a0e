#pragma once

#include "exchange/operationgate.h"

class CommandLock;

// One operation of a window, from its start to its end: holds the gate, so
// no other operation can start inside its waits, and brings every command
// back to the program's state when it ends, however it ended. Empty (false)
// when another operation runs; then nothing may be done.
class CommandScope
{
public:
    CommandScope(OperationGate &gate, CommandLock &lock, const QString &operation);
    ~CommandScope();
    CommandScope(const CommandScope &) = delete;
    CommandScope &operator=(const CommandScope &) = delete;

    explicit operator bool() const { return static_cast<bool>(m_ticket); }

private:
    OperationGate::Ticket m_ticket;
    CommandLock &m_lock;
};
