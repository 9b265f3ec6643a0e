#pragma once

#include "ui/commandstates.h"

#include <QList>
#include <QPointer>

struct Session;
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
    // The main window's commands and menu items are found by name under
    // mainWindow.
    CommandLock(Session &session, QWidget *mainWindow) : m_session(session), m_main(mainWindow) {}

    // An editor serving cards of this FormType.
    void addEditor(LockableEditor *editor, int formType) { m_editors.append({editor, formType}); }

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
        int formType;
    };
    void setMain(const char *name, bool enabled);

    Session &m_session;
    QPointer<QWidget> m_main;
    QList<Editor> m_editors;
    bool m_afterDisconnect = false;
    bool m_dialogOpen = false;
    // The editors' fields are switched only when their state changes, so a
    // refresh never resets a box the operator is typing in.
    int m_fieldsEditable = -1;
    int m_fieldsCard = -1;
};
