#include "views/frmchangelog.h"

#include "files/savefile.h"
#include "ui/csvsavedialog.h"
#include "ui/messages.h"
#include "ui/namedwidgets.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Change Log");

} // namespace

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

    const QStringList headers = {QStringLiteral("Time"),     QStringLiteral("Port"),
                                 QStringLiteral("Com.Card"), QStringLiteral("Slot"),
                                 QStringLiteral("Model"),    QStringLiteral("Parameter"),
                                 QStringLiteral("Item"),     QStringLiteral("Old"),
                                 QStringLiteral("New"),      QStringLiteral("Result")};
    m_table = new QTableWidget(0, static_cast<int>(headers.size()), this);
    m_table->setObjectName(QStringLiteral("tblChangeLog"));
    m_table->setHorizontalHeaderLabels(headers);
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

void frmChangeLog::reload()
{
    const QString path = m_path();
    const ChangeLogRead read = ReadChangeLog(path);
    m_entries = read.entries;
    QString file = QDir::toNativeSeparators(path);
    // A damaged line is not shown, but the operator must know the record
    // has a gap.
    if (read.skipped > 0)
        file += read.skipped == 1
                    ? QStringLiteral(" (1 line could not be read and is not shown)")
                    : QStringLiteral(" (%1 lines could not be read and are not shown)")
                          .arg(read.skipped);
    m_lblFile->setText(file);
    if (!read.error.isEmpty())
        Messages::show(this, Messages::Icon::Critical, kTitle, read.error);
    cboSlot_Click();
}

QList<ChangeEntry> frmChangeLog::shown() const
{
    // Index 0 is "All", then slots 0..16.
    const int slot = m_cboSlot->currentIndex() - 1;
    QList<ChangeEntry> out;
    for (const ChangeEntry &e : m_entries)
        if (slot < 0 || e.slot == slot)
            out << e;
    return out;
}

void frmChangeLog::cboSlot_Click()
{
    const QList<ChangeEntry> rows = shown();
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const ChangeEntry &e = rows.at(i);
        const QString cells[] = {e.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                 e.port,
                                 e.commCard,
                                 QString::number(e.slot),
                                 e.model,
                                 e.parameter,
                                 e.item,
                                 e.old.value_or(QString()),
                                 e.value,
                                 ChangeResultText(e.result)};
        for (int c = 0; c < static_cast<int>(std::size(cells)); ++c)
            m_table->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    m_table->resizeColumnsToContents();
    m_table->scrollToBottom();
}

void frmChangeLog::cmdSaveAs_Click()
{
    const QString path =
        CsvSaveDialog::choose(this, QStringLiteral("Save As"), QStringLiteral("change-log.csv"));
    if (path.isEmpty())
        return;
    const QString error = SaveWholeFile(path, ChangeLogCsv(shown()).toUtf8());
    if (!error.isEmpty())
        Messages::show(this, Messages::Icon::Critical, kTitle, error);
}
