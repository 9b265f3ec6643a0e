#pragma once

#include "report/rackreport.h"

struct Session;

// The report's header for the session's table: where it came from and
// whether it is whole, and the communication card as far as it was read on
// the link the table was uploaded on (nothing of it for a file, or after a
// new connection).
ReportHeader SessionReportHeader(const Session &session);
