#pragma once

#include "exchange/rackobserver.h"

struct Console;

// Shows a rack operation's progress on standard error: one bar line
// rewritten in place on a terminal, plain lines in a log. Keeps the
// communication card's name for show, and how far the operation got.
class ProgressPrinter final : public RackObserver
{
public:
    explicit ProgressPrinter(Console &console) : m_console(console) {}

    void progressStarted(int steps, const QString &caption) override;
    void progressAdvanced() override;
    void progressFinished() override;
    void commCardModel(const QString &model) override { m_commModel = model; }
    void commCardVersion(const QString &version) override { m_commVersion = version; }

    QString commModel() const { return m_commModel; }
    QString commVersion() const { return m_commVersion; }

    // Ctrl-C: the operation ends before its next slot. Says so at once,
    // since the slot in progress can take a while.
    void requestStop();
    bool stopRequested() const override { return m_stop; }
    // Slots the operation has gone through; whether it got to its first.
    int done() const { return m_done; }
    bool started() const { return m_steps > 0; }

private:
    void print();

    Console &m_console;
    QString m_caption;
    int m_steps = 0;
    int m_done = 0;
    bool m_open = false;
    bool m_stop = false;
    QString m_commModel;
    QString m_commVersion;
};
