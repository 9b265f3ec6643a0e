#pragma once

#include "model/comparison.h"

#include <QPointer>
#include <QString>

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
    // The last comparison of the table as it stands (for a report); the
    // file is empty when there was none.
    const QString &lastFile() const { return m_lastFile; }
    const QList<Difference> &lastDifferences() const { return m_lastDifferences; }
    // An Upload or an Open replaced the table: the comparison was of the old one.
    void tableReplaced();

private:
    void compareWith(const QString &path);

    Session &m_session;
    QWidget *m_main;
    frmOverView &m_overview;
    QPointer<frmCompare> m_window;
    QString m_lastFile;
    QList<Difference> m_lastDifferences;
};
