#include "editors/frmsetmodel.h"

#include "editors/selectedcard.h"
#include "model/cardrecord.h"
#include "model/catalogue.h"
#include "model/scalelimits.h"
#include "ui/namedwidgets.h"
#include "ui/twips.h"
#include "ui/vbcolor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The rows of a channel in the order of its parameter slots.
struct RowText
{
    const char *name;
    const char *caption;
};
constexpr std::array<RowText, 6> kRows{{{"ZScale", "Zero scale"},
                                        {"FScale", "Full scale"},
                                        {"Bias", "Bias [Zero adj.]"},
                                        {"Gain", "Gain [Span adj.]"},
                                        {"ZBase", "Zero base"},
                                        {"FBase", "Full base"}}};
constexpr std::size_t kZBase = 4;
constexpr std::size_t kFBase = 5;

// lblMark indexes of "(", "---" and ")" for each channel and row. The base
// rows' numbers are fixed; the others only need to be distinct.
constexpr int kMarks[2][6][3] = {
    {{0, 16, 1}, {2, 17, 3}, {4, 18, 5}, {6, 19, 7}, {9, 28, 8}, {11, 29, 10}},
    {{20, 30, 21}, {22, 31, 23}, {24, 32, 25}, {26, 33, 27}, {14, 34, 15}, {12, 35, 13}}};
constexpr const char *kMarkText[3] = {"(", "---", ")"};

// Grid columns inside a channel frame.
enum Column
{
    Caption,
    Box,
    Open,
    Low,
    Dash,
    High,
    Close,
    Unit,
    Gap,
    InfoLabel,
    InfoBox
};

constexpr int kParWidth = 80;
constexpr int kInfoWidth = 90;

} // namespace

frmSetModel::frmSetModel(const CardTable &cards, const GlobalState &state, QWidget *parent)
    : QWidget(parent), m_cards(cards), m_state(state)
{
    setObjectName(QStringLiteral("frmSetModel"));
    setWindowTitle(QStringLiteral("Set Model"));
    resize(twips(9650), twips(7400));

    m_fraSetModel = new QGroupBox(this);
    m_fraSetModel->setObjectName(QStringLiteral("fraSetModel"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(m_fraSetModel);

    QWidget *f = m_fraSetModel;
    auto *grid = new QGridLayout(f);
    grid->setVerticalSpacing(4);
    m_txtCardType = makeInfoBox(f, QStringLiteral("txtCardType"), 150);
    m_txtCardNo = makeInfoBox(f, QStringLiteral("txtCardNo"), 40);
    m_txtVerNo = makeInfoBox(f, QStringLiteral("txtVerNo"), kInfoWidth);
    m_label4 = makeLabel(f, QStringLiteral("Label4"), QStringLiteral("Input Type"));
    m_txtInputType = makeInfoBox(f, QStringLiteral("txtInputType"), 150);
    m_chkLimit = new QCheckBox(QStringLiteral("Limit"), f);
    m_chkLimit->setObjectName(QStringLiteral("chkLimit"));

    grid->addWidget(makeLabel(f, QStringLiteral("Label2"), QStringLiteral("Card Type")), 0, 0);
    grid->addWidget(m_txtCardType, 0, 1);
    grid->addWidget(makeLabel(f, QStringLiteral("Label1"), QStringLiteral("Card No.")), 0, 2);
    grid->addWidget(m_txtCardNo, 0, 3);
    grid->addWidget(makeLabel(f, QStringLiteral("Label3"), QStringLiteral("Version No.")), 0, 4);
    grid->addWidget(m_txtVerNo, 0, 5);
    grid->addWidget(m_label4, 1, 0);
    grid->addWidget(m_txtInputType, 1, 1);
    grid->addWidget(m_chkLimit, 1, 2, 1, 2);
    grid->setColumnStretch(6, 1);

    buildChannel(0, grid);
    buildChannel(1, grid);

    m_cmdUp = new QPushButton(QStringLiteral("Upload"), f);
    m_cmdUp->setObjectName(QStringLiteral("cmdUp"));
    m_cmdDown = new QPushButton(QStringLiteral("Download"), f);
    m_cmdDown->setObjectName(QStringLiteral("cmdDown"));
    // Trend only looks at values; it is not part of the command lock.
    m_cmdTrend = new QPushButton(QStringLiteral("Trend"), f);
    m_cmdTrend->setObjectName(QStringLiteral("cmdTrend"));
    connect(m_cmdTrend, &QPushButton::clicked, this, &frmSetModel::trendClicked);
    // The buttons share the second row so both channels fit the window.
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdUp);
    buttons->addWidget(m_cmdDown);
    buttons->addWidget(m_cmdTrend);
    grid->addLayout(buttons, 1, 4, 1, 3);
    grid->setRowStretch(4, 1);

    connect(m_cmdUp, &QPushButton::clicked, this, &frmSetModel::uploadClicked);
    connect(m_cmdDown, &QPushButton::clicked, this, &frmSetModel::downloadClicked);
    // clicked, unlike toggled, comes only from the operator.
    connect(m_chkLimit, &QCheckBox::clicked, this, &frmSetModel::limitClicked);
}

// n is 0 for channel 1 and 1 for channel 2.
void frmSetModel::buildChannel(int n, QGridLayout *grid)
{
    Channel &ch = m_ch.at(static_cast<std::size_t>(n));
    const QString no = QString::number(n + 1);
    const QString suffix = QLatin1Char('0') + no;
    ch.frame = new QGroupBox(QStringLiteral("Ch. ") + no, grid->parentWidget());
    ch.frame->setObjectName(QStringLiteral("fraCh") + no);
    QWidget *f = ch.frame;
    auto *g = new QGridLayout(f);
    g->setVerticalSpacing(2);
    g->setHorizontalSpacing(4);

    // Wide enough for the longest limits, so columns stay put between cards.
    const QFontMetrics fm(f->font());
    const int limitWidth = fm.horizontalAdvance(QStringLiteral("-9999.99")) + 4;
    const int unitWidth = fm.horizontalAdvance(QStringLiteral("deg C")) + 8;

    for (std::size_t r = 0; r < kRows.size(); ++r) {
        const int row = static_cast<int>(r);
        const QString stem = QLatin1String(kRows[r].name) + suffix;
        ch.caption[r] =
            makeLabel(f, QStringLiteral("lbl") + stem, QString::fromLatin1(kRows[r].caption));
        ch.par[r] = new QLineEdit(f);
        ch.par[r]->setObjectName(QStringLiteral("txt") + stem);
        ch.par[r]->setFixedWidth(kParWidth);
        setBoxLocked(ch.par[r], false);
        m_marks.watch(ch.par[r]);
        ch.low[r] = makeLabel(f, QStringLiteral("lbl%1_LLmt").arg(stem), QStringLiteral("-320.00"));
        ch.high[r] = makeLabel(f, QStringLiteral("lbl%1_HLmt").arg(stem), QStringLiteral("320.00"));
        for (QLabel *l : {ch.low[r], ch.high[r]}) {
            l->setMinimumWidth(limitWidth);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        g->addWidget(ch.caption[r], row, Caption);
        g->addWidget(ch.par[r], row, Box);
        g->addWidget(ch.low[r], row, Low);
        g->addWidget(ch.high[r], row, High);
        for (std::size_t k = 0; k < 3; ++k) {
            const int index = kMarks[n][r][k];
            QLabel *mark = makeLabel(f, QStringLiteral("lblMark_%1").arg(index),
                                     QString::fromLatin1(kMarkText[k]));
            m_lblMark.at(static_cast<std::size_t>(index)) = mark;
            g->addWidget(mark, row, Open + 2 * static_cast<int>(k));
        }
        if (r >= kZBase) {
            QLabel *unit = makeLabel(f, QStringLiteral("lbl%1_Unit").arg(stem));
            unit->setMinimumWidth(unitWidth);
            ch.unit[r - kZBase] = unit;
            g->addWidget(unit, row, Unit);
        }
    }

    ch.burnoutLabel = makeLabel(f, QStringLiteral("Label%1").arg(5 + n), QStringLiteral("Burnout"));
    ch.burnout = makeInfoBox(f, QStringLiteral("txtBurnout") + no, kInfoWidth);
    ch.live = makeInfoBox(f, QStringLiteral("txtParData") + suffix, kInfoWidth);
    ch.live->setAlignment(Qt::AlignRight);
    g->addWidget(ch.burnoutLabel, 0, InfoLabel);
    g->addWidget(ch.burnout, 0, InfoBox);
    g->addWidget(makeLabel(f, QStringLiteral("lblParData") + suffix, QStringLiteral("Value")), 2,
                 InfoLabel);
    g->addWidget(ch.live, 2, InfoBox);
    g->setColumnStretch(Gap, 1);

    grid->addWidget(ch.frame, 2 + n, 0, 1, 7);
}

void frmSetModel::FillCardWindow()
{
    const CardRecord *card = selectedCard(m_cards, m_state);
    if (!card)
        return;
    m_txtVerNo->setText(QLatin1Char('V') + card->VerNo);
    // Edits of the card shown before are in its record, not this card's.
    m_marks.clearAll();
    // A one-channel card leaves whatever the channel-2 boxes showed.
    const int lastSlot = card->isTwoChannel() ? 12 : 6;
    for (int k = 1; k <= lastSlot; ++k)
        setParText(k, card->par(k).Value);
    if (!card->hasSensor())
        return;
    m_ch[0].burnout->setText(card->Burnout[0]);
    m_ch[1].burnout->setText(card->Burnout[1]);
    if (card->inputClass() == InputClass::Thermocouple && card->limit() != LimitState::NotAvailable)
        setLimitTicked(card->limit() == LimitState::On);
    else
        m_chkLimit->hide();
}

void frmSetModel::ShowCardWindow()
{
    const CardRecord *card = selectedCard(m_cards, m_state);
    if (!card)
        return;
    const int channels = card->channels();
    if (channels == 1 || channels == 2) {
        m_ch[0].frame->show();
        m_ch[1].frame->setVisible(channels == 2);
    }
    const bool sensor = card->hasSensor();
    using Widgets = std::initializer_list<QWidget *>;
    for (QWidget *w : Widgets{m_label4, m_txtInputType, m_ch[0].burnoutLabel, m_ch[1].burnoutLabel,
                              m_ch[0].burnout, m_ch[1].burnout})
        w->setVisible(sensor);
    // An RTD card keeps the tick box as FillCardWindow left it.
    if (card->inputClass() == InputClass::Thermocouple)
        m_chkLimit->setVisible(card->limit() != LimitState::NotAvailable);
    else if (!sensor)
        m_chkLimit->hide();
    m_fraSetModel->setTitle(card->ModelName);
    m_txtCardType->setText(card->ModelName);
    m_txtCardNo->setText(QString::number(m_state.SelectedCardNo));
}

void frmSetModel::SetScaleMinMax()
{
    const CardRecord *card = selectedCard(m_cards, m_state);
    if (!card)
        return;
    const std::optional<ScaleLimits> l = ScaleLimitsFor(*card);
    if (!l)
        return;
    // Limits of hidden base rows go with them instead of floating alone.
    const bool limitsShown = l->baseLimitsShown && l->baseRowsShown;
    for (std::size_t n = 0; n < m_ch.size(); ++n) {
        Channel &ch = m_ch[n];
        const auto setPair = [&ch](std::size_t r, const LimitPair &pair) {
            ch.low[r]->setText(pair.low);
            ch.high[r]->setText(pair.high);
        };
        if (l->scale)
            for (std::size_t r = 0; r < l->scale->size(); ++r)
                setPair(r, (*l->scale)[r]);
        for (std::size_t r : {kZBase, kFBase}) {
            if (l->base[n])
                setPair(r, *l->base[n]);
            ch.low[r]->setVisible(limitsShown);
            ch.high[r]->setVisible(limitsShown);
            for (int index : kMarks[n][r])
                m_lblMark.at(static_cast<std::size_t>(index))->setVisible(limitsShown);
            QLabel *unit = ch.unit[r - kZBase];
            unit->setText(l->unit);
            for (QWidget *w : std::initializer_list<QWidget *>{ch.caption[r], ch.par[r], unit})
                w->setVisible(l->baseRowsShown);
        }
    }
    if (l->inputType)
        m_txtInputType->setText(*l->inputType);
}

QString frmSetModel::parText(int slot) const
{
    if (slot < 1 || slot > 12)
        return {};
    const auto i = static_cast<std::size_t>(slot - 1);
    return m_ch[i / 6].par[i % 6]->text();
}

void frmSetModel::setParText(int slot, const QString &text)
{
    if (slot < 1 || slot > 12)
        return;
    const auto i = static_cast<std::size_t>(slot - 1);
    QLineEdit *box = m_ch[i / 6].par[i % 6];
    box->setText(text);
    m_marks.clear(box);
}

bool frmSetModel::limitTicked() const
{
    return m_chkLimit->isChecked();
}

void frmSetModel::setLimitTicked(bool ticked)
{
    m_chkLimit->setChecked(ticked);
}

bool frmSetModel::limitShown() const
{
    return !m_chkLimit->isHidden();
}

void frmSetModel::showLive(const QString &ch1, const QString &ch2)
{
    m_ch[0].live->clear();
    m_ch[1].live->clear();
    m_ch[0].live->setText(ch1);
    m_ch[1].live->setText(ch2);
}

void frmSetModel::setTransferButtonsEnabled(bool upload, bool download)
{
    m_cmdUp->setEnabled(upload);
    m_cmdDown->setEnabled(download);
}

void frmSetModel::Locked_txtBase()
{
    for (Channel &ch : m_ch)
        for (QLineEdit *box : ch.par)
            setBoxLocked(box, true);
    m_chkLimit->setEnabled(false);
}

void frmSetModel::Unlocked_txtBase()
{
    for (Channel &ch : m_ch)
        for (std::size_t r = 0; r < kZBase; ++r)
            setBoxLocked(ch.par[r], false);
    // Only sensor and transformer cards let the operator change the base rows.
    const CardRecord *card = selectedCard(m_cards, m_state);
    if (card && (card->hasSensor() || card->kind().editableBase))
        for (Channel &ch : m_ch)
            for (std::size_t r : {kZBase, kFBase})
                setBoxLocked(ch.par[r], false);
    m_chkLimit->setEnabled(true);
}
