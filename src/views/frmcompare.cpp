#include "views/frmcompare.h"

#include "ui/namedwidgets.h"
#include "ui/twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

frmCompare::frmCompare(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmCompare"));
    resize(twips(9000), twips(5000));
    auto *v = new QVBoxLayout(this);
    m_summary = makeLabel(this, QStringLiteral("lblSummary"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstDifferences"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Slot"), QStringLiteral("Parameter"),
                             QStringLiteral("File"), QStringLiteral("Table"),
                             QStringLiteral("Note")});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    v->addWidget(m_summary);
    v->addWidget(m_list, 1);
}

void frmCompare::showDifferences(const QString &fileName, const QList<Difference> &differences)
{
    setWindowTitle(QStringLiteral("Compare with File - %1").arg(fileName));
    m_list->clear();
    int settings = 0;
    for (const Difference &d : differences) {
        auto *row = new QTreeWidgetItem(
            m_list, {QStringLiteral("%1").arg(d.slot, 2, 10, QLatin1Char('0')), d.field,
                     d.fileValue, d.rackValue,
                     d.informational ? QStringLiteral("live value, information only") : QString()});
        if (d.informational)
            for (int c = 0; c < m_list->columnCount(); ++c)
                row->setForeground(c, palette().brush(QPalette::Disabled, QPalette::Text));
        settings += !d.informational;
    }
    m_summary->setText(settings == 0
                           ? QStringLiteral("No differences in settings")
                           : QStringLiteral("%1 setting%2 differ%3 from %4")
                                 .arg(QString::number(settings),
                                      settings == 1 ? QString() : QStringLiteral("s"),
                                      settings == 1 ? QStringLiteral("s") : QString(), fileName));
}
