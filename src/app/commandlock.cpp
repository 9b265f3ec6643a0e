#include "app/commandlock.h"

#include <QWidget>

namespace {
// In the order they are switched. cmdStop and the menus stay out of the
// lock so monitoring can always be stopped.
const char *const kMainCommands[] = {"cmdDownload", "cmdUpload", "cmdStart", "cmdOverView",
                                     "cmdEther",    "cboCardNo", "cmdComSet"};
} // namespace

void CommandLock::setMainCommands(bool enabled)
{
    if (!m_main)
        return;
    for (const char *name : kMainCommands)
        if (auto *w = m_main->findChild<QWidget *>(QLatin1String(name)))
            w->setEnabled(enabled);
}

void CommandLock::DisableCommands(int selectedCardNo)
{
    setMainCommands(false);
    if (selectedCardNo == 0)
        return;
    m_editorsLocked = true;
    for (LockableEditor *e : std::as_const(m_editors))
        e->setTransferButtonsEnabled(false);
    for (LockableEditor *e : std::as_const(m_editors))
        e->Locked_txtBase();
}

void CommandLock::EnableCommands(int selectedCardNo)
{
    setMainCommands(true);
    if (selectedCardNo == 0 && !m_editorsLocked)
        return;
    m_editorsLocked = false;
    for (LockableEditor *e : std::as_const(m_editors))
        e->setTransferButtonsEnabled(true);
    for (LockableEditor *e : std::as_const(m_editors))
        e->Unlocked_txtBase();
}

CommandLock::Frozen CommandLock::freeze()
{
    Frozen frozen;
    if (!m_main)
        return frozen;
    for (const char *name : kMainCommands) {
        if (auto *w = m_main->findChild<QWidget *>(QLatin1String(name))) {
            frozen.append({QPointer<QWidget>(w), w->isEnabled()});
            w->setEnabled(false);
        }
    }
    return frozen;
}

void CommandLock::thaw(const Frozen &frozen)
{
    for (const auto &[w, enabled] : frozen)
        if (w)
            w->setEnabled(enabled);
}
