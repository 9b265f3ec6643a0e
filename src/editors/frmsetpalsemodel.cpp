#include "editors/frmsetpalsemodel.h"

#include "editors/selectedcard.h"
#include "model/cardrecord.h"
#include "model/catalogue.h"
#include "ui/namedwidgets.h"
#include "ui/twips.h"
#include "ui/vbcolor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool validChannel(int ch)
{
    return ch == 1 || ch == 2;
}

std::size_t chIdx(int ch)
{
    return static_cast<std::size_t>(ch - 1);
}

// Marks "(", "---", ")" around each channel's span limits, by index.
constexpr int kMarks[2][3] = {{2, 25, 3}, {21, 31, 20}};
constexpr int kBoxWidth = 90;

} // namespace

frmSetPalseModel::frmSetPalseModel(const CardTable &cards, const GlobalState &state,
                                   QWidget *parent)
    : QWidget(parent), m_cards(cards), m_state(state)
{
    setObjectName(QStringLiteral("frmSetPalseModel"));
    setWindowTitle(QStringLiteral("Set Pulse Model"));
    resize(twips(9650), twips(7400));

    m_fraSetPalseModel = new QGroupBox(this);
    m_fraSetPalseModel->setObjectName(QStringLiteral("fraSetPalseModel"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(m_fraSetPalseModel);
    auto *body = new QVBoxLayout(m_fraSetPalseModel);

    // Card identity: label names and captions, box names.
    const char *const ids[3][3] = {{"Label2", "Card Type", "txtCardType"},
                                   {"Label1", "Card No.", "txtCardNo"},
                                   {"Label3", "Version No.", "txtVerNo"}};
    auto *idGrid = new QGridLayout;
    std::array<QLineEdit *, 3> idBoxes{};
    for (int i = 0; i < 3; ++i) {
        idGrid->addWidget(makeLabel(m_fraSetPalseModel, QString::fromLatin1(ids[i][0]),
                                    QString::fromLatin1(ids[i][1])),
                          i, 0);
        QLineEdit *box = makeLockedBox(m_fraSetPalseModel, QString::fromLatin1(ids[i][2]),
                                       i == 0 ? 2 * kBoxWidth : kBoxWidth);
        idGrid->addWidget(box, i, 1);
        idBoxes.at(static_cast<std::size_t>(i)) = box;
    }
    idGrid->setColumnStretch(2, 1);
    body->addLayout(idGrid);
    m_txtCardType = idBoxes[0];
    m_txtCardNo = idBoxes[1];
    m_txtVerNo = idBoxes[2];

    for (int ch = 1; ch <= 2; ++ch) {
        const QString nn = QStringLiteral("0%1").arg(ch);
        auto *fra = new QGroupBox(QStringLiteral("Ch. %1").arg(ch), m_fraSetPalseModel);
        fra->setObjectName(QStringLiteral("fraCh%1").arg(ch));
        auto *g = new QGridLayout(fra);
        g->addWidget(makeLabel(fra, QStringLiteral("lblIOCount") + nn, QStringLiteral("Count")), 0,
                     0);
        m_count.at(chIdx(ch)) = makeBox(fra, QStringLiteral("txtIOCount") + nn, kBoxWidth);
        g->addWidget(m_count.at(chIdx(ch)), 0, 1);
        g->addWidget(makeLabel(fra, QStringLiteral("lblSpan") + nn, QStringLiteral("Span")), 1, 0);
        m_span.at(chIdx(ch)) = makeBox(fra, QStringLiteral("txtSpan") + nn, kBoxWidth);
        m_marks.watch(m_span.at(chIdx(ch)));
        g->addWidget(m_span.at(chIdx(ch)), 1, 1);

        // ( low --- high ) beside the span box.
        const int *marks = kMarks[ch - 1];
        auto *range = new QHBoxLayout;
        range->setSpacing(4);
        range->addWidget(
            makeLabel(fra, QStringLiteral("lblMark_%1").arg(marks[0]), QStringLiteral("(")));
        m_low.at(chIdx(ch)) =
            makeLabel(fra, QStringLiteral("lblSpan%1_LLmt").arg(nn), QStringLiteral("100"));
        range->addWidget(m_low.at(chIdx(ch)));
        range->addWidget(
            makeLabel(fra, QStringLiteral("lblMark_%1").arg(marks[1]), QStringLiteral("---")));
        m_high.at(chIdx(ch)) =
            makeLabel(fra, QStringLiteral("lblSpan%1_HLmt").arg(nn), QStringLiteral("60000"));
        range->addWidget(m_high.at(chIdx(ch)));
        range->addWidget(
            makeLabel(fra, QStringLiteral("lblMark_%1").arg(marks[2]), QStringLiteral(")")));
        g->addLayout(range, 1, 2);
        g->setColumnStretch(3, 1);
        body->addWidget(fra);
    }

    m_cmdUp = new QPushButton(QStringLiteral("Upload"), m_fraSetPalseModel);
    m_cmdUp->setObjectName(QStringLiteral("cmdUp"));
    m_cmdDown = new QPushButton(QStringLiteral("Download"), m_fraSetPalseModel);
    m_cmdDown->setObjectName(QStringLiteral("cmdDown"));
    // Trend only looks at values; it is not part of the command lock.
    m_cmdTrend = new QPushButton(QStringLiteral("Trend"), m_fraSetPalseModel);
    m_cmdTrend->setObjectName(QStringLiteral("cmdTrend"));
    connect(m_cmdTrend, &QPushButton::clicked, this, &frmSetPalseModel::trendClicked);
    connect(m_cmdUp, &QPushButton::clicked, this, &frmSetPalseModel::uploadClicked);
    connect(m_cmdDown, &QPushButton::clicked, this, &frmSetPalseModel::downloadClicked);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdUp);
    buttons->addWidget(m_cmdDown);
    buttons->addWidget(m_cmdTrend);
    body->addStretch();
    body->addLayout(buttons);
}

void frmSetPalseModel::FillCardWindow()
{
    const CardRecord *r = selectedCard(m_cards, m_state);
    if (!r)
        return;
    m_txtVerNo->setText(QLatin1Char('V') + r->VerNo);
    // Channel 2's slots start six after channel 1's.
    for (int ch = 1; ch <= 2; ++ch) {
        setCountText(ch, r->par(1 + 6 * (ch - 1)).Value);
        setSpanText(ch, r->par(2 + 6 * (ch - 1)).Value);
    }
}

void frmSetPalseModel::ShowCardWindow()
{
    const CardRecord *r = selectedCard(m_cards, m_state);
    if (!r)
        return;
    m_fraSetPalseModel->setTitle(r->ModelName);
    m_txtCardType->setText(r->ModelName);
    m_txtCardNo->setText(QString::number(m_state.SelectedCardNo));
}

void frmSetPalseModel::SetScaleMinMax()
{
    const CardRecord *r = selectedCard(m_cards, m_state);
    if (!r || !r->isPulse())
        return;
    for (std::size_t i = 0; i < 2; ++i) {
        m_low.at(i)->setText(QString::number(SpanLLmt));
        m_high.at(i)->setText(QString::number(SpanHLmt));
        // Counts come from the card only; nothing unlocks them again.
        setBoxLocked(m_count.at(i), true);
    }
}

QString frmSetPalseModel::countText(int ch) const
{
    return validChannel(ch) ? m_count.at(chIdx(ch))->text() : QString();
}

void frmSetPalseModel::setCountText(int ch, const QString &text)
{
    if (validChannel(ch))
        m_count.at(chIdx(ch))->setText(text);
}

QString frmSetPalseModel::spanText(int ch) const
{
    return validChannel(ch) ? m_span.at(chIdx(ch))->text() : QString();
}

void frmSetPalseModel::setSpanText(int ch, const QString &text)
{
    if (!validChannel(ch))
        return;
    m_span.at(chIdx(ch))->setText(text);
    m_marks.clear(m_span.at(chIdx(ch)));
}

void frmSetPalseModel::spanWritten(int ch)
{
    if (validChannel(ch))
        m_marks.clear(m_span.at(chIdx(ch)));
}

void frmSetPalseModel::showLive(const QString &ch1, const QString &ch2)
{
    for (QLineEdit *box : m_count)
        box->clear();
    setCountText(1, ch1);
    setCountText(2, ch2);
}

void frmSetPalseModel::setTransferButtonsEnabled(bool upload, bool download)
{
    m_cmdUp->setEnabled(upload);
    m_cmdDown->setEnabled(download);
}

void frmSetPalseModel::Locked_txtBase()
{
    for (QLineEdit *box : m_span)
        setBoxLocked(box, true);
}

void frmSetPalseModel::Unlocked_txtBase()
{
    for (QLineEdit *box : m_span)
        setBoxLocked(box, false);
}
