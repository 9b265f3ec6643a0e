#include "cli/plantprogress.h"

#include "cli/console.h"
#include "plant/plantrunner.h"

#include <QTextStream>

PlantProgress::PlantProgress(Console &console, const QStringList &names, PlantRunner &runner)
    : m_console(console), m_names(names)
{
    for (const QString &n : names) {
        m_nameWidth = qMax(m_nameWidth, n.size());
        m_states << QStringLiteral("waiting");
    }
    connect(&runner, &PlantRunner::rackStarted, this,
            [this](int i) { set(i, QStringLiteral("connecting"), true); });
    connect(&runner, &PlantRunner::rackProgress, this, [this](int i, const QString &text) {
        // Slot by slot is for the eye; a log keeps the retries.
        set(i, text, text.startsWith(QLatin1String("no answer")));
    });
    connect(&runner, &PlantRunner::rackFinished, this, [this](int i, const RackOutcome &r) {
        set(i,
            !r.started            ? QStringLiteral("not started")
            : r.code == kExitDone ? QStringLiteral("done")
                                  : QStringLiteral("failed: ") + r.error,
            true);
    });
}

void PlantProgress::set(int index, const QString &state, bool logged)
{
    m_states[index] = state;
    if (m_console.errIsTerminal) {
        redraw();
    } else if (logged) {
        m_console.err << m_names.at(index) << ": " << state << '\n' << Qt::flush;
    }
}

void PlantProgress::redraw()
{
    QTextStream &err = m_console.err;
    // Back to the first rack's line, then every line anew, each cleared to its end.
    if (m_drawn)
        err << "\r\x1b[" << m_names.size() << 'A';
    // A line that wrapped would throw the count of lines to go back off.
    for (qsizetype i = 0; i < m_names.size(); ++i)
        err << (m_names.at(i).leftJustified(m_nameWidth + 2) + m_states.at(i)).left(79)
            << "\x1b[K\n";
    err << Qt::flush;
    m_drawn = true;
}
