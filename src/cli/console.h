#pragma once

#include <QString>

class QTextStream;

enum ExitCode : int
{
    kExitDone = 0,
    kExitDifferences = 1,   // verify only
    kExitUsage = 2,         // the command line or a file
    kExitRack = 3,          // the rack did not answer or the port failed
    kExitRefused = 4,       // download finished, but the rack refused some writes
    kExitInterrupted = 130, // Ctrl-C, as a shell reports a program it ended
};

// Results go to `out`; progress and errors to `err`, which may be a terminal.
struct Console
{
    QTextStream &out;
    QTextStream &err;
    bool errIsTerminal = false;

    // One line on `err`: scripts grep it, so line breaks in a reason are folded.
    void error(const QString &message);
    // Lines under an error that say more (where, which port), indented so
    // that a script grepping the error lines does not count them.
    void detail(const QString &lines);
};
