#pragma once

#include <QDialog>
#include <array>

class PortProvider;
class QComboBox;
class QRadioButton;

// Chooses the COM port for the next connection. OK is the only way on.
class frmComPort final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmComPort)
public:
    frmComPort(int comPortNo, PortProvider &ports, QWidget *parent = nullptr);

    // The port chosen when OK was pressed; the start value otherwise.
    int comPortNo() const { return m_comPortNo; }

private:
    void Form_Load();
    void cmdOK_Click();
    // The device box follows the COM number chosen.
    void showDevice(int comNo);

    int m_comPortNo;
    PortProvider &m_ports;
    std::array<QRadioButton *, 8> m_optCom{};
    QComboBox *m_cboDevice = nullptr;
};
