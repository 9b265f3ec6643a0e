#include "ui/slotlistdelegate.h"

void SlotListDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QString model = index.data(ModelRole).toString();
    if (!model.isEmpty())
        option->text += QStringLiteral("  ") + model;
}
