#pragma once

#include <QDialog>
#include <array>

class PortProvider;
class QRadioButton;

// Chooses the COM port for the next connection. OK is the only way on.
class frmComPort final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmComPort)
public:
    frmComPort(int comPortNo, const PortProvider &ports, QWidget *parent = nullptr);

    // The port chosen when OK was pressed; the start value otherwise.
    int comPortNo() const { return m_comPortNo; }

private:
    void Form_Load();
    void cmdOK_Click();

    int m_comPortNo;
    std::array<QRadioButton *, 8> m_optCom{};
};
