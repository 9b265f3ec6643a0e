#pragma once

#include <QList>
#include <QPointer>

class QWidget;

// A card editor's share of the lock: its transfer buttons and its fields.
class LockableEditor
{
public:
    virtual ~LockableEditor() = default;
    virtual void setTransferButtonsEnabled(bool enabled) = 0; // cmdUp, cmdDown
    virtual void Locked_txtBase() = 0;
    virtual void Unlocked_txtBase() = 0;
};

// Keeps a second operation from starting while one waits for the rack.
// This is the one place that knows which commands the lock covers.
class CommandLock
{
public:
    // The main window's commands are found by name under mainWindow.
    explicit CommandLock(QWidget *mainWindow) : m_main(mainWindow) {}

    // Editors take part only while a card is selected (selectedCardNo != 0).
    void addEditor(LockableEditor *editor) { m_editors << editor; }

    void DisableCommands(int selectedCardNo) { apply(false, selectedCardNo); }
    void EnableCommands(int selectedCardNo) { apply(true, selectedCardNo); }

private:
    void apply(bool enabled, int selectedCardNo);

    QPointer<QWidget> m_main;
    QList<LockableEditor *> m_editors;
};
