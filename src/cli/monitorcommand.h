#pragma once

#include <QString>

struct Console;
struct Session;

struct MonitorSettings
{
    int passes = 0;     // 0: until Ctrl-C
    int intervalMs = 0; // pause between passes; never less than the core's own
    QString csvPath;    // empty: standard output
};

// Uploads the rack, then monitors all cards, one CSV row per card and pass.
// Ctrl-C ends it after the current read. Returns the exit code.
int RunMonitor(Session &session, Console &console, const MonitorSettings &settings);
