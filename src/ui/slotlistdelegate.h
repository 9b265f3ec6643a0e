#pragma once

#include <QStyledItemDelegate>

// The card selector's open list: each slot's number with the model it
// holds beside it ("05  XA1-00"), while the closed box still reads "05".
class SlotListDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // The model shown beside an entry's number.
    static constexpr int ModelRole = Qt::UserRole + 1;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
