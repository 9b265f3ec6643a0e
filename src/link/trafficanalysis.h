#pragma once

#include <QByteArrayView>
#include <QString>

class TrafficLog;
struct TrafficEntry;

// What the traffic table and its CSV say about one entry of the log, so the
// window and the file always agree.
//
// A transaction runs from one card select ("G") to the next. The mark says
// "time-out" for an exchange that got no complete reply, and "retry" on the
// select that begins another attempt of the same transaction, as the line
// recorded it; a read repeated by the program or the operator is not a
// retry. A data write answered "CNG" or "CNU" is "refused".

// True for a card select, the entry that begins a transaction.
bool IsCardSelect(const TrafficEntry &e);
// Bytes as text without the line end. Control bytes, bytes above 126 and
// the backslash itself become \xNN, so what is shown can be read back exactly.
QString TrafficBytesText(QByteArrayView bytes);
// The card a select addresses ("00", "5").
QString TrafficCardText(const TrafficEntry &select);
// "", "time-out", "retry", "retry, time-out" or "refused".
QString TrafficMarkText(const TrafficEntry &e);
// The entry's wall-clock start, hh:mm:ss.zzz.
QString TrafficTimeText(const TrafficLog &log, const TrafficEntry &e);
// The same with its date, yyyy-MM-dd hh:mm:ss.zzz.
QString TrafficDateTimeText(const TrafficLog &log, const TrafficEntry &e);
