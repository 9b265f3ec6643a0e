#include "app/commandlock.h"

#include <QWidget>

namespace {
// In the order they are switched. cmdStop and the menus stay out of the
// lock so monitoring can always be stopped.
const char *const kMainCommands[] = {"cmdDownload", "cmdUpload", "cmdStart", "cmdOverView",
                                     "cmdEther",    "cboCardNo", "cmdComSet"};
} // namespace

void CommandLock::apply(bool enabled, int selectedCardNo)
{
    if (m_main) {
        for (const char *name : kMainCommands)
            if (auto *w = m_main->findChild<QWidget *>(QLatin1String(name)))
                w->setEnabled(enabled);
    }
    if (selectedCardNo == 0)
        return;
    for (LockableEditor *e : std::as_const(m_editors))
        e->setTransferButtonsEnabled(enabled);
    for (LockableEditor *e : std::as_const(m_editors)) {
        if (enabled)
            e->Unlocked_txtBase();
        else
            e->Locked_txtBase();
    }
}
