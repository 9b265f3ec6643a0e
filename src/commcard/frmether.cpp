#include "commcard/frmether.h"

#include "exchange/commcardsettings.h"
#include "ui/messages.h"
#include "ui/namedwidgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kAppTitle = QStringLiteral("V9CON");

std::array<QString, 4> textsOf(const std::array<QLineEdit *, 4> &boxes)
{
    return {boxes[0]->text(), boxes[1]->text(), boxes[2]->text(), boxes[3]->text()};
}

void setTexts(const std::array<QLineEdit *, 4> &boxes, const std::array<QString, 4> &texts)
{
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(texts[i]);
}

// The message, then the caret in the box it is about.
void showProblem(QWidget *window, Messages::Icon icon, const QString &title,
                 const EntryProblem &problem)
{
    Messages::show(window, icon, title, problem.message);
    if (auto *box = window->findChild<QLineEdit *>(problem.box)) {
        box->setFocus();
        box->selectAll();
    }
}

} // namespace

frmEther::frmEther(Session &session, CommandLock &lock, std::function<void()> disconnect,
                   QWidget *parent)
    : CommCardDialog(session, lock, std::move(disconnect), parent)
{
    setObjectName(QStringLiteral("frmEther"));
    setWindowTitle(QStringLiteral("Ethernet Setting"));

    auto *grid = new QGridLayout;
    QLabel *title = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Ethernet Settings"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    title->setFont(big);
    grid->addWidget(makeLabel(this, QStringLiteral("Label2"), QStringLiteral("IP Address")), 0, 0);
    grid->addWidget(makeLabel(this, QStringLiteral("Label3"), QStringLiteral("Subnet  Mask")), 1,
                    0);
    grid->addWidget(makeLabel(this, QStringLiteral("Label5"), QStringLiteral("MAC Address")), 2, 0);
    // Box 3 holds the first octet, so the address reads left to right.
    for (int i = 3; i >= 0; --i) {
        const auto k = static_cast<std::size_t>(i);
        m_txtIP[k] = makeBox(this, QStringLiteral("txtIP_%1").arg(i), 44);
        m_txtSNM[k] = makeBox(this, QStringLiteral("txtSNM_%1").arg(i), 44);
        grid->addWidget(m_txtIP[k], 0, 4 - i);
        grid->addWidget(m_txtSNM[k], 1, 4 - i);
        connect(m_txtIP[k], &QLineEdit::textEdited, this, [this, i] { txtIP_Change(i); });
        connect(m_txtSNM[k], &QLineEdit::textEdited, this, [this, i] { txtSNM_Change(i); });
    }
    for (int i = 0; i < 2; ++i) {
        auto *mac = makeLabel(this, QStringLiteral("lblMac_%1").arg(i), QString());
        mac->setFrameShape(QFrame::Panel);
        mac->setFrameShadow(QFrame::Sunken);
        m_lblMac[static_cast<std::size_t>(i)] = mac;
        grid->addWidget(mac, 2, 1 + 2 * i, 1, 2);
    }

    QHBoxLayout *buttons = buttonRow();
    buttons->insertStretch(0, 1);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(title);
    outer->addLayout(grid);
    outer->addWidget(buildSockets());
    outer->addWidget(makeLabel(this, QStringLiteral("Label10"),
                               QStringLiteral("* Supported by Ver.0.04 or higher")));
    outer->addLayout(buttons);
}

QWidget *frmEther::buildSockets()
{
    auto *frame = new QGroupBox(QStringLiteral("TCP Socket"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(frame);
    grid->addWidget(makeLabel(frame, QStringLiteral("Label4_1"), QStringLiteral("Linger *")), 1, 0);
    for (int n = 1; n <= 4; ++n) {
        const auto k = static_cast<std::size_t>(n - 1);
        grid->addWidget(
            makeLabel(frame, QStringLiteral("Label%1").arg(n + 5), QStringLiteral("Port%1").arg(n)),
            0, 2 * n - 1);
        grid->addWidget(
            makeLabel(frame, QStringLiteral("Label4_%1").arg(n + 1), QString::number(n)), 1,
            2 * n - 1, Qt::AlignRight);
        m_txtPort[k] = makeBox(frame, QStringLiteral("txtPort_%1").arg(n), 56);
        m_txtTimeout[k] = makeBox(frame, QStringLiteral("txtTimeout_%1").arg(n), 56);
        grid->addWidget(m_txtPort[k], 0, 2 * n);
        grid->addWidget(m_txtTimeout[k], 1, 2 * n);
        connect(m_txtPort[k], &QLineEdit::textEdited, this, [this, n] { txtPort_Change(n); });
        connect(m_txtTimeout[k], &QLineEdit::textEdited, this, [this, n] { txtTimeout_Change(n); });
    }
    grid->addWidget(makeLabel(frame, QStringLiteral("Label4_0"), QStringLiteral("     x 0.1Sec")),
                    1, 9);
    return frame;
}

void frmEther::cmdUp_Click()
{
    const Transfer transfer(*this, QStringLiteral("Ethernet upload"));
    if (!transfer)
        return;
    const EthernetUpload read = UploadEthernetSettings(m_session);
    if (transfer.windowGone())
        return;
    if (read.ip)
        setTexts(m_txtIP, *read.ip);
    if (read.mask)
        setTexts(m_txtSNM, *read.mask);
    if (read.macFirst)
        m_lblMac[0]->setText(*read.macFirst);
    if (read.macSecond)
        m_lblMac[1]->setText(*read.macSecond);
    for (std::size_t i = 0; i < 4; ++i) {
        if (read.port[i])
            m_txtPort[i]->setText(*read.port[i]);
        if (read.linger[i])
            m_txtTimeout[i]->setText(*read.linger[i]);
    }
    if (!read.complete)
        fail(QStringLiteral("Uploading"), QStringLiteral("Uploading incomplete"));
}

void frmEther::cmdDown_Click()
{
    const Transfer transfer(*this, QStringLiteral("Ethernet download"));
    if (!transfer)
        return;
    const EthernetSettings boxes{textsOf(m_txtIP), textsOf(m_txtSNM), textsOf(m_txtPort),
                                 textsOf(m_txtTimeout)};
    const EthernetDownload written = DownloadEthernetSettings(m_session, boxes);
    if (transfer.windowGone())
        return;
    switch (written.result) {
    case SettingsDownload::Written:
        break;
    case SettingsDownload::BadEntry:
        showProblem(this, Messages::Icon::Information, kAppTitle, written.problem);
        break;
    case SettingsDownload::Refused:
        // The card answered, so the link stays; only this setting needs a look.
        showProblem(this, Messages::Icon::Exclamation, QStringLiteral("Downloading"),
                    written.problem);
        break;
    case SettingsDownload::NoAnswer:
    case SettingsDownload::WriteFailed:
        fail(QStringLiteral("Downloading"), QStringLiteral("Downloading incomplete"));
        break;
    }
}

void frmEther::checkTyping(QLineEdit *box, const QString &message)
{
    // The operator types on where the caret was, whatever the message did.
    const int caret = box->cursorPosition();
    if (!message.isEmpty())
        Messages::show(this, Messages::Icon::Information, kAppTitle, message);
    box->setCursorPosition(caret);
}

void frmEther::checkOctet(QLineEdit *box)
{
    if (box->text().size() > 3) {
        const int caret = box->cursorPosition();
        box->setText(box->text().left(3));
        box->setCursorPosition(std::min(caret, 3));
    }
    checkTyping(box, OctetTypingMessage(box->text()));
}

void frmEther::txtIP_Change(int index)
{
    checkOctet(m_txtIP.at(static_cast<std::size_t>(index)));
}

void frmEther::txtSNM_Change(int index)
{
    checkOctet(m_txtSNM.at(static_cast<std::size_t>(index)));
}

void frmEther::txtPort_Change(int index)
{
    QLineEdit *box = m_txtPort.at(static_cast<std::size_t>(index - 1));
    checkTyping(box, PortTypingMessage(box->text()));
}

void frmEther::txtTimeout_Change(int index)
{
    QLineEdit *box = m_txtTimeout.at(static_cast<std::size_t>(index - 1));
    checkTyping(box, LingerTypingMessage(box->text()));
}
