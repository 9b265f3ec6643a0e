#include "app/frmcomport.h"

#include "link/portdesignation.h"
#include "link/portprovider.h"
#include "ui/messages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSettings>
#include <QSpinBox>
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
    m_fraNetwork = new QGroupBox(QStringLiteral("Network port (serial device server)"), this);
    m_fraNetwork->setObjectName(QStringLiteral("fraNetwork"));
    m_fraNetwork->setCheckable(true);
    m_fraNetwork->setChecked(false);
    m_fraNetwork->setEnabled(!ports.simulated());
    m_txtHost = new QLineEdit(m_fraNetwork);
    m_txtHost->setObjectName(QStringLiteral("txtHost"));
    m_txtHost->setPlaceholderText(QStringLiteral("name or address"));
    m_txtTcpPort = new QSpinBox(m_fraNetwork);
    m_txtTcpPort->setObjectName(QStringLiteral("txtTcpPort"));
    m_txtTcpPort->setRange(1, 65535);
    m_txtTcpPort->setValue(4001);
    m_optRaw = new QRadioButton(QStringLiteral("Raw TCP"), m_fraNetwork);
    m_optRaw->setObjectName(QStringLiteral("optRaw"));
    m_optRaw->setChecked(true);
    m_optRfc2217 = new QRadioButton(QStringLiteral("RFC 2217"), m_fraNetwork);
    m_optRfc2217->setObjectName(QStringLiteral("optRfc2217"));
    auto *net = new QGridLayout(m_fraNetwork);
    net->addWidget(new QLabel(QStringLiteral("Host"), m_fraNetwork), 0, 0);
    net->addWidget(m_txtHost, 0, 1, 1, 3);
    net->addWidget(new QLabel(QStringLiteral("TCP port"), m_fraNetwork), 1, 0);
    net->addWidget(m_txtTcpPort, 1, 1);
    net->addWidget(m_optRaw, 1, 2);
    net->addWidget(m_optRfc2217, 1, 3);
    // One or the other: a device, or a port on the network.
    connect(m_fraNetwork, &QGroupBox::toggled, m_cboDevice,
            [this](bool network) { m_cboDevice->setEnabled(!network && !m_ports.simulated()); });

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmComPort::cmdOK_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(frame);
    layout->addWidget(deviceLabel);
    layout->addWidget(m_cboDevice);
    layout->addWidget(m_fraNetwork);
    layout->addWidget(ok, 0, Qt::AlignRight);
    Form_Load();
}

void frmComPort::Form_Load()
{
    const int n = m_comPortNo >= 1 && m_comPortNo <= 8 ? m_comPortNo : 1;
    m_optCom.at(static_cast<std::size_t>(n - 1))->setChecked(true);
    showDevice(n);
}

QString frmComPort::lastNetworkPort()
{
    return QSettings().value(QStringLiteral("port/network")).toString();
}

void frmComPort::rememberNetworkPort(const QString &designation)
{
    QSettings().setValue(QStringLiteral("port/network"), designation);
}

void frmComPort::showDevice(int comNo)
{
    const QString device = m_ports.describe(comNo);
    const auto port = ParsePortDesignation(device);
    const bool network = port && port->kind != PortDesignation::Kind::Device;
    // The network fields show this COM number's server, else the last one
    // connected to, so that it need not be typed again.
    const auto offered = network ? port : ParsePortDesignation(lastNetworkPort());
    if (offered && offered->kind != PortDesignation::Kind::Device) {
        m_txtHost->setText(offered->host);
        m_txtTcpPort->setValue(offered->port);
        (offered->kind == PortDesignation::Kind::Rfc2217 ? m_optRfc2217 : m_optRaw)
            ->setChecked(true);
    }
    m_fraNetwork->setChecked(network);
    if (network)
        return;
    const int known = m_cboDevice->findData(device);
    if (known >= 0)
        m_cboDevice->setCurrentIndex(known);
    else
        m_cboDevice->setEditText(device);
}

QString frmComPort::designation(QString *error) const
{
    if (!m_fraNetwork->isChecked()) {
        const int index = m_cboDevice->findText(m_cboDevice->currentText());
        return (index >= 0 ? m_cboDevice->itemData(index).toString() : m_cboDevice->currentText())
            .trimmed();
    }
    QString host = m_txtHost->text().trimmed();
    if (host.isEmpty()) {
        *error = QStringLiteral("Enter the host name or address of the serial device server.");
        return {};
    }
    // An IPv6 address goes in brackets, as in any URL.
    if (host.contains(QLatin1Char(':')) && !host.startsWith(QLatin1Char('[')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    const QString text =
        QStringLiteral("%1://%2:%3")
            .arg(m_optRfc2217->isChecked() ? QStringLiteral("rfc2217") : QStringLiteral("tcp"),
                 host)
            .arg(m_txtTcpPort->value());
    if (const auto parsed = ParsePortDesignation(text); !parsed) {
        *error = parsed.reason();
        return {};
    }
    return text;
}

void frmComPort::cmdOK_Click()
{
    for (int n = 1; n <= 8; ++n) {
        if (m_optCom.at(static_cast<std::size_t>(n - 1))->isChecked()) {
            m_comPortNo = n;
            break;
        }
    }
    // A device chosen from the list or typed, or a network port: the chosen
    // COM number opens it.
    QString error;
    const QString device = m_ports.simulated() ? QString() : designation(&error);
    if (!error.isEmpty()) {
        Messages::show(this, Messages::Icon::Exclamation, QStringLiteral("COM Port Setting"),
                       error);
        return;
    }
    if (!device.isEmpty() && device != m_ports.describe(m_comPortNo))
        m_ports.map(m_comPortNo, device);
    accept();
}
