#include "app/frmrestore.h"

#include "exchange/download.h"
#include "exchange/session.h"
#include "files/parameterfile.h"
#include "model/comparison.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

frmRestore::Chooser &chooser()
{
    static frmRestore::Chooser c;
    return c;
}

} // namespace

QList<RestoreRow> RestoreRows(const Session &session)
{
    QList<RestoreRow> rows;
    if (session.backupRoot.isEmpty())
        return rows;
    for (const BackupFile &b : ListBackups(session.backupRoot, BackupRackName(session))) {
        RestoreRow row{b};
        if (const Result<CardTable> read = OpenParameterFile(b.path)) {
            row.differences = 0;
            for (const Difference &d : CompareTables(*read, session.cards))
                row.differences += !d.informational;
        }
        rows << row;
    }
    return rows;
}

frmRestore::frmRestore(const QList<RestoreRow> &rows, QWidget *parent)
    : QDialog(parent), m_rows(rows), m_list(new QTableWidget(int(rows.size()), 3, this))
{
    setObjectName(QStringLiteral("frmRestore"));
    setWindowTitle(QStringLiteral("Restore"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(rows.isEmpty() ? QStringLiteral("There is no backup of this rack.")
                                            : QStringLiteral("Backups of this rack, newest first. "
                                                             "The one chosen is opened and "
                                                             "downloaded."),
                             this);
    label->setObjectName(QStringLiteral("lblRestore"));
    label->setWordWrap(true);
    layout->addWidget(label);
    m_list->setObjectName(QStringLiteral("lstBackups"));
    m_list->setHorizontalHeaderLabels({QStringLiteral("Taken"), QStringLiteral("Kind"),
                                       QStringLiteral("Differences from the table")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    for (int i = 0; i < rows.size(); ++i) {
        const RestoreRow &r = rows.at(i);
        const QStringList cells{
            r.file.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            r.file.asFound ? QStringLiteral("as found") : QStringLiteral("backup"),
            r.differences < 0 ? QStringLiteral("unreadable") : QString::number(r.differences)};
        for (int c = 0; c < cells.size(); ++c)
            m_list->setItem(i, c, new QTableWidgetItem(cells.at(c)));
        m_list->item(i, 0)->setToolTip(QFileInfo(r.file.path).fileName());
    }
    m_list->resizeColumnsToContents();
    layout->addWidget(m_list);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *restore =
        buttons->addButton(QStringLiteral("Restore"), QDialogButtonBox::AcceptRole);
    restore->setObjectName(QStringLiteral("cmdRestore"));
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // A file that cannot be read cannot be restored.
    const auto update = [this, restore] {
        const int row = m_list->currentRow();
        restore->setEnabled(row >= 0 && m_rows.at(row).differences >= 0);
    };
    connect(m_list, &QTableWidget::itemSelectionChanged, this, update);
    if (!rows.isEmpty())
        m_list->selectRow(0);
    update();
    resize(480, 300);
}

QString frmRestore::chosen() const
{
    const int row = m_list->currentRow();
    return row >= 0 && m_rows.at(row).differences >= 0 ? m_rows.at(row).file.path : QString();
}

QString frmRestore::choose(QWidget *parent, const QList<RestoreRow> &rows)
{
    if (chooser())
        return chooser()(rows);
    frmRestore dialog(rows, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : QString();
}

void frmRestore::setChooser(Chooser c)
{
    chooser() = std::move(c);
}
