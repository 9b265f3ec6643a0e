#include "views/frmchangelog.h"

#include "ui/csvsavedialog.h"
#include "ui/messages.h"
#include "ui/namedwidgets.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Change Log");

} // namespace

// The entries of one slot, or all: cells are made as the view asks for
// them, so a long log costs no item per cell.
class ChangeLogModel final : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void set(QList<ChangeEntry> entries, int slot)
    {
        beginResetModel();
        m_entries = std::move(entries);
        m_rows.clear();
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            if (slot < 0 || m_entries[i].slot == slot)
                m_rows << i;
        endResetModel();
    }
    void setSlot(int slot) { set(std::move(m_entries), slot); }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(std::size(kHeaders));
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const ChangeEntry &e = m_entries.at(m_rows.at(index.row()));
        switch (index.column()) {
        case 0:
            return e.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        case 1:
            return e.port;
        case 2:
            return e.commCard;
        case 3:
            return QString::number(e.slot);
        case 4:
            return e.model;
        case 5:
            return e.parameter;
        case 6:
            return e.item;
        case 7:
            return e.old.value_or(QString());
        case 8:
            return e.value;
        default:
            return ChangeResultText(e.result);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return QLatin1String(kHeaders[section]);
    }

private:
    static constexpr const char *kHeaders[] = {"Time",      "Port", "Com.Card", "Slot", "Model",
                                               "Parameter", "Item", "Old",      "New",  "Result"};
    QList<ChangeEntry> m_entries;
    QList<qsizetype> m_rows; // of m_entries, those the slot box lets through
};

frmChangeLog::frmChangeLog(std::function<QString()> path, QWidget *parent)
    : QWidget(parent, Qt::Window), m_path(std::move(path))
{
    setObjectName(QStringLiteral("frmChangeLog"));
    setWindowTitle(kTitle);
    resize(900, 400);

    m_cboSlot = new QComboBox(this);
    m_cboSlot->setObjectName(QStringLiteral("cboSlot"));
    m_cboSlot->addItem(QStringLiteral("All"));
    for (int n = 0; n <= 16; ++n)
        m_cboSlot->addItem(QString::number(n));
    QPushButton *save =
        makeButton(this, QStringLiteral("cmdSaveAs"), QStringLiteral("Save as CSV..."));
    QPushButton *cmdReload =
        makeButton(this, QStringLiteral("cmdReload"), QStringLiteral("Reload"));
    m_lblFile = makeLabel(this, QStringLiteral("lblFile"));
    m_lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_model = new ChangeLogModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblChangeLog"));
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    auto *bar = new QHBoxLayout;
    bar->addWidget(makeLabel(this, QStringLiteral("lblSlot"), QStringLiteral("Slot")));
    bar->addWidget(m_cboSlot);
    bar->addWidget(cmdReload);
    bar->addStretch();
    bar->addWidget(save);
    auto *v = new QVBoxLayout(this);
    v->addLayout(bar);
    v->addWidget(m_table, 1);
    v->addWidget(m_lblFile);

    connect(m_cboSlot, &QComboBox::currentIndexChanged, this, &frmChangeLog::cboSlot_Click);
    connect(save, &QPushButton::clicked, this, &frmChangeLog::cmdSaveAs_Click);
    connect(cmdReload, &QPushButton::clicked, this, &frmChangeLog::reload);
    reload();
}

frmChangeLog::~frmChangeLog()
{
    stopLoading();
}

void frmChangeLog::stopLoading()
{
    if (!m_loader)
        return;
    // The reader looks at the flag between lines, so this wait is short.
    m_stop->store(true);
    m_loader->wait();
    m_loader.reset();
}

void frmChangeLog::reload()
{
    stopLoading();
    m_file = m_path();
    m_model->set({}, -1);
    m_lblFile->setText(QStringLiteral("Loading %1...").arg(QDir::toNativeSeparators(m_file)));
    const int generation = ++m_generation;
    auto stop = std::make_shared<std::atomic_bool>(false);
    auto read = std::make_shared<Result<ChangeLogRead>>(ChangeLogRead{});
    m_stop = stop;
    m_loader.reset(QThread::create([path = m_file, newest = m_newest, stop, read] {
        *read = ReadChangeLog(path, newest, stop.get());
    }));
    // Queued: the result is taken on the window's thread, and never after
    // the window is gone.
    connect(m_loader.get(), &QThread::finished, this, [this, generation, read] {
        if (generation != m_generation || !m_loader)
            return;
        m_loader->wait();
        m_loader.reset();
        showRead(*read);
    });
    m_loader->start();
}

void frmChangeLog::showRead(const Result<ChangeLogRead> &result)
{
    QString file = QDir::toNativeSeparators(m_file);
    if (!result) {
        m_lblFile->setText(file);
        m_model->set({}, m_cboSlot->currentIndex() - 1);
        Messages::show(this, Messages::Icon::Critical, kTitle, result.reason());
        emit loaded();
        return;
    }
    const ChangeLogRead &read = *result;
    // Neither the older entries nor a damaged line are shown, but the
    // operator must know that the table is not the whole record.
    if (read.older > 0)
        file += read.older == 1
                    ? QStringLiteral(" (1 older entry is not shown; Save as CSV includes it)")
                    : QStringLiteral(" (%1 older entries are not shown; Save as CSV includes them)")
                          .arg(QLocale().toString(read.older));
    if (read.skipped > 0)
        file += read.skipped == 1
                    ? QStringLiteral(" (1 line could not be read and is not shown)")
                    : QStringLiteral(" (%1 lines could not be read and are not shown)")
                          .arg(read.skipped);
    m_lblFile->setText(file);
    m_model->set(read.entries, m_cboSlot->currentIndex() - 1);
    m_table->resizeColumnsToContents();
    m_table->scrollToBottom();
    emit loaded();
}

void frmChangeLog::cboSlot_Click()
{
    // Index 0 is "All", then slots 0..16.
    m_model->setSlot(m_cboSlot->currentIndex() - 1);
    m_table->scrollToBottom();
}

void frmChangeLog::cmdSaveAs_Click()
{
    const QString path =
        CsvSaveDialog::choose(this, QStringLiteral("Save As"), QStringLiteral("change-log.csv"));
    if (path.isEmpty())
        return;
    // Every entry of the file is read again, which takes seconds for a log
    // of many megabytes.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const Status saved = SaveChangeLogCsv(m_file, path, m_cboSlot->currentIndex() - 1);
    QGuiApplication::restoreOverrideCursor();
    if (!saved)
        Messages::show(this, Messages::Icon::Critical, kTitle, saved.reason());
}
