#pragma once

#include <QSet>
#include <QWidget>
#include <array>

class CardTable;
class QLabel;

// All 16 slots at once: model, direction, version, sensor type and live
// values (two numbers for analog cards, sixteen coloured cells for discrete).
class frmOverView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmOverView)
public:
    explicit frmOverView(const CardTable &cards, QWidget *parent = nullptr);

    // Refreshes the type and input-type columns and the value display of
    // every row from the card table; runs whenever the window is activated.
    void Form_Activate();
    // Marks the numbers of the slots in `differing` as differing from the
    // parameter file `fileName`; every other slot's mark goes, so an empty
    // set clears them all.
    void markDifferentSlots(const QSet<int> &differing, const QString &fileName = {});
    // Shows row i's channel cells for discrete cards, else its two value
    // labels. `model` is accepted for the callers' sake and not used.
    void ShowChData(int i);
    // Blanks row i.
    void ClearOverviewRow(int i);
    // Row i from its record: model and status, or "NONE" greyed out when
    // the slot holds no card.
    void ShowCardIdentity(int i);
    // Row i's version, input type and value display from a complete record.
    void ShowCardDetails(int i);
    // Live states of a discrete card: `bits` as 16 "0"/"1" characters, most
    // significant first; channel j (1..channels) red when on, green when
    // off. Empty bits paint every cell blank.
    void ShowDiscreteBits(int i, int channels, const QString &bits);
    // A discrete card that did not answer: "ERROR" where its channels show.
    void showDiscreteError(int i);
    // Live value of channel 1 or 2 of card i, as read.
    void showInputData(int i, int channel, const QString &text);
    // After a lost link nothing shown is current: every row's value area
    // greys until the next read of that slot (above, or an upload) repaints it.
    void showValuesStale();

    QLabel *lblCardType(int i) const { return m_rows.at(idx(i)).cardType; }
    QLabel *lblCardStatus(int i) const { return m_rows.at(idx(i)).cardStatus; }
    QLabel *lblCardVerNo(int i) const { return m_rows.at(idx(i)).verNo; }
    QLabel *lblInputType(int i) const { return m_rows.at(idx(i)).inputType; }
    QLabel *lblInputDataCh1(int i) const { return m_rows.at(idx(i)).data1; }
    QLabel *lblInputDataCh2(int i) const { return m_rows.at(idx(i)).data2; }
    // Channel ch (1..16) of card i.
    QLabel *lblDIDataCh(int ch, int i) const;

private:
    struct Row
    {
        QLabel *unitNo = nullptr;
        QLabel *cardType = nullptr;
        QLabel *cardStatus = nullptr;
        QLabel *verNo = nullptr;
        QLabel *inputType = nullptr;
        QLabel *data1 = nullptr;
        QLabel *data2 = nullptr;
        std::array<QLabel *, 16> di{};
        QWidget *values = nullptr; // data1, data2 and di share it
    };
    static std::size_t idx(int i) { return static_cast<std::size_t>(i - 1); }
    void buildRows(class QGridLayout *grid);
    void showLive(int i) { m_rows.at(idx(i)).values->setEnabled(true); }

    const CardTable &m_cards;
    std::array<Row, 16> m_rows;
};
