#include "app/frmcomport.h"

#include "link/portprovider.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

frmComPort::frmComPort(int comPortNo, PortProvider &ports, QWidget *parent)
    : QDialog(parent), m_comPortNo(comPortNo), m_ports(ports)
{
    setObjectName(QStringLiteral("frmComPort"));
    setWindowTitle(QStringLiteral("COM Port Setting"));
    setModal(true);

    auto *title = new QLabel(QStringLiteral("COM Port Setting"), this);
    title->setObjectName(QStringLiteral("Label1"));
    auto *frame = new QGroupBox(QStringLiteral("Port No."), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(frame);
    for (int n = 1; n <= 8; ++n) {
        auto *opt = new QRadioButton(QStringLiteral("COM%1").arg(n), frame);
        opt->setObjectName(QStringLiteral("optCom_%1").arg(n));
        opt->setToolTip(ports.describe(n));
        // COM1..COM4 on the left, COM5..COM8 on the right, each with the
        // device it opens beside it.
        auto *device = new QLabel(ports.describe(n), frame);
        device->setObjectName(QStringLiteral("lblDevice_%1").arg(n));
        grid->addWidget(opt, (n - 1) % 4, 2 * ((n - 1) / 4));
        grid->addWidget(device, (n - 1) % 4, 2 * ((n - 1) / 4) + 1);
        m_optCom.at(static_cast<std::size_t>(n - 1)) = opt;
        connect(opt, &QRadioButton::toggled, this, [this, n](bool on) {
            if (on)
                showDevice(n);
        });
    }
    // The serial ports the system knows, with the adapter's description;
    // a device path may also be typed.
    auto *deviceLabel = new QLabel(QStringLiteral("Device"), this);
    m_cboDevice = new QComboBox(this);
    m_cboDevice->setObjectName(QStringLiteral("cboDevice"));
    m_cboDevice->setEditable(true);
    m_cboDevice->setEnabled(!ports.simulated());
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString description =
            info.description().isEmpty()
                ? info.systemLocation()
                : QStringLiteral("%1 (%2)").arg(info.systemLocation(), info.description());
        m_cboDevice->addItem(description, info.systemLocation());
    }
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmComPort::cmdOK_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(frame);
    layout->addWidget(deviceLabel);
    layout->addWidget(m_cboDevice);
    layout->addWidget(ok, 0, Qt::AlignRight);
    Form_Load();
}

void frmComPort::Form_Load()
{
    const int n = m_comPortNo >= 1 && m_comPortNo <= 8 ? m_comPortNo : 1;
    m_optCom.at(static_cast<std::size_t>(n - 1))->setChecked(true);
    showDevice(n);
}

void frmComPort::showDevice(int comNo)
{
    const QString device = m_ports.describe(comNo);
    const int known = m_cboDevice->findData(device);
    if (known >= 0)
        m_cboDevice->setCurrentIndex(known);
    else
        m_cboDevice->setEditText(device);
}

void frmComPort::cmdOK_Click()
{
    for (int n = 1; n <= 8; ++n) {
        if (m_optCom.at(static_cast<std::size_t>(n - 1))->isChecked()) {
            m_comPortNo = n;
            break;
        }
    }
    // A device chosen from the list or typed: the chosen COM number opens it.
    const int index = m_cboDevice->findText(m_cboDevice->currentText());
    const QString device =
        (index >= 0 ? m_cboDevice->itemData(index).toString() : m_cboDevice->currentText())
            .trimmed();
    if (!m_ports.simulated() && !device.isEmpty() && device != m_ports.describe(m_comPortNo))
        m_ports.map(m_comPortNo, device);
    accept();
}
