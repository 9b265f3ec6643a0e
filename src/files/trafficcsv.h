#pragma once

#include "link/result.h"

#include <QString>

class TrafficLog;

// The whole log as CSV (RFC 4180 quoting, CRLF line ends): a header
// "time,card,command,reply,ms,mark", then one line per entry as the table
// shows it.
QString TrafficCsv(const TrafficLog &log);
// Writes TrafficCsv to path; a failure's reason names the file.
Status SaveTrafficCsv(const TrafficLog &log, const QString &path);
