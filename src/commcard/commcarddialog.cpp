#include "commcard/commcarddialog.h"

#include "exchange/session.h"
#include "ui/messages.h"
#include "ui/namedwidgets.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>

CommCardDialog::CommCardDialog(Session &session, CommandLock &lock,
                               std::function<void()> disconnect, QWidget *parent)
    : QDialog(parent), m_session(session), m_lock(lock), m_disconnect(std::move(disconnect))
{
    setModal(true);
}

CommCardDialog::Transfer::Transfer(CommCardDialog &dialog, const QString &operation)
    : m_dialog(&dialog), m_scope(dialog.m_session.gate, dialog.m_lock, operation)
{
    dialog.m_busy = static_cast<bool>(m_scope);
    dialog.setButtonsEnabled(!m_scope);
}

CommCardDialog::Transfer::~Transfer()
{
    if (!m_dialog)
        return;
    m_dialog->m_busy = false;
    m_dialog->setButtonsEnabled(true);
}

QHBoxLayout *CommCardDialog::buttonRow()
{
    m_cmdUp = makeButton(this, QStringLiteral("cmdUp"), QStringLiteral("Upload"));
    m_cmdDown = makeButton(this, QStringLiteral("cmdDown"), QStringLiteral("Download"));
    m_cmdExit = makeButton(this, QStringLiteral("cmdExit"), QStringLiteral("Exit"));
    connect(m_cmdUp, &QPushButton::clicked, this, &CommCardDialog::cmdUp_Click);
    connect(m_cmdDown, &QPushButton::clicked, this, &CommCardDialog::cmdDown_Click);
    connect(m_cmdExit, &QPushButton::clicked, this, &CommCardDialog::cmdExit_Click);
    auto *row = new QHBoxLayout;
    for (QPushButton *b : {m_cmdUp, m_cmdDown, m_cmdExit})
        row->addWidget(b);
    // Nothing can start before the opening read.
    setButtonsEnabled(false);
    return row;
}

void CommCardDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    // Once, after the window has painted: reading at every activation would
    // overwrite what was typed, and loop after a failure, since closing our
    // own message box activates the window again.
    QTimer::singleShot(0, this, &CommCardDialog::cmdUp_Click);
}

void CommCardDialog::reject()
{
    if (!m_busy)
        QDialog::reject();
}

void CommCardDialog::cmdExit_Click()
{
    accept();
}

void CommCardDialog::setButtonsEnabled(bool enabled)
{
    m_cmdUp->setEnabled(enabled && m_transfersPossible);
    m_cmdDown->setEnabled(enabled && m_transfersPossible);
    m_cmdExit->setEnabled(enabled);
}

void CommCardDialog::fail(const QString &title, const QString &text)
{
    // Shut-down is not the card's fault.
    if (m_session.quitting)
        return;
    Messages::show(this, Messages::Icon::Critical, title, text);
    m_disconnect();
}
