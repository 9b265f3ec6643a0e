#pragma once

#include "cli/cliopts.h"

class CardTable;
struct Console;
class ProgressPrinter;
struct Session;
struct TableSource;

// The tool's commands on one session. Each returns the exit code and
// reports through the console: results on its `out`, progress and errors
// on its `err`.
class Commands
{
public:
    Commands(Session &session, Console &console) : m_session(session), m_c(console) {}

    int run(const CliOptions &options);

    int upload(const QString &path);
    // `command` names it in messages: "download" or "restore".
    int download(const QString &path, const QString &command = QStringLiteral("download"));
    int verify(const QString &path, bool json);
    // An empty path shows the rack after an upload.
    int show(const QString &path, bool json);
    // An empty path reports the rack after an upload (reportcommand.cpp).
    // The names go in its sign-off block; empty ones are lines to sign.
    int report(const QString &output, const QString &path, const QString &performedBy = {},
               const QString &witnessedBy = {});

private:
    int fail(int code, const QString &message);
    // Reports how far a command Ctrl-C ended got; the exit code.
    int interrupted(const QString &command, const QString &progress);
    // Connects and uploads the whole rack for `command`: kExitDone, or the
    // exit code after saying why not (`unsaved` closes a Ctrl-C report).
    int uploadRack(ProgressPrinter &progress, const QString &command, const QString &unsaved);
    // The table of a parameter file, or with an empty path the rack's after
    // an upload for `command`: kExitDone, or the exit code after saying why not.
    int readTable(const QString &path, const QString &command, const QString &unsaved,
                  CardTable &cards, TableSource &source);

    Session &m_session;
    Console &m_c;
};
