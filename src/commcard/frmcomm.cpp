#include "commcard/frmcomm.h"

#include "exchange/commcardsettings.h"
#include "ui/messages.h"
#include "ui/namedwidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

frmComm::frmComm(Session &session, CommandLock &lock, std::function<void()> disconnect,
                 QWidget *parent)
    : CommCardDialog(session, lock, std::move(disconnect), parent)
{
    setObjectName(QStringLiteral("frmComm"));
    setWindowTitle(QStringLiteral("Com.Card Setting"));

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

    QHBoxLayout *buttons = buttonRow();

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(title);
    outer->addLayout(value);
    outer->addWidget(m_label3);
    outer->addLayout(buttons);
}

void frmComm::cmdUp_Click()
{
    const Transfer transfer(*this, QStringLiteral("Time-out upload"));
    if (!transfer)
        return;
    m_label3->hide();
    const CommTimeoutUpload read = UploadCommTimeout(m_session);
    if (transfer.windowGone())
        return;
    switch (read.result) {
    case CommTimeoutUpload::Result::Read:
        m_label3->setText(QStringLiteral("-"));
        m_txtTimeout->setText(read.value);
        break;
    case CommTimeoutUpload::Result::CannotSet:
        // For good: nothing this window could send would be taken.
        m_label3->setText(QStringLiteral("This card type/version can't set this parameter."));
        m_label3->show();
        m_txtTimeout->setEnabled(false);
        settingsUnsupported();
        break;
    case CommTimeoutUpload::Result::NoAnswer:
        fail(QStringLiteral("Uploading"), QStringLiteral("Uploading incomplete"));
        break;
    case CommTimeoutUpload::Result::Busy: // not the card's fault: nothing was sent
        break;
    }
}

void frmComm::cmdDown_Click()
{
    const Transfer transfer(*this, QStringLiteral("Time-out download"));
    if (!transfer)
        return;
    const CommTimeoutDownload written = DownloadCommTimeout(m_session, m_txtTimeout->text());
    if (transfer.windowGone())
        return;
    if (!written.sent.isEmpty())
        m_txtTimeout->setText(written.sent);
    switch (written.result) {
    case SettingsDownload::Written:
        emit downloaded(QStringLiteral("Download complete: time-out %1 written").arg(written.sent));
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
    case SettingsDownload::Busy: // not the card's fault: nothing was sent
        break;
    }
}
