#pragma once

#include <QObject>
#include <QStringList>

struct Console;
class PlantRunner;
struct RackOutcome;

// A plant run's progress on standard error. On a terminal every rack has a
// line of its own, redrawn in place; in a log each rack's start, retries
// and end are a line each, prefixed with the rack's name.
class PlantProgress final : public QObject
{
    Q_OBJECT
public:
    PlantProgress(Console &console, const QStringList &names, PlantRunner &runner);

private:
    void set(int index, const QString &state, bool logged);
    void redraw();

    Console &m_console;
    QStringList m_names;
    QStringList m_states;
    qsizetype m_nameWidth = 0;
    bool m_drawn = false;
};
