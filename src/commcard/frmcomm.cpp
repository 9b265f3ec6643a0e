#include "commcard/frmcomm.h"

#include "ui/commandlock.h"
#include "ui/messages.h"
#include "ui/namedwidgets.h"
#include "exchange/commcardsettings.h"
#include "exchange/session.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

namespace {

} // namespace

frmComm::frmComm(Session &session, CommandLock &lock, std::function<void()> disconnect,
                 QWidget *parent)
    : QDialog(parent), m_session(session), m_lock(lock), m_disconnect(std::move(disconnect))
{
    setObjectName(QStringLiteral("frmComm"));
    setWindowTitle(QStringLiteral("Com.Card Setting"));
    setModal(true);

    QLabel *title = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Com.Card Setting"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    title->setFont(big);
    m_txtTimeout = new QLineEdit(this);
    m_txtTimeout->setObjectName(QStringLiteral("txtTimeout"));
    m_txtTimeout->setFixedWidth(70);
    // Typed or pasted, only digits get in (txtTimeout_KeyPress).
    m_txtTimeout->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), m_txtTimeout));
    auto *value = new QHBoxLayout;
    value->addWidget(makeLabel(this, QStringLiteral("Label4"), QStringLiteral("TimeOut")));
    value->addWidget(m_txtTimeout);
    value->addWidget(makeLabel(this, QStringLiteral("Label2"), QStringLiteral("x 0.1 Sec")));
    value->addStretch(1);
    m_label3 = makeLabel(this, QStringLiteral("Label3"), QStringLiteral("-"));
    m_label3->hide();

    m_cmdUp = makeButton(this, QStringLiteral("cmdUp"), QStringLiteral("Upload"));
    m_cmdDown = makeButton(this, QStringLiteral("cmdDown"), QStringLiteral("Download"));
    m_cmdExit = makeButton(this, QStringLiteral("cmdExit"), QStringLiteral("Exit"));
    connect(m_cmdUp, &QPushButton::clicked, this, &frmComm::cmdUp_Click);
    connect(m_cmdDown, &QPushButton::clicked, this, &frmComm::cmdDown_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &frmComm::cmdExit_Click);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_cmdUp, m_cmdDown, m_cmdExit})
        buttons->addWidget(b);

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(title);
    outer->addLayout(value);
    outer->addWidget(m_label3);
    outer->addLayout(buttons);
    // Nothing can start before the opening read.
    setButtonsEnabled(false);
}

void frmComm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    // Once, after the window has painted: reading at every activation would
    // overwrite what was typed, and loop after a failure, since closing our
    // own message box activates the window again.
    QTimer::singleShot(0, this, &frmComm::cmdUp_Click);
}

void frmComm::reject()
{
    if (!m_busy)
        QDialog::reject();
}

void frmComm::setButtonsEnabled(bool enabled)
{
    for (QPushButton *b : {m_cmdUp, m_cmdDown, m_cmdExit})
        b->setEnabled(enabled);
}

void frmComm::beginTransfer()
{
    m_busy = true;
    setButtonsEnabled(false);
    m_lock.DisableCommands(m_session.state.SelectedCardNo);
}

void frmComm::endTransfer()
{
    m_busy = false;
    // After a disconnect the main window's commands stay locked until the
    // next connect, as after every other operation.
    if (m_session.state.IsConnected && m_session.line.isOpen())
        m_lock.EnableCommands(m_session.state.SelectedCardNo);
}

void frmComm::fail(const QString &title, const QString &text)
{
    // Shut-down and a refused nested exchange are not the card's fault.
    if (m_session.quitting || m_session.line.lastRefused())
        return;
    Messages::show(this, Messages::Icon::Critical, title, text);
    m_disconnect();
}

void frmComm::cmdUp_Click()
{
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Time-out upload"));
    if (!ticket) {
        m_busy = false;
        setButtonsEnabled(true);
        return;
    }
    m_label3->hide();
    beginTransfer();
    const QPointer<frmComm> alive(this);
    const CommTimeoutUpload read = UploadCommTimeout(m_session);
    if (!alive)
        return;
    switch (read.result) {
    case CommTimeoutUpload::Result::Read:
        m_label3->setText(QStringLiteral("-"));
        m_txtTimeout->setText(read.value);
        setButtonsEnabled(true);
        break;
    case CommTimeoutUpload::Result::CannotSet:
        // For good: nothing this window could send would be taken.
        m_label3->setText(QStringLiteral("This card type/version can't set this parameter."));
        m_label3->show();
        m_txtTimeout->setEnabled(false);
        m_cmdExit->setEnabled(true);
        break;
    case CommTimeoutUpload::Result::NoAnswer:
        fail(QStringLiteral("Uploading"), QStringLiteral("Uploading incomplete"));
        setButtonsEnabled(true);
        break;
    }
    endTransfer();
}

void frmComm::cmdDown_Click()
{
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Time-out download"));
    if (!ticket)
        return;
    beginTransfer();
    const QPointer<frmComm> alive(this);
    const CommTimeoutDownload written = DownloadCommTimeout(m_session, m_txtTimeout->text());
    if (!alive)
        return;
    if (!written.sent.isEmpty())
        m_txtTimeout->setText(written.sent);
    switch (written.result) {
    case SettingsDownload::Written:
        break;
    case SettingsDownload::BadEntry:
        Messages::show(this, Messages::Icon::Information, QStringLiteral("V9CON"),
                       QStringLiteral("Please enter number in TimeOut Box."));
        break;
    case SettingsDownload::Refused:
        // The card answered, so the link stays.
        Messages::show(this, Messages::Icon::Exclamation, QStringLiteral("Downloading"),
                       written.problem.message);
        break;
    case SettingsDownload::NoAnswer:
    case SettingsDownload::WriteFailed:
        fail(QStringLiteral("Downloading"), QStringLiteral("Downloading incomplete"));
        break;
    }
    setButtonsEnabled(true);
    endTransfer();
}

void frmComm::cmdExit_Click()
{
    accept();
}
