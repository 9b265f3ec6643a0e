#include "ui/commandlock.h"

#include "exchange/session.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

void CommandLock::linkChanged(bool connected)
{
    m_afterDisconnect = !connected;
    refresh();
}

void CommandLock::tableOpened()
{
    m_afterDisconnect = false;
    refresh();
}

void CommandLock::setDialogOpen(bool open)
{
    m_dialogOpen = open;
    refresh();
}

CommandInputs CommandLock::inputs() const
{
    const GlobalState &st = m_session.state;
    CommandInputs in;
    in.connected = st.IsConnected;
    in.portOpen = m_session.line.isOpen();
    const TableProvenance &table = m_session.table;
    in.uploaded = table.uploadedOn(m_session.link);
    in.tableComplete = table.complete();
    in.tableLoaded = table.origin() != TableOrigin::None;
    in.downloadable = in.tableComplete && (in.uploaded || table.origin() == TableOrigin::File);
    in.afterDisconnect = m_afterDisconnect;
    in.monitoring = st.IsMonitoring;
    in.running = m_session.gate.running();
    in.dialogOpen = m_dialogOpen;
    in.selectedCardNo = st.SelectedCardNo;
    if (st.SelectedCardNo >= 1 && st.SelectedCardNo <= kCardCount)
        in.formType = m_session.cards[st.SelectedCardNo].Form;
    // A half-read record would write its defaults into the card.
    in.cardDownloadable = (in.uploaded && st.SelectedCardNo != table.partialSlot()) ||
                          (table.origin() == TableOrigin::File && table.complete());
    return in;
}

void CommandLock::refresh()
{
    if (!m_main)
        return;
    const CommandInputs in = inputs();
    const CommandStates c = CommandStatesFor(in);
    const MainCommands &m = *m_main;
    m.cmdDownload->setEnabled(c.download);
    m.cmdUpload->setEnabled(c.upload);
    m.cmdStart->setEnabled(c.start);
    m.cmdStop->setEnabled(c.stop);
    m.cmdOverView->setEnabled(c.overView);
    m.cmdEther->setEnabled(c.ether);
    m.cboCardNo->setEnabled(c.overView);
    m.cmdComSet->setEnabled(c.comSet);
    m.mnuConnect->setEnabled(c.connectMenu);
    m.mnuConnectConnect->setEnabled(c.connect);
    m.mnuConnectDisconnect->setEnabled(c.disconnect);
    m.mnuFilesOpen->setEnabled(c.files);
    m.mnuFilesSave->setEnabled(c.save);
    m.mnuFilesReport->setEnabled(c.report);
    m.mnuFilesCompare->setEnabled(c.files);
    m.mnuFilesRestore->setEnabled(c.restore);

    for (const Editor &e : std::as_const(m_editors))
        if (e.formType == in.formType)
            e.editor->setTransferButtonsEnabled(c.cardUpload, c.cardDownload);
        else
            e.editor->setTransferButtonsEnabled(false, false);
    if (int(c.fieldsEditable) == m_fieldsEditable && in.selectedCardNo == m_fieldsCard)
        return;
    m_fieldsEditable = c.fieldsEditable;
    m_fieldsCard = in.selectedCardNo;
    for (const Editor &e : std::as_const(m_editors)) {
        // Locking first leaves the base boxes to the kind's rule.
        e.editor->Locked_txtBase();
        if (c.fieldsEditable)
            e.editor->Unlocked_txtBase();
    }
}
