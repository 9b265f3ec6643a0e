#pragma once

#include "exchange/rackobserver.h"

struct Session;

// Reads the communication card and every occupied slot into the card table,
// telling the observer row by row. The first transaction that gets no answer
// ends it: operationFailed("Uploading", "Uploading incomplete").
OperationResult UploadAllCards(Session &session, RackObserver &observer);
