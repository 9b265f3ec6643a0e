#pragma once

#include "link/canceltoken.h"

#include <QDialog>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

// A small window outside the main window that shows a transfer's progress.
// It is not modal: the transfer goes on while it shows. While it shows, it
// cannot be closed or escaped away; its Cancel button asks the transfer to
// end after the transaction in progress.
class frmLoading final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmLoading)
public:
    explicit frmLoading(QWidget *parent = nullptr);

    // Opens the window for an operation of `steps` steps, the bar at 0.
    void ShowProgress(int steps, const QString &caption);
    // One more step done.
    void advance();
    void setStep(int value);
    // What the operation is at: "Slot 5 of 16: XA1-00". Clears a retry note.
    void showDetail(const QString &text);
    // The transaction in progress tries again: "no answer, try 2 of 4"
    // beside the detail.
    void showRetry(int attempt, int attempts);
    // Ends the operation's display.
    void unload();

    // The running operation can be cancelled: the Cancel button shows and
    // requests `token`. Only an operation that offers it can end early.
    void offerCancel(const CancelToken &token);
    void withdrawCancel();

    QProgressBar *progressBar() const { return m_bar; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void cancel();

    QLabel *m_label;
    QProgressBar *m_bar;
    QLabel *m_detail;
    QPushButton *m_cancel;
    QString m_detailText;
    bool m_running = false;
    // The Cancel of the operation in progress; none when it offers none.
    std::optional<CancelToken> m_token;
};
