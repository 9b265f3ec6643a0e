#pragma once

#include "exchange/rackobserver.h"

#include <QString>

struct Console;

// Shows a rack operation's progress on standard error: one bar line with
// the slot in progress and any retry, rewritten in place on a terminal;
// plain lines in a log. Keeps the communication card's name for show, how
// far the operation got, and where it failed.
class ProgressPrinter final : public RackObserver
{
public:
    explicit ProgressPrinter(Console &console) : m_console(console) {}

    void progressStarted(int steps, const QString &caption) override;
    void progressAdvanced() override;
    void progressFinished() override;
    void progressDetail(const QString &text) override;
    void transactionRetrying(int attempt, int attempts) override;
    void operationFailed(const QString &title, const QString &text, const QString &detail) override;

    // Where the operation failed ("Slot 5: XA1-00, item 12: no answer"),
    // empty when it did not or could not tell.
    QString failurePlace() const { return m_failurePlace; }

    // Ctrl-C: the operation ends before its next slot. Says so at once,
    // since the slot in progress can take a while.
    void requestStop();
    bool stopRequested() const override { return m_stop; }
    // Slots the operation has gone through; whether it got to its first.
    int done() const { return m_done; }
    bool started() const { return m_steps > 0; }

private:
    void print();
    void printLine(const QString &text);

    Console &m_console;
    QString m_caption;
    int m_steps = 0;
    int m_done = 0;
    bool m_open = false;
    bool m_stop = false;
    QString m_detail;
    QString m_retry;
    // Width of the bar line last drawn: a shorter one must blank its tail.
    qsizetype m_width = 0;
    QString m_failurePlace;
};
