#pragma once

#include <QByteArray>
#include <QElapsedTimer>

// --trace: every command ('>') and every piece of reply ('<') with a
// timestamp on stderr, control characters spelt out.
class LineTrace
{
public:
    LineTrace() { m_clock.start(); }
    void setOn(bool on) { m_on = on; }
    void operator()(char direction, const QByteArray &bytes) const;

private:
    QElapsedTimer m_clock;
    bool m_on = false;
};
