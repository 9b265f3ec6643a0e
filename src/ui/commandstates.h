#pragma once

#include "model/cardcodes.h"

#include <QString>

// What the enabled state of every command depends on.
struct CommandInputs
{
    bool connected = false;        // IsConnected
    bool portOpen = false;         // the port has not failed meanwhile
    bool uploaded = false;         // the table was uploaded on this link (whole or not)
    bool downloadable = false;     // a whole table: uploaded on this link, or from a file
    bool cardDownloadable = false; // the shown card's record: uploaded on this link
                                   // (not the slot an upload stopped in), or from a file
    bool tableComplete = false;    // a whole table to save (uploaded or opened)
    bool tableLoaded = false;      // a table to report, whole or not
    bool afterDisconnect = false;  // the link was given up; nothing loaded since
    bool monitoring = false;       // IsMonitoring
    QString running;               // the operation holding the gate; empty when idle
    bool dialogOpen = false;       // the COM port or a settings window is open
    int selectedCardNo = 0;
    FormType formType = FormType::None; // of the selected card; None with the overview selected
};

// Which commands can be used, as one function of CommandInputs.
struct CommandStates
{
    bool upload = false;
    // File > Restore...: a backup of the connected rack goes to it, whatever
    // the table holds.
    bool restore = false;
    bool download = false;
    bool start = false;
    bool stop = false;
    bool overView = false; // also the card selector
    bool ether = false;
    bool comSet = false;
    // The shown card's editor: cmdUp reads only, so it is on whenever the
    // link is; cmdDown follows Download: only to the rack the table was
    // uploaded from on this link, or of a file (each card's model checked).
    bool cardUpload = false;
    bool cardDownload = false;
    bool fieldsEditable = false; // the editors' parameter boxes and chkLimit
    bool connectMenu = false;    // the whole "Connect" menu
    bool connect = false;
    bool disconnect = false;
    bool files = false; // Open and Compare
    bool save = false;
    bool report = false;

    bool operator==(const CommandStates &) const = default;
};

// The live read that follows a card selection: it leaves the boxes editable.
inline const QString kLiveReadOperation = QStringLiteral("Live read");

CommandStates CommandStatesFor(const CommandInputs &in);
