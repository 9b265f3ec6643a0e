#pragma once

#include <QDialog>
#include <array>

class PortProvider;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// Chooses the COM port for the next connection. OK is the only way on.
class frmComPort final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmComPort)
public:
    frmComPort(int comPortNo, PortProvider &ports, QWidget *parent = nullptr);

    // The port chosen when OK was pressed; the start value otherwise.
    int comPortNo() const { return m_comPortNo; }

    // The network port offered when the chosen COM number leads to none:
    // the one last connected to (kept by the main window).
    static QString lastNetworkPort();
    static void rememberNetworkPort(const QString &designation);

private:
    void Form_Load();
    void cmdOK_Click();
    // The device box and the network port follow the COM number chosen.
    void showDevice(int comNo);
    // What the device box or the network port designate; empty and the
    // reason in `error` when the network port is not one.
    QString designation(QString *error) const;

    int m_comPortNo;
    PortProvider &m_ports;
    std::array<QRadioButton *, 8> m_optCom{};
    QComboBox *m_cboDevice = nullptr;
    // A serial device server instead of a device: host, TCP port, and
    // whether it speaks RFC 2217 or passes raw bytes.
    QGroupBox *m_fraNetwork = nullptr;
    QLineEdit *m_txtHost = nullptr;
    QSpinBox *m_txtTcpPort = nullptr;
    QRadioButton *m_optRaw = nullptr;
    QRadioButton *m_optRfc2217 = nullptr;
};
