#include "app/frmcomport.h"

#include "link/portprovider.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmComPort::frmComPort(int comPortNo, const PortProvider &ports, QWidget *parent)
    : QDialog(parent), m_comPortNo(comPortNo)
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
        // COM1..COM4 on the left, COM5..COM8 on the right.
        grid->addWidget(opt, (n - 1) % 4, (n - 1) / 4);
        m_optCom.at(static_cast<std::size_t>(n - 1)) = opt;
    }
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmComPort::cmdOK_Click);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(frame);
    layout->addWidget(ok, 0, Qt::AlignRight);
    Form_Load();
}

void frmComPort::Form_Load()
{
    const int n = m_comPortNo >= 1 && m_comPortNo <= 8 ? m_comPortNo : 1;
    m_optCom.at(static_cast<std::size_t>(n - 1))->setChecked(true);
}

void frmComPort::cmdOK_Click()
{
    for (int n = 1; n <= 8; ++n) {
        if (m_optCom.at(static_cast<std::size_t>(n - 1))->isChecked()) {
            m_comPortNo = n;
            break;
        }
    }
    accept();
}
