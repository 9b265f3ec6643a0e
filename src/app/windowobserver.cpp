#include "app/windowobserver.h"

#include "app/comconnection.h"
#include "exchange/portsetup.h"
#include "exchange/session.h"
#include "monitor/frmoverview.h"
#include "ui/frmloading.h"
#include "ui/messages.h"

#include <QLabel>

void WindowObserver::progressStarted(int steps, const QString &caption)
{
    m_targets.progress.ShowProgress(steps, caption);
}

void WindowObserver::progressAdvanced()
{
    m_targets.progress.advance();
}

void WindowObserver::progressFinished()
{
    m_targets.progress.unload();
}

void WindowObserver::commCardModel(const QString &model)
{
    m_targets.lblMasterType->setText(model);
}

void WindowObserver::commCardVersion(const QString &version)
{
    m_targets.lblVersionNo->setText(QLatin1Char('V') + version);
}

void WindowObserver::cardRowCleared(int cardNo)
{
    m_targets.overview.ClearOverviewRow(cardNo);
}

void WindowObserver::cardIdentified(int cardNo)
{
    m_targets.overview.ShowCardIdentity(cardNo);
}

void WindowObserver::cardRead(int cardNo)
{
    m_targets.overview.ShowCardDetails(cardNo);
}

void WindowObserver::progressDetail(const QString &text)
{
    m_targets.progress.showDetail(text);
}

void WindowObserver::transactionRetrying(int attempt, int attempts)
{
    m_targets.progress.showRetry(attempt, attempts);
}

void WindowObserver::cancelOffered(const CancelToken &token)
{
    m_targets.progress.offerCancel(token);
}

void WindowObserver::cancelWithdrawn()
{
    m_targets.progress.withdrawCancel();
}

void WindowObserver::operationFailed(const QString &title, const QString &text,
                                     const QString &detail)
{
    if (!m_session.quitting)
        Messages::show(m_targets.messageParent, Messages::Icon::Critical, title, text,
                       PortText(*m_session.ports, m_session.state.ComPortNo) + QLatin1Char('\n') +
                           detail);
    m_targets.connection.DisconnectComCard();
}

void WindowObserver::operationWarning(const QString &title, const QString &text,
                                      const QString &detail)
{
    if (!m_session.quitting)
        Messages::show(m_targets.messageParent, Messages::Icon::Exclamation, title, text, detail);
}
