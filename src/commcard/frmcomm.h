#pragma once

#include "commcard/commcarddialog.h"

class QLabel;
class QLineEdit;

// The communication card's time-out, in tenths of a second. Modal; reads the
// card once when it first shows, Download writes the box back.
class frmComm final : public CommCardDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmComm)
public:
    // disconnect runs the main window's DisconnectComCard on a failure.
    frmComm(Session &session, CommandLock &lock, std::function<void()> disconnect,
            QWidget *parent = nullptr);

    void cmdUp_Click() override;
    void cmdDown_Click() override;

private:
    QLineEdit *m_txtTimeout = nullptr;
    QLabel *m_label3 = nullptr;
};
