#include "editors/frmshowmodel.h"

#include "editors/selectedcard.h"
#include "model/cardrecord.h"
#include "model/catalogue.h"
#include "ui/namedwidgets.h"
#include "ui/twips.h"
#include "ui/vbcolor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

namespace {

std::size_t chIdx(int ch)
{
    return static_cast<std::size_t>(ch - 1);
}

constexpr int kRowsPerColumn = 8;

} // namespace

frmShowModel::frmShowModel(const CardTable &cards, const GlobalState &state, QWidget *parent)
    : QWidget(parent), m_cards(cards), m_state(state)
{
    setObjectName(QStringLiteral("frmShowModel"));
    setWindowTitle(QStringLiteral("Show Model"));
    resize(twips(9650), twips(7400));

    m_fraShowModel = new QGroupBox(this);
    m_fraShowModel->setObjectName(QStringLiteral("fraShowModel"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(m_fraShowModel);
    auto *body = new QVBoxLayout(m_fraShowModel);

    auto *idGrid = new QGridLayout;
    idGrid->addWidget(
        makeLabel(m_fraShowModel, QStringLiteral("Label2"), QStringLiteral("Card Type")), 0, 0);
    m_txtCardType = makeLockedBox(m_fraShowModel, QStringLiteral("txtCardType"), 180);
    idGrid->addWidget(m_txtCardType, 0, 1);
    idGrid->addWidget(
        makeLabel(m_fraShowModel, QStringLiteral("Label1"), QStringLiteral("Card No.")), 1, 0);
    m_txtCardNo = makeLockedBox(m_fraShowModel, QStringLiteral("txtCardNo"), 90);
    idGrid->addWidget(m_txtCardNo, 1, 1);
    m_label3 = makeLabel(m_fraShowModel, QStringLiteral("Label3"), QStringLiteral("Version No."));
    idGrid->addWidget(m_label3, 2, 0);
    m_txtVerNo = makeLockedBox(m_fraShowModel, QStringLiteral("txtVerNo"), 90);
    idGrid->addWidget(m_txtVerNo, 2, 1);
    idGrid->setColumnStretch(2, 1);
    body->addLayout(idGrid);

    m_fraDI = new QGroupBox(m_fraShowModel);
    m_fraDI->setObjectName(QStringLiteral("fraDI"));
    auto *grid = new QGridLayout(m_fraDI);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(8);
    m_lblDataTitle = makeLabel(m_fraDI, QStringLiteral("lblDataTitle"));
    QFont bold = m_lblDataTitle->font();
    bold.setBold(true);
    m_lblDataTitle->setFont(bold);
    grid->addWidget(m_lblDataTitle, 0, 0, 1, 4);
    // Two columns of eight rows: 1..8 on the left, 9..16 on the right.
    for (int i = 1; i <= 16; ++i) {
        const int row = 1 + (i - 1) % kRowsPerColumn;
        const int col = 2 * ((i - 1) / kRowsPerColumn);
        QLabel *l = makeLabel(m_fraDI, QStringLiteral("lblChNo_%1").arg(i),
                              QStringLiteral("Ch. %1").arg(i));
        QLineEdit *e = makeLockedBox(m_fraDI, QStringLiteral("txtChData_%1").arg(i), 60);
        e->setAlignment(Qt::AlignCenter);
        grid->addWidget(l, row, col);
        grid->addWidget(e, row, col + 1);
        m_lblChNo.at(chIdx(i)) = l;
        m_txtChData.at(chIdx(i)) = e;
    }
    grid->setColumnMinimumWidth(2, 60);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(kRowsPerColumn + 1, 1);
    body->addWidget(m_fraDI, 1);
}

void frmShowModel::FillCardWindow()
{
    const CardRecord *r = selectedCard(m_cards, m_state);
    if (!r)
        return;
    m_txtVerNo->setText(QLatin1Char('V') + r->VerNo);
    for (int i = 1; i <= std::min(r->channels(), 16); ++i)
        showChannel(i, r->ChData.at(chIdx(i)).toInt() == 1);
}

void frmShowModel::Form_Activate()
{
    const CardRecord *r = selectedCard(m_cards, m_state);
    if (!r)
        return;
    // Four channels at least: a four-channel card's layout.
    const int shown = std::max(r->channels(), 4);
    for (int i = 1; i <= 16; ++i) {
        m_lblChNo.at(chIdx(i))->setVisible(i <= shown);
        m_txtChData.at(chIdx(i))->setVisible(i <= shown);
    }
}

void frmShowModel::ShowCardWindow()
{
    const CardRecord *r = selectedCard(m_cards, m_state);
    if (!r)
        return;
    Form_Activate();
    if (r->isDiscrete()) {
        for (QWidget *w : std::initializer_list<QWidget *>{m_fraDI, m_label3, m_txtVerNo})
            w->setVisible(true);
        m_lblDataTitle->setText(r->inputClass() == InputClass::DiscreteIn
                                    ? QStringLiteral("DI Data")
                                    : QStringLiteral("DO Data"));
    }
    m_fraShowModel->setTitle(r->ModelName);
    m_txtCardType->setText(r->ModelName);
    m_txtCardNo->setText(QString::number(m_state.SelectedCardNo));
}

void frmShowModel::showChannel(int ch, bool on)
{
    if (ch < 1 || ch > 16)
        return;
    QLineEdit *e = m_txtChData.at(chIdx(ch));
    e->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    const quint32 bgr = on ? VbColor::Red : VbColor::Green;
    VbColor::setForeColor(e, bgr);
}

void frmShowModel::showNoAnswer(int fromCh, const QString &text)
{
    for (int ch = std::max(fromCh, 1); ch <= 16; ++ch) {
        QLineEdit *e = m_txtChData.at(chIdx(ch));
        e->setText(text);
        VbColor::setForeColor(e, VbColor::ButtonText);
    }
}

QString frmShowModel::channelText(int ch) const
{
    return ch >= 1 && ch <= 16 ? m_txtChData.at(chIdx(ch))->text() : QString();
}
