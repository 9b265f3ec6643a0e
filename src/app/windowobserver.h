#pragma once

#include "exchange/rackobserver.h"

struct Session;
class ComConnection;
class frmLoading;
class frmOverView;
class QLabel;
class QWidget;

// Shows a rack operation in the main window: overview rows, the progress
// window, the communication card's labels, and message boxes. A failure
// also drops the link, as the operator expects after a dead line.
class WindowObserver final : public RackObserver
{
public:
    struct Targets
    {
        frmOverView &overview;
        frmLoading &progress;
        QLabel *lblMasterType;
        QLabel *lblVersionNo;
        ComConnection &connection;
        QWidget *messageParent;
    };
    WindowObserver(Session &session, const Targets &targets)
        : m_session(session), m_targets(targets)
    {
    }

    void progressStarted(int steps, const QString &caption) override;
    void progressAdvanced() override;
    void progressFinished() override;
    void commCardModel(const QString &model) override;
    void commCardVersion(const QString &version) override;
    void cardRowCleared(int cardNo) override;
    void cardIdentified(int cardNo) override;
    void cardRead(int cardNo) override;
    void progressDetail(const QString &text) override;
    void transactionRetrying(int attempt, int attempts) override;
    void operationFailed(const QString &title, const QString &text, const QString &detail) override;
    void operationWarning(const QString &title, const QString &text,
                          const QString &detail) override;
    void cancelOffered(const CancelToken &token) override;
    void cancelWithdrawn() override;

private:
    Session &m_session;
    Targets m_targets;
};
