#pragma once

#include "commcard/commcarddialog.h"

#include <QHash>
#include <array>

class QLabel;
class QLineEdit;

// Network settings of the Ethernet communication card. Modal; reads the card
// once when it first shows, Download writes the boxes back.
class frmEther final : public CommCardDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmEther)
public:
    // disconnect runs the main window's DisconnectComCard on a failure.
    frmEther(Session &session, CommandLock &lock, std::function<void()> disconnect,
             QWidget *parent = nullptr);

    void cmdUp_Click() override;
    void cmdDown_Click() override;
    void txtIP_Change(int index);
    void txtSNM_Change(int index);
    void txtPort_Change(int index);
    void txtTimeout_Change(int index);

protected:
    // A point typed into an octet box moves to the next box of that address.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildSockets();
    bool takeAddress(const std::array<QLineEdit *, 4> &boxes, int index);
    void checkOctet(QLineEdit *box);
    void checkTyping(QLineEdit *box, const QString &message);

    // Indexed like the controls: txtIP_3 is the leftmost box; ports and
    // linger times by socket, txtPort_1 at [0].
    std::array<QLineEdit *, 4> m_txtIP{};
    std::array<QLineEdit *, 4> m_txtSNM{};
    std::array<QLabel *, 2> m_lblMac{};
    std::array<QLineEdit *, 4> m_txtPort{};
    std::array<QLineEdit *, 4> m_txtTimeout{};
    // Each octet box's text as last changed, so a paste that is no address
    // can be taken back.
    QHash<const QLineEdit *, QString> m_octetShown;
};
