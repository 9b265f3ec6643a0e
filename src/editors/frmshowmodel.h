#pragma once

#include <QWidget>
#include <array>

class CardTable;
struct GlobalState;
class QGroupBox;
class QLabel;
class QLineEdit;

// The discrete I/O view: one DI or DO card of 4 or 16 channels, each shown
// ON (red) or OFF (green). It writes nothing to the rack; the live states
// are read elsewhere and shown through showChannel. It works on the card
// SelectedCardNo names.
class frmShowModel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmShowModel)
public:
    frmShowModel(const CardTable &cards, const GlobalState &state, QWidget *parent = nullptr);

    // Version, and channels 1..4 (1..16 for a 16-channel card) from ChData:
    // "ON" when its number is 1, else "OFF".
    void FillCardWindow();
    // Rows 1..4 shown; rows 5..16 only for a 16-channel card.
    void Form_Activate();
    // Form_Activate, the title "DI Data" / "DO Data", the frame caption,
    // card type and card number of the selected card.
    void ShowCardWindow();
    // Channel 1..16: "ON" in red, or "OFF" in green.
    void showChannel(int ch, bool on);
    // Channels fromCh..16 were not read: `text` ("ERROR", or blank) in the
    // text colour instead of a state that is no longer the card's.
    void showNoAnswer(int fromCh, const QString &text);
    QString channelText(int ch) const;

private:
    const CardTable &m_cards;
    const GlobalState &m_state;
    QGroupBox *m_fraShowModel = nullptr;
    QLineEdit *m_txtCardType = nullptr;
    QLineEdit *m_txtCardNo = nullptr;
    QLabel *m_label3 = nullptr; // "Version No."
    QLineEdit *m_txtVerNo = nullptr;
    QGroupBox *m_fraDI = nullptr;
    QLabel *m_lblDataTitle = nullptr;
    std::array<QLabel *, 16> m_lblChNo{};
    std::array<QLineEdit *, 16> m_txtChData{};
};
