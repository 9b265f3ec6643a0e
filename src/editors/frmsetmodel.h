#pragma once

#include "editors/editmarks.h"
#include "ui/commandlock.h"

#include <QWidget>
#include <array>

class CardTable;
struct GlobalState;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The analog card editor: one card's identity, up to two channels of six
// parameters with their ranges, sensor type, burnout, limit function and
// live values. It shows and collects values only; the transfers its
// buttons ask for run elsewhere (uploadClicked, downloadClicked). It always
// works on the card SelectedCardNo names.
class frmSetModel final : public QWidget, public LockableEditor
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSetModel)
public:
    frmSetModel(const CardTable &cards, const GlobalState &state, QWidget *parent = nullptr);

    // Copies the selected card's record into the boxes: version, parameter
    // values (channel 2 only for two-channel cards), burnout texts and the
    // limit tick (thermocouple: unticked for LimitState 0, ticked for 1,
    // hidden otherwise; RTD: hidden).
    void FillCardWindow();
    // Lays the window out for the selected card: channel frames, the sensor
    // rows, chkLimit, the frame caption, card type and card number.
    void ShowCardWindow();
    // Ranges, units, base rows and sensor name for the selected card;
    // a slot without a known card leaves the window as it is.
    void SetScaleMinMax();

    // Parameter box of slot 1..12 (1..6 channel 1, 7..12 channel 2).
    QString parText(int slot) const;
    // Also takes the box's edit mark: what it shows came from the program.
    void setParText(int slot, const QString &text);
    // Whether a parameter box holds an edit not yet written to the card.
    bool hasUnsentEdits() const { return m_marks.any(); }
    bool limitTicked() const;
    // Sets the tick without raising limitClicked.
    void setLimitTicked(bool ticked);
    bool limitShown() const;
    // Live values of both channels: both boxes are cleared, then set.
    void showLive(const QString &ch1, const QString &ch2);

    // LockableEditor
    void setTransferButtonsEnabled(bool upload, bool download) override; // cmdUp, cmdDown
    void Locked_txtBase() override;
    void Unlocked_txtBase() override;

signals:
    void uploadClicked();   // cmdUp_Click
    void downloadClicked(); // cmdDown_Click
    void trendClicked();    // cmdTrend: plot this card's monitored values
    // chkLimit_Click: the operator changed the tick.
    void limitClicked(bool ticked);

private:
    struct Channel
    {
        QGroupBox *frame = nullptr;        // fraCh1 / fraCh2
        std::array<QLineEdit *, 6> par{};  // txtZScale0n .. txtFBase0n
        std::array<QLabel *, 6> caption{}; // lblZScale0n .. lblFBase0n
        std::array<QLabel *, 6> low{};     // lbl..._LLmt
        std::array<QLabel *, 6> high{};    // lbl..._HLmt
        std::array<QLabel *, 2> unit{};    // lblZBase0n_Unit, lblFBase0n_Unit
        QLabel *burnoutLabel = nullptr;    // Label5 / Label6
        QLineEdit *burnout = nullptr;      // txtBurnout1 / 2
        QLineEdit *live = nullptr;         // txtParData0n
    };
    void buildChannel(int n, class QGridLayout *grid);

    const CardTable &m_cards;
    const GlobalState &m_state;
    QGroupBox *m_fraSetModel = nullptr;
    QLineEdit *m_txtCardType = nullptr;
    QLineEdit *m_txtCardNo = nullptr;
    QLineEdit *m_txtVerNo = nullptr;
    QLabel *m_label4 = nullptr; // "Input Type"
    QLineEdit *m_txtInputType = nullptr;
    QCheckBox *m_chkLimit = nullptr;
    std::array<Channel, 2> m_ch;
    std::array<QLabel *, 36> m_lblMark{};
    EditMarks m_marks;
    QPushButton *m_cmdUp = nullptr;
    QPushButton *m_cmdDown = nullptr;
    QPushButton *m_cmdTrend = nullptr;
};
