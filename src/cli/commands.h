#pragma once

#include "cli/cliopts.h"

struct Console;
struct Session;

// The tool's commands on one session. Each returns the exit code and
// reports through the console: results on its `out`, progress and errors
// on its `err`.
class Commands
{
public:
    Commands(Session &session, Console &console) : m_s(session), m_c(console) {}

    int run(const CliOptions &options);

    int upload(const QString &path);
    int download(const QString &path);
    int verify(const QString &path, bool json);
    // An empty path shows the rack after an upload.
    int show(const QString &path, bool json);

private:
    int fail(int code, const QString &message);

    Session &m_s;
    Console &m_c;
};
