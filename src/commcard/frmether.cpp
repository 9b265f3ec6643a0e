#include "commcard/frmether.h"

#include "exchange/commcardsettings.h"
#include "ui/messages.h"
#include "ui/namedwidgets.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <utility>

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

// "10.1.2.3" as its four octets, first first; nothing unless the whole
// text is an address of four numbers 0 to 255.
std::optional<std::array<QString, 4>> dottedAddress(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("^([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})\\.([0-9]{1,3})$"));
    const QRegularExpressionMatch m = re.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    std::array<QString, 4> octets;
    for (int i = 0; i < 4; ++i) {
        octets.at(static_cast<std::size_t>(i)) = m.captured(i + 1);
        if (m.captured(i + 1).toInt() > 255)
            return std::nullopt;
    }
    return octets;
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
        for (QLineEdit *box : {m_txtIP[k], m_txtSNM[k]}) {
            box->installEventFilter(this);
            // The box, not the signal: a handler may have set it meanwhile.
            connect(box, &QLineEdit::textChanged, this,
                    [this, box] { m_octetShown[box] = box->text(); });
        }
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
    // A read the line would not send is not the card's fault.
    if (!read.complete && !read.busy)
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
        emit downloaded(QStringLiteral("Download complete: Ethernet settings written"));
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
    case SettingsDownload::Busy: // not the card's fault: nothing was sent
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

bool frmEther::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->text() == QLatin1String(".")) {
        for (const auto *boxes : {&m_txtIP, &m_txtSNM}) {
            const auto *it = std::find(boxes->begin(), boxes->end(), watched);
            if (it == boxes->end())
                continue;
            // Box 0 holds the last octet; a point there goes nowhere.
            if (it != boxes->begin()) {
                QLineEdit *next = *(it - 1);
                next->setFocus(Qt::TabFocusReason);
                next->selectAll();
            }
            return true;
        }
    }
    return CommCardDialog::eventFilter(watched, event);
}

// A point reaches an octet box only by a paste or a drop: a whole address
// fills the four boxes, anything else is taken back.
bool frmEther::takeAddress(const std::array<QLineEdit *, 4> &boxes, int index)
{
    QLineEdit *box = boxes.at(static_cast<std::size_t>(index));
    const QString text = box->text();
    if (!text.contains(QLatin1Char('.')))
        return false;
    // textEdited comes before textChanged: this is still the text before the edit.
    const QString before = m_octetShown.value(box);
    // What was pasted is best known from the clipboard, with the box's old
    // text around it; a drop leaves only the box's text.
    QStringList candidates;
    for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
        const QString pasted = QGuiApplication::clipboard()->text(mode).trimmed();
        if (!pasted.isEmpty() && text.contains(pasted))
            candidates << pasted;
    }
    candidates << text;
    std::optional<std::array<QString, 4>> address;
    for (const QString &candidate : std::as_const(candidates))
        if ((address = dottedAddress(candidate)))
            break;
    if (!address) {
        box->setText(before);
        return true;
    }
    // Box 3 holds the first octet.
    for (std::size_t i = 0; i < 4; ++i)
        boxes.at(3 - i)->setText(address->at(i));
    boxes[0]->setFocus(Qt::OtherFocusReason);
    return true;
}

void frmEther::txtIP_Change(int index)
{
    if (!takeAddress(m_txtIP, index))
        checkOctet(m_txtIP.at(static_cast<std::size_t>(index)));
}

void frmEther::txtSNM_Change(int index)
{
    if (!takeAddress(m_txtSNM, index))
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
