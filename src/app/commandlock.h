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

    // The editors are locked when a card is selected; EnableCommands unlocks
    // them whenever a DisableCommands since the last unlock locked them, even
    // if the selection changed in between (an upload goes to the overview).
    void DisableCommands(int selectedCardNo);
    void EnableCommands(int selectedCardNo);

    // The main window's commands off for a short operation, then back as
    // they were (an unlock would enable them even while disconnected).
    using Frozen = QList<QPair<QPointer<QWidget>, bool>>;
    Frozen freeze();
    static void thaw(const Frozen &frozen);

private:
    void setMainCommands(bool enabled);

    QPointer<QWidget> m_main;
    QList<LockableEditor *> m_editors;
    bool m_editorsLocked = false;
};
