#pragma once

#include "model/comparison.h"

#include <QPointer>
#include <QString>
#include <optional>

struct Session;
class frmCompare;
class frmOverView;
class QWidget;

// File > Compare with File: the parameter file against the card table as it
// stands, the differing slots marked in the overview and listed in a window
// of their own. Reads the file only: nothing goes to the rack, to a file or
// into the table.
class CompareCommands
{
public:
    CompareCommands(Session &session, QWidget *mainWindow, frmOverView &overview)
        : m_session(session), m_main(mainWindow), m_overview(overview)
    {
    }

    void mnuFilesCompare_Click();
    // The list of the last comparison; null before one or once closed.
    frmCompare *window() const;
    struct Comparison
    {
        QString file;
        QList<Difference> differences;
        quint64 generation = 0; // of the table compared
    };
    // The last comparison, while the table is still the one compared.
    std::optional<Comparison> current() const;
    // Once the table changed, the comparison goes: the overview's frames,
    // the list and what a report would print.
    void dropIfOutOfDate();
    // The table against the file at `path`, shown as Compare shows it.
    void compareWith(const QString &path);

private:
    Session &m_session;
    QWidget *m_main;
    frmOverView &m_overview;
    QPointer<frmCompare> m_window;
    std::optional<Comparison> m_last;
};
