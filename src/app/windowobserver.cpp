#include "app/windowobserver.h"

#include "app/comconnection.h"
#include "ui/messages.h"
#include "ui/frmloading.h"
#include "exchange/session.h"
#include "monitor/frmoverview.h"

#include <QLabel>

void WindowObserver::progressStarted(int steps, const QString &caption)
{
    m_t.progress.ShowProgress(steps, caption);
}

void WindowObserver::progressAdvanced()
{
    m_t.progress.advance();
}

void WindowObserver::progressFinished()
{
    m_t.progress.unload();
}

void WindowObserver::commCardModel(const QString &model)
{
    m_t.lblMasterType->setText(model);
}

void WindowObserver::commCardVersion(const QString &version)
{
    m_t.lblVersionNo->setText(QLatin1Char('V') + version);
}

void WindowObserver::cardRowCleared(int cardNo)
{
    m_t.overview.ClearOverviewRow(cardNo);
}

void WindowObserver::cardIdentified(int cardNo)
{
    m_t.overview.ShowCardIdentity(cardNo);
}

void WindowObserver::cardRead(int cardNo)
{
    m_t.overview.ShowCardDetails(cardNo);
}

void WindowObserver::operationFailed(const QString &title, const QString &text)
{
    if (!m_s.quitting)
        Messages::show(m_t.messageParent, Messages::Icon::Critical, title, text);
    m_t.connection.DisconnectComCard();
}

void WindowObserver::operationWarning(const QString &title, const QString &text)
{
    if (!m_s.quitting)
        Messages::show(m_t.messageParent, Messages::Icon::Exclamation, title, text);
}
