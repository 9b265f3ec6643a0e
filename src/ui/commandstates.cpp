#include "ui/commandstates.h"

CommandStates CommandStatesFor(const CommandInputs &in)
{
    CommandStates out;
    const bool idle = in.running.isEmpty() && !in.monitoring;
    // A modal settings window owns the link while it is open.
    const bool onLink = in.connected && in.portOpen && idle && !in.dialogOpen;
    out.upload = onLink;
    out.restore = onLink;
    out.ether = onLink;
    out.download = onLink && in.downloadable;
    out.start = onLink && in.uploaded;
    out.comSet = onLink && in.uploaded;
    out.stop = in.monitoring;
    // A disconnect locks the selector until the next link or file.
    out.overView = idle && !in.afterDisconnect;
    const bool cardShown = in.selectedCardNo >= 1 && in.selectedCardNo <= 16;
    out.cardUpload =
        onLink && cardShown && (in.formType == FormType::Analog || in.formType == FormType::Pulse);
    out.cardDownload = out.cardUpload && in.cardDownloadable;
    // Typing during the short live read is harmless: it writes no box.
    out.fieldsEditable = !in.monitoring && !in.afterDisconnect &&
                         (in.running.isEmpty() || in.running == kLiveReadOperation);
    out.connectMenu = !in.dialogOpen;
    out.connect = in.running.isEmpty() && !in.connected;
    out.disconnect = in.connected;
    out.files = in.running.isEmpty();
    out.save = out.files && in.tableComplete;
    out.report = out.files && in.tableLoaded;
    return out;
}
