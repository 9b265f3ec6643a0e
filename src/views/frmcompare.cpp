#include "views/frmcompare.h"

#include "model/parametercaptions.h"
#include "ui/namedwidgets.h"
#include "ui/twips.h"

#include <QHeaderView>
#include <QLabel>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The field as the file names it, with the editor's caption beside it where
// the card's editor shows that parameter.
QString caption(const Difference &d, const CardTable &table)
{
    static const QRegularExpression parameter(QStringLiteral("^parameter (\\d+)$"));
    const QRegularExpressionMatch m = parameter.match(d.field);
    if (!m.hasMatch())
        return d.field;
    const QString editor = ParameterCaption(table[d.slot], m.captured(1).toInt());
    return editor.isEmpty() ? d.field : QStringLiteral("%1 (%2)").arg(d.field, editor);
}

} // namespace

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

void frmCompare::showDifferences(const QString &fileName, const QList<Difference> &differences,
                                 const CardTable &table)
{
    setWindowTitle(QStringLiteral("Compare with File - %1").arg(fileName));
    m_list->clear();
    int settings = 0;
    for (const Difference &d : differences) {
        auto *row = new QTreeWidgetItem(
            m_list, {QStringLiteral("%1").arg(d.slot, 2, 10, QLatin1Char('0')), caption(d, table),
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
