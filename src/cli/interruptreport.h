#pragma once

#include "model/cardrecord.h"

#include <QList>
#include <QString>

// How far a rack operation got when Ctrl-C ended it.
struct SlotProgress
{
    QList<int> done;
    int partly = 0; // the slot an immediate stop left half done; 0 none
    QList<int> notDone;
};

// Upload: slots 1..read were read, the rest not.
SlotProgress UploadProgress(int read);
// Download: of the slots that hold a known card, those up to lastSlotDone
// were written; `cutShort` means the stop came in the middle of the next.
SlotProgress DownloadProgress(const CardTable &cards, int lastSlotDone, bool cutShort);

// "slots 1-3, 5 written; slot 6 may be partly written; slots 7-16 not
// written", with `verb` in place of "written".
QString SlotProgressText(const SlotProgress &progress, const QString &verb);
