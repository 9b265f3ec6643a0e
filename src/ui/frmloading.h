#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// A small window outside the main window that shows a transfer's progress.
// It is not modal: the transfer goes on while it shows.
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
    // Ends the operation's display.
    void unload() { hide(); }

    QProgressBar *progressBar() const { return m_bar; }

private:
    QLabel *m_label;
    QProgressBar *m_bar;
};
