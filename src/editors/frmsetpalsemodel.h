#pragma once

#include "editors/editmarks.h"
#include "ui/commandlock.h"

#include <QWidget>
#include <array>

class CardTable;
struct GlobalState;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The pulse card editor: per channel a count (read only) and a span the
// operator edits. It shows and collects values only; its buttons ask for
// transfers that run elsewhere. It works on the card SelectedCardNo names.
class frmSetPalseModel final : public QWidget, public LockableEditor
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSetPalseModel)
public:
    frmSetPalseModel(const CardTable &cards, const GlobalState &state, QWidget *parent = nullptr);

    // Version, counts (slots 1, 7) and spans (slots 2, 8) of both channels.
    void FillCardWindow();
    // Frame caption, card type and card number of the selected card.
    void ShowCardWindow();
    // Span limits 100 and 60000, counts read-only; nothing for a slot that
    // holds no pulse card.
    void SetScaleMinMax();

    // Channel 1 or 2.
    QString countText(int ch) const;
    void setCountText(int ch, const QString &text);
    QString spanText(int ch) const;
    // Also takes the box's edit mark: what it shows came from the program.
    void setSpanText(int ch, const QString &text);
    // Whether a span box holds an edit not yet written to the card.
    bool hasUnsentEdits() const { return m_marks.any(); }
    // The card took span `ch`'s text: no longer marked as unsent.
    void spanWritten(int ch);
    // Live counts: both boxes are cleared, then set.
    void showLive(const QString &ch1, const QString &ch2);

    // LockableEditor
    void setTransferButtonsEnabled(bool upload, bool download) override; // cmdUp, cmdDown
    void Locked_txtBase() override;                                      // the span boxes
    void Unlocked_txtBase() override;

signals:
    void uploadClicked();   // cmdUp_Click
    void downloadClicked(); // cmdDown_Click
    void trendClicked();    // cmdTrend: plot this card's monitored values

private:
    const CardTable &m_cards;
    const GlobalState &m_state;
    QGroupBox *m_fraSetPalseModel = nullptr;
    QLineEdit *m_txtCardType = nullptr;
    QLineEdit *m_txtCardNo = nullptr;
    QLineEdit *m_txtVerNo = nullptr;
    std::array<QLineEdit *, 2> m_count{}; // txtIOCount01, txtIOCount02
    std::array<QLineEdit *, 2> m_span{};  // txtSpan01, txtSpan02
    std::array<QLabel *, 2> m_low{};      // lblSpan01_LLmt, lblSpan02_LLmt
    std::array<QLabel *, 2> m_high{};     // lblSpan01_HLmt, lblSpan02_HLmt
    EditMarks m_marks;                    // the span boxes
    QPushButton *m_cmdUp = nullptr;
    QPushButton *m_cmdDown = nullptr;
    QPushButton *m_cmdTrend = nullptr;
};
