#include "ui/frmloading.h"

#include "exchange/rackobserver.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

frmLoading::frmLoading(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_label(new QLabel(this)), m_bar(new QProgressBar(this)), m_detail(new QLabel(this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmLoading"));
    setWindowTitle(QStringLiteral("V9CON"));
    setModal(false);
    m_label->setObjectName(QStringLiteral("lblLoading"));
    m_label->setAlignment(Qt::AlignCenter);
    m_bar->setObjectName(QStringLiteral("pgBarLoading"));
    m_bar->setTextVisible(false);
    m_detail->setObjectName(QStringLiteral("lblDetail"));
    m_detail->setAlignment(Qt::AlignCenter);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter in the main window must not cancel a transfer by accident.
    m_cancel->setAutoDefault(false);
    connect(m_cancel, &QPushButton::clicked, this, &frmLoading::cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_detail);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    setMinimumWidth(twips(4680));
}

void frmLoading::ShowProgress(int steps, const QString &caption)
{
    m_bar->setMaximum(steps);
    m_bar->setMinimum(0);
    m_bar->setValue(0);
    m_label->setText(caption);
    m_detailText.clear();
    m_detail->clear();
    m_running = true;
    m_cancel->setVisible(m_token.has_value());
    show();
    raise();
}

void frmLoading::advance()
{
    setStep(m_bar->value() + 1);
}

void frmLoading::setStep(int value)
{
    m_bar->setValue(value);
}

void frmLoading::showDetail(const QString &text)
{
    m_detailText = text;
    m_detail->setText(text);
}

void frmLoading::showRetry(int attempt, int attempts)
{
    const QString retry = RetryText(attempt, attempts);
    m_detail->setText(m_detailText.isEmpty() ? retry
                                             : m_detailText + QStringLiteral(" \u2014 ") + retry);
}

void frmLoading::unload()
{
    m_running = false;
    hide();
}

void frmLoading::offerCancel(const CancelToken &token)
{
    m_token = token;
    m_cancel->setEnabled(true);
    m_cancel->setText(QStringLiteral("Cancel"));
    m_cancel->setVisible(m_running);
}

void frmLoading::withdrawCancel()
{
    m_token.reset();
    m_cancel->hide();
}

void frmLoading::cancel()
{
    if (!m_token)
        return;
    m_token->request();
    m_cancel->setEnabled(false);
    m_cancel->setText(QStringLiteral("Cancelling..."));
}

void frmLoading::closeEvent(QCloseEvent *event)
{
    // Hiding the window would hide a transfer that still holds the line.
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void frmLoading::reject()
{
    // Escape lands here: the window stays while the transfer runs.
    if (!m_running)
        QDialog::reject();
}
