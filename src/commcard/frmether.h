#pragma once

#include <QDialog>
#include <array>
#include <functional>

struct Session;
class CommandLock;
class QLabel;
class QLineEdit;
class QPushButton;

// Network settings of the Ethernet communication card. Modal; reads the card
// once when it first shows, Download writes the boxes back.
class frmEther final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmEther)
public:
    // disconnect runs the main window's DisconnectComCard on a failure.
    frmEther(Session &session, CommandLock &lock, std::function<void()> disconnect,
             QWidget *parent = nullptr);

    void cmdUp_Click();
    void cmdDown_Click();
    void cmdExit_Click();
    void txtIP_Change(int index);
    void txtSNM_Change(int index);
    void txtPort_Change(int index);
    void txtTimeout_Change(int index);

public slots:
    // Ignored while the card is being read or written.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildSockets();
    void setButtonsEnabled(bool enabled);
    void beginTransfer();
    void endTransfer();
    void fail(const QString &title, const QString &text);
    void checkOctet(QLineEdit *box);
    void checkTyping(QLineEdit *box, const QString &message);

    Session &m_session;
    CommandLock &m_lock;
    std::function<void()> m_disconnect;
    // Indexed like the controls: txtIP_3 is the leftmost box; ports and
    // linger times by socket, txtPort_1 at [0].
    std::array<QLineEdit *, 4> m_txtIP{};
    std::array<QLineEdit *, 4> m_txtSNM{};
    std::array<QLabel *, 2> m_lblMac{};
    std::array<QLineEdit *, 4> m_txtPort{};
    std::array<QLineEdit *, 4> m_txtTimeout{};
    QPushButton *m_cmdUp = nullptr;
    QPushButton *m_cmdDown = nullptr;
    QPushButton *m_cmdExit = nullptr;
    bool m_opened = false;
    // Until the opening read has run, and during every transfer.
    bool m_busy = true;
};
