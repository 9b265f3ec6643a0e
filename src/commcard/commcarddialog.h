#pragma once

#include "ui/commandscope.h"

#include <QDialog>
#include <QPointer>
#include <functional>

struct Session;
class CommandLock;
class QHBoxLayout;
class QPushButton;

// What the communication card's settings windows share: Upload, Download and
// Exit; one read of the card when the window first shows; no closing while
// the card is being read or written; and the failure path that reports and
// disconnects.
class CommCardDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommCardDialog)
public:
    virtual void cmdUp_Click() = 0;
    virtual void cmdDown_Click() = 0;
    void cmdExit_Click();

public slots:
    // Ignored while the card is being read or written.
    void reject() override;

signals:
    // A Download went through: what was written, for the status bar.
    void downloaded(const QString &summary);

protected:
    // disconnect runs the main window's DisconnectComCard on a failure.
    CommCardDialog(Session &session, CommandLock &lock, std::function<void()> disconnect,
                   QWidget *parent);

    // One read or write of the card. Holds the gate, with the main window's
    // commands following it, and keeps this window's buttons off and its
    // close box shut until it ends. Empty (false) when another operation
    // runs: then the buttons come back at once.
    class Transfer
    {
    public:
        Transfer(CommCardDialog &dialog, const QString &operation);
        ~Transfer();
        Transfer(const Transfer &) = delete;
        Transfer &operator=(const Transfer &) = delete;

        explicit operator bool() const { return static_cast<bool>(m_scope); }
        // The window was destroyed during the exchange: touch nothing of it.
        bool windowGone() const { return m_dialog.isNull(); }

    private:
        QPointer<CommCardDialog> m_dialog;
        CommandScope m_scope;
    };

    void showEvent(QShowEvent *event) override;

    // The row of Upload, Download and Exit, off until the opening read has
    // run. Made where the window wants it, so the tab order stays its own.
    QHBoxLayout *buttonRow();
    // The card cannot take what this window would send: from now on only
    // Exit comes back after a transfer.
    void settingsUnsupported() { m_transfersPossible = false; }
    // Reports a lost card and disconnects.
    void fail(const QString &title, const QString &text);

    Session &m_session;

private:
    void setButtonsEnabled(bool enabled);

    CommandLock &m_lock;
    std::function<void()> m_disconnect;
    QPushButton *m_cmdUp = nullptr;
    QPushButton *m_cmdDown = nullptr;
    QPushButton *m_cmdExit = nullptr;
    bool m_opened = false;
    // Until the opening read has run, and during every transfer.
    bool m_busy = true;
    bool m_transfersPossible = true;
};
