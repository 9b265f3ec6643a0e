#pragma once

#include <QObject>
#include <QString>
#include <utility>

// One operation on the rack or the card table at a time. Every command that
// talks to the rack or replaces the table asks here first; while one runs
// the others are refused, so two operations never share the line.
class OperationGate final : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Held for as long as the operation runs; releases the gate when it goes.
    class Ticket
    {
    public:
        Ticket() = default;
        Ticket(Ticket &&other) noexcept : m_gate(std::exchange(other.m_gate, nullptr)) {}
        Ticket &operator=(Ticket &&other) noexcept;
        Ticket(const Ticket &) = delete;
        Ticket &operator=(const Ticket &) = delete;
        ~Ticket() { release(); }

        explicit operator bool() const { return m_gate != nullptr; }
        void release();

    private:
        friend class OperationGate;
        explicit Ticket(OperationGate *gate) : m_gate(gate) {}
        OperationGate *m_gate = nullptr;
    };

    // A held ticket, or an empty one when another operation runs.
    [[nodiscard]] Ticket begin(const QString &operation);
    bool busy() const { return !m_running.isEmpty(); }
    // What runs now ("Upload"), empty when idle.
    QString running() const { return m_running; }

signals:
    void busyChanged(bool busy);

private:
    void end();

    QString m_running;
};
