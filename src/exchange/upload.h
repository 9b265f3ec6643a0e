#pragma once

#include "exchange/rackobserver.h"

class CardTable;
struct Session;

// Reads the communication card and every occupied slot into the card table,
// telling the observer row by row. The first transaction that gets no answer
// ends it: operationFailed("Uploading", "Uploading incomplete").
OperationResult UploadAllCards(Session &session, RackObserver &observer);
// Reads the rack as UploadAllCards does, but into `cards`: the session's
// table and its provenance stay as they were. The session's record of the
// rack (lastRead) gets what was read.
OperationResult ReadRackInto(Session &session, CardTable &cards, RackObserver &observer);
