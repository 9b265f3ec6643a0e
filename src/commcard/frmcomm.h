#pragma once

#include <QDialog>
#include <functional>

struct Session;
class CommandLock;
class QLabel;
class QLineEdit;
class QPushButton;

// The communication card's time-out, in tenths of a second. Modal; reads the
// card once when it first shows, Download writes the box back.
class frmComm final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmComm)
public:
    // disconnect runs the main window's DisconnectComCard on a failure.
    frmComm(Session &session, CommandLock &lock, std::function<void()> disconnect,
            QWidget *parent = nullptr);

    void cmdUp_Click();
    void cmdDown_Click();
    void cmdExit_Click();

public slots:
    // Ignored while the card is being read or written.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setButtonsEnabled(bool enabled);
    void beginTransfer();
    void endTransfer();
    void fail(const QString &title, const QString &text);

    Session &m_session;
    CommandLock &m_lock;
    std::function<void()> m_disconnect;
    QLineEdit *m_txtTimeout = nullptr;
    QLabel *m_label3 = nullptr;
    QPushButton *m_cmdUp = nullptr;
    QPushButton *m_cmdDown = nullptr;
    QPushButton *m_cmdExit = nullptr;
    bool m_opened = false;
    // Until the opening read has run, and during every transfer.
    bool m_busy = true;
};
