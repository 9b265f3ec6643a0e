#include "monitor/frmoverview.h"

#include "model/slotfields.h"

#include "model/cardrecord.h"
#include "model/catalogue.h"
#include "ui/namedwidgets.h"
#include "ui/vbcolor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// Column headers over the rows; the value column has two headings.
const char *const kHeaders[] = {"No.", "Type", "In/Out", "Ver No.", "Input Type"};
constexpr int kValueWidth = 70;

} // namespace

frmOverView::frmOverView(const CardTable &cards, QWidget *parent) : QWidget(parent), m_cards(cards)
{
    setObjectName(QStringLiteral("frmOverView"));
    setWindowTitle(QStringLiteral("Over View"));

    auto *frame = new QGroupBox(QStringLiteral("Over View"), this);
    frame->setObjectName(QStringLiteral("fraOverView"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addWidget(frame);

    auto *grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    auto *title = makeLabel(frame, QStringLiteral("lblTitle"), QStringLiteral("I/O Cards"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    grid->addWidget(title, 0, 0, 1, 5);

    int col = 0;
    for (const char *h : kHeaders) {
        grid->addWidget(
            makeLabel(frame, QStringLiteral("lblHeader_%1").arg(col), QString::fromLatin1(h)), 1,
            col);
        ++col;
    }
    // "Value" heads both value columns; "Ch. 1" and "Ch. 2" sit over their labels.
    grid->addWidget(makeLabel(frame, QStringLiteral("lblHeaderValue"), QStringLiteral("Value")), 0,
                    col);
    auto *valueHeader = new QWidget(frame);
    auto *vh = new QHBoxLayout(valueHeader);
    vh->setContentsMargins(0, 0, 0, 0);
    vh->setSpacing(2);
    for (const char *ch : {"Ch. 1", "Ch. 2"}) {
        QLabel *l = makeLabel(valueHeader, QStringLiteral("lblHeaderCh%1").arg(ch[4]),
                              QString::fromLatin1(ch));
        l->setFixedWidth(kValueWidth);
        l->setAlignment(Qt::AlignCenter);
        vh->addWidget(l);
    }
    vh->addStretch();
    grid->addWidget(valueHeader, 1, col);

    buildRows(grid);
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(18, 1);
}

void frmOverView::buildRows(QGridLayout *grid)
{
    QWidget *frame = grid->parentWidget();
    for (int i = 1; i <= kCardCount; ++i) {
        Row &r = m_rows.at(idx(i));
        const int gridRow = i + 1;
        const QString n = QString::number(i);
        r.unitNo = makeLabel(frame, QStringLiteral("UnitNo_") + n,
                             QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')));
        r.cardType = makeLabel(frame, QStringLiteral("lblCardType_") + n);
        r.cardStatus = makeLabel(frame, QStringLiteral("lblCardStatus_") + n);
        r.verNo = makeLabel(frame, QStringLiteral("lblCardVerNo_") + n);
        r.inputType = makeLabel(frame, QStringLiteral("lblInputType_") + n);
        r.cardType->setMinimumWidth(90);
        r.inputType->setMinimumWidth(95);
        grid->addWidget(r.unitNo, gridRow, 0);
        grid->addWidget(r.cardType, gridRow, 1);
        grid->addWidget(r.cardStatus, gridRow, 2);
        grid->addWidget(r.verNo, gridRow, 3);
        grid->addWidget(r.inputType, gridRow, 4);

        // Both value displays share one cell; ShowChData picks which shows.
        auto *values = new QWidget(frame);
        r.values = values;
        auto *h = new QHBoxLayout(values);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(2);
        r.data1 = makeLabel(values, QStringLiteral("lblInputDataCh1_") + n);
        r.data2 = makeLabel(values, QStringLiteral("lblInputDataCh2_") + n);
        for (QLabel *l : {r.data1, r.data2}) {
            l->setFixedWidth(kValueWidth);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            VbColor::setBackColor(l, VbColor::WindowBackground);
            l->setFrameShape(QFrame::Panel);
            l->setFrameShadow(QFrame::Sunken);
            h->addWidget(l);
        }
        for (int ch = 1; ch <= 16; ++ch) {
            QLabel *cell = makeLabel(values, QStringLiteral("lblDIDataCh%1_%2").arg(ch).arg(i));
            cell->setFixedSize(11, 13);
            cell->setFrameShape(QFrame::Box);
            cell->setToolTip(QStringLiteral("Ch. %1").arg(ch));
            VbColor::setBackColor(cell, VbColor::MenuBackground);
            cell->hide();
            r.di.at(static_cast<std::size_t>(ch - 1)) = cell;
            h->addWidget(cell);
        }
        h->addStretch();
        grid->addWidget(values, gridRow, 5);
    }
}

QLabel *frmOverView::lblDIDataCh(int ch, int i) const
{
    return m_rows.at(idx(i)).di.at(static_cast<std::size_t>(ch - 1));
}

void frmOverView::markDifferentSlots(const QSet<int> &differing, const QString &fileName)
{
    for (int i = 1; i <= kCardCount; ++i) {
        QLabel *no = m_rows.at(idx(i)).unitNo;
        const bool differs = differing.contains(i);
        no->setStyleSheet(differs ? QStringLiteral("QLabel { color: red; border: 1px solid red; }")
                                  : QString());
        no->setToolTip(differs ? QStringLiteral("Differs from %1").arg(fileName) : QString());
    }
}

void frmOverView::Form_Activate()
{
    for (int i = 1; i <= kCardCount; ++i) {
        const CardRecord &r = m_cards[i];
        Row &row = m_rows.at(idx(i));
        // As the Upload showed it: an unknown model reads "NONE" here too.
        ShowCardIdentity(i);
        row.inputType->setText(InputTypeName(r));
        ShowChData(i);
    }
}

void frmOverView::ShowChData(int i)
{
    Row &row = m_rows.at(idx(i));
    const bool discrete = m_cards[i].isDiscrete();
    for (QLabel *cell : row.di)
        cell->setVisible(discrete);
    row.data1->setVisible(!discrete);
    row.data2->setVisible(!discrete);
}

void frmOverView::ClearOverviewRow(int i)
{
    Row &row = m_rows.at(idx(i));
    for (QLabel *l : {row.cardStatus, row.cardType, row.verNo, row.inputType, row.data1, row.data2})
        l->clear();
    // A blank row shows no channel cells: they were the discrete card's
    // that the slot held before.
    for (QLabel *cell : row.di) {
        VbColor::setBackColor(cell, VbColor::MenuBackground);
        cell->hide();
    }
    row.data1->show();
    row.data2->show();
    // Nothing left that could pass for current.
    showLive(i);
}

void frmOverView::ShowCardIdentity(int i)
{
    const CardRecord &r = m_cards[i];
    Row &row = m_rows.at(idx(i));
    if (!r.holdsCard()) {
        row.cardType->setText(QStringLiteral("NONE"));
        VbColor::setForeColor(row.cardStatus, VbColor::MenuBackground);
        row.cardStatus->clear();
        row.cardType->setEnabled(false);
        return;
    }
    row.cardType->setText(r.ModelName);
    VbColor::setForeColor(row.cardStatus, StatusColor(r.Status));
    row.cardStatus->setText(StatusName(r.Status));
    row.cardType->setEnabled(true);
}

void frmOverView::ShowCardDetails(int i)
{
    const CardRecord &r = m_cards[i];
    Row &row = m_rows.at(idx(i));
    row.verNo->setText(QLatin1Char('V') + r.VerNo);
    if (r.hasSensor())
        row.inputType->setText(InputTypeName(r));
    ShowChData(i);
    showLive(i);
}

void frmOverView::ShowDiscreteBits(int i, int channels, const QString &bits)
{
    Row &row = m_rows.at(idx(i));
    // After an error the cells come back in place of its text.
    ShowChData(i);
    for (int ch = 1; ch <= 16; ++ch) {
        quint32 colour = VbColor::MenuBackground;
        if (bits.size() == 16 && ch <= channels)
            colour = bits.at(16 - ch) == QLatin1Char('1') ? VbColor::Red : VbColor::Green;
        QLabel *cell = row.di.at(static_cast<std::size_t>(ch - 1));
        VbColor::setBackColor(cell, colour);
        // A disabled cell keeps its colour; faded, it reads as not live.
        QPalette p = cell->palette();
        const QColor base = p.color(QPalette::Window);
        const QColor grey = palette().color(QPalette::Disabled, QPalette::Window);
        p.setColor(QPalette::Disabled, QPalette::Window,
                   QColor((base.red() + 2 * grey.red()) / 3, (base.green() + 2 * grey.green()) / 3,
                          (base.blue() + 2 * grey.blue()) / 3));
        cell->setPalette(p);
    }
    showLive(i);
}

void frmOverView::showDiscreteError(int i)
{
    Row &row = m_rows.at(idx(i));
    // The row's channel cells would keep the last states read: the text
    // takes their place until the card answers again.
    for (QLabel *cell : row.di)
        cell->hide();
    row.data1->setText(QStringLiteral("ERROR"));
    row.data1->show();
    row.data2->clear();
    row.data2->hide();
    showLive(i);
}

void frmOverView::showInputData(int i, int channel, const QString &text)
{
    (channel == 1 ? lblInputDataCh1(i) : lblInputDataCh2(i))->setText(text);
    showLive(i);
}

void frmOverView::showValuesStale()
{
    for (Row &row : m_rows)
        row.values->setEnabled(false);
}
