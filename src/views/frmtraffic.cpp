#include "views/frmtraffic.h"

#include "files/trafficcsv.h"
#include "link/trafficlog.h"
#include "ui/csvsavedialog.h"
#include "ui/messages.h"
#include "views/trafficmodel.h"

#include <QBrush>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// Cells as plain text on their background: the style's full item drawing
// costs twice as much, and a full log repaints the whole table every flush.
class PlainCell final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *p, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QVariant background = index.data(Qt::BackgroundRole);
        if (selected)
            p->fillRect(option.rect, option.palette.highlight());
        else if (background.isValid())
            p->fillRect(option.rect, qvariant_cast<QBrush>(background));
        const QVariant align = index.data(Qt::TextAlignmentRole);
        p->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        p->drawText(option.rect.adjusted(3, 0, -3, 0),
                    align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter),
                    index.data().toString());
    }
};

} // namespace

TrafficFilter::TrafficFilter(TrafficModel *model, const QBrush &shade, QObject *parent)
    : QSortFilterProxyModel(parent), m_model(model), m_shade(shade)
{
    setSourceModel(model);
}

void TrafficFilter::setCardFilter(const QString &card)
{
    if (card == m_card)
        return;
    m_card = card;
    invalidateFilter();
}

QVariant TrafficFilter::data(const QModelIndex &index, int role) const
{
    if (role == Qt::BackgroundRole)
        return QSortFilterProxyModel::data(index, TrafficModel::GroupRole).toLongLong() % 2
                   ? m_shade
                   : QVariant();
    return QSortFilterProxyModel::data(index, role);
}

void TrafficFilter::setTextFilter(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    invalidateFilter();
}

bool TrafficFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (!m_card.isEmpty() && m_model->card(sourceRow) != m_card)
        return false;
    if (m_text.isEmpty())
        return true;
    const auto holds = [&](int column) {
        return m_model->index(sourceRow, column)
            .data()
            .toString()
            .contains(m_text, Qt::CaseInsensitive);
    };
    return holds(TrafficModel::Command) || holds(TrafficModel::Reply);
}

frmTraffic::frmTraffic(TrafficLog &log, QWidget *parent)
    : QWidget(parent, Qt::Window), m_log(log), m_model(new TrafficModel(log, this)),
      m_filter(new TrafficFilter(m_model, palette().alternateBase(), this))
{
    setObjectName(QStringLiteral("frmTraffic"));
    setWindowTitle(QStringLiteral("Traffic"));
    resize(640, 420);

    auto *label = new QLabel(QStringLiteral("Card:"), this);
    label->setObjectName(QStringLiteral("lblCardFilter"));
    m_cboCardFilter = new QComboBox(this);
    m_cboCardFilter->setObjectName(QStringLiteral("cboCardFilter"));
    m_cboCardFilter->addItems({QStringLiteral("All"), QStringLiteral("00")});
    for (int card = 1; card <= 16; ++card)
        m_cboCardFilter->addItem(QString::number(card));
    m_txtFilter = new QLineEdit(this);
    m_txtFilter->setObjectName(QStringLiteral("txtFilter"));
    m_txtFilter->setPlaceholderText(QStringLiteral("Filter"));
    m_txtFilter->setClearButtonEnabled(true);
    m_cmdClear = new QPushButton(QStringLiteral("Clear"), this);
    m_cmdClear->setObjectName(QStringLiteral("cmdClear"));
    m_chkPause = new QPushButton(QStringLiteral("Pause"), this);
    m_chkPause->setObjectName(QStringLiteral("chkPause"));
    m_chkPause->setCheckable(true);
    m_cmdSaveAs = new QPushButton(QStringLiteral("Save As..."), this);
    m_cmdSaveAs->setObjectName(QStringLiteral("cmdSaveAs"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblTraffic"));
    m_table->setModel(m_filter);
    m_table->setItemDelegate(new PlainCell(m_table));
    m_table->setWordWrap(false);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Fixed, equal rows: the view never measures a row's contents, so
    // 100,000 rows cost no more to lay out than a screenful.
    QHeaderView *rows = m_table->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    rows->hide();
    QHeaderView *columns = m_table->horizontalHeader();
    const auto width = [this](const char *sample) {
        return fontMetrics().horizontalAdvance(QLatin1String(sample)) + 16;
    };
    m_table->setColumnWidth(TrafficModel::Time, width("00:00:00.000"));
    m_table->setColumnWidth(TrafficModel::Card, width("Card"));
    m_table->setColumnWidth(TrafficModel::Command, width("D-12345.678"));
    m_table->setColumnWidth(TrafficModel::Reply, width("0XXXXXXXXXXXXXXXXXXX"));
    m_table->setColumnWidth(TrafficModel::Ms, width("00000"));
    columns->setStretchLastSection(true);

    auto *top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(m_cboCardFilter);
    top->addWidget(m_txtFilter, 1);
    top->addWidget(m_cmdClear);
    top->addWidget(m_chkPause);
    top->addWidget(m_cmdSaveAs);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    outer->addLayout(top);
    outer->addWidget(m_table, 1);

    connect(m_model, &TrafficModel::aboutToFlush, this, &frmTraffic::beforeFlush);
    connect(m_model, &TrafficModel::flushed, this, &frmTraffic::afterFlush);
    connect(m_cboCardFilter, &QComboBox::currentIndexChanged, this,
            &frmTraffic::cboCardFilter_Click);
    connect(m_txtFilter, &QLineEdit::textChanged, this, &frmTraffic::txtFilter_Change);
    connect(m_cmdClear, &QPushButton::clicked, this, &frmTraffic::cmdClear_Click);
    connect(m_chkPause, &QPushButton::toggled, this, &frmTraffic::chkPause_Click);
    connect(m_cmdSaveAs, &QPushButton::clicked, this, &frmTraffic::cmdSaveAs_Click);
    m_table->scrollToBottom();
}

void frmTraffic::beforeFlush()
{
    const QScrollBar *bar = m_table->verticalScrollBar();
    m_follow = bar->value() >= bar->maximum();
    // Rows dropped at the front would slide the rows the operator is reading
    // upwards; the top row is the anchor to put back.
    m_top = m_follow ? QPersistentModelIndex() : QPersistentModelIndex(m_table->indexAt({0, 0}));
}

void frmTraffic::afterFlush()
{
    if (m_follow) {
        m_table->scrollToBottom();
    } else if (m_top.isValid()) {
        QScrollBar *across = m_table->horizontalScrollBar();
        const int x = across->value();
        m_table->scrollTo(m_top, QAbstractItemView::PositionAtTop);
        across->setValue(x);
    }
    m_top = QPersistentModelIndex();
}

void frmTraffic::cboCardFilter_Click()
{
    const int i = m_cboCardFilter->currentIndex();
    m_filter->setCardFilter(i > 0 ? m_cboCardFilter->itemText(i) : QString());
    m_table->scrollToBottom();
}

void frmTraffic::txtFilter_Change()
{
    m_filter->setTextFilter(m_txtFilter->text());
    m_table->scrollToBottom();
}

void frmTraffic::cmdClear_Click()
{
    m_log.clear();
    m_model->flush();
}

void frmTraffic::chkPause_Click()
{
    m_model->setPaused(m_chkPause->isChecked());
}

void frmTraffic::cmdSaveAs_Click()
{
    const QString path =
        CsvSaveDialog::choose(this, QStringLiteral("Save As"), QStringLiteral("traffic.csv"));
    if (path.isEmpty())
        return;
    if (const Status saved = SaveTrafficCsv(m_log, path); !saved)
        Messages::show(this, Messages::Icon::Critical, QStringLiteral("Traffic"), saved.reason());
}
