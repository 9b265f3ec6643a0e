#pragma once

#include "ui/commandstates.h"

#include <QList>

#include <optional>

struct Session;
class QAction;
class QMenu;
class QWidget;

// A card editor's share of the commands: its transfer buttons and its fields.
class LockableEditor
{
public:
    virtual ~LockableEditor() = default;
    virtual void setTransferButtonsEnabled(bool upload, bool download) = 0; // cmdUp, cmdDown
    virtual void Locked_txtBase() = 0;
    virtual void Unlocked_txtBase() = 0;
};

// Keeps every command's enabled state a function of the program's state
// (CommandStatesFor), recomputed by refresh() whenever that state changes.
// Nothing is saved before a wait and put back after it: the link may have
// gone meanwhile. This is the one place that switches the commands.
class CommandLock
{
public:
    // The main window's commands and menu items. No member has a default, so
    // a list that leaves one out does not compile (-Wmissing-field-initializers
    // under -Werror).
    struct MainCommands
    {
        QWidget *cmdDownload;
        QWidget *cmdUpload;
        QWidget *cmdStart;
        QWidget *cmdStop;
        QWidget *cmdOverView;
        QWidget *cmdEther;
        QWidget *cboCardNo;
        QWidget *cmdComSet;
        QMenu *mnuConnect;
        QAction *mnuConnectConnect;
        QAction *mnuConnectDisconnect;
        QAction *mnuFilesOpen;
        QAction *mnuFilesSave;
        QAction *mnuFilesReport;
        QAction *mnuFilesCompare;
        QAction *mnuFilesRestore;
    };

    explicit CommandLock(Session &session) : m_session(session) {}

    // The main window hands its commands over once it has built them;
    // until then refresh() switches nothing.
    void attach(const MainCommands &commands) { m_main = commands; }

    // An editor serving cards of this FormType.
    void addEditor(LockableEditor *editor, FormType formType)
    {
        m_editors.append({editor, formType});
    }

    // What the state does not hold itself: whether the link was given up
    // with nothing loaded since.
    void linkChanged(bool connected);
    void tableOpened();
    void setDialogOpen(bool open);
    // Start-up is idle, not disconnected: the selector stays usable.
    void idleAtStartUp()
    {
        m_afterDisconnect = false;
        refresh();
    }

    CommandInputs inputs() const;
    void refresh();

    // Around a transfer: the gate already holds the operation, so both
    // come to a refresh; the names stay for the operations that use them.
    void DisableCommands() { refresh(); }
    void EnableCommands() { refresh(); }
    // After a card selection: the editors' boxes follow the new card's kind.
    void refreshFields()
    {
        m_fieldsEditable = -1;
        refresh();
    }

private:
    struct Editor
    {
        LockableEditor *editor;
        FormType formType;
    };
    Session &m_session;
    std::optional<MainCommands> m_main;
    QList<Editor> m_editors;
    bool m_afterDisconnect = false;
    bool m_dialogOpen = false;
    // The editors' fields are switched only when their state changes, so a
    // refresh never resets a box the operator is typing in.
    int m_fieldsEditable = -1;
    int m_fieldsCard = -1;
};
