#pragma once

#include "model/comparison.h"

#include <QWidget>

class QLabel;
class QTreeWidget;

// The differences between a parameter file and the card table, one row
// each. Live values that differ are listed too, marked as information only.
class frmCompare final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmCompare)
public:
    explicit frmCompare(QWidget *parent = nullptr);

    // Replaces what the window shows.
    void showDifferences(const QString &fileName, const QList<Difference> &differences);

    QTreeWidget *lstDifferences() const { return m_list; }
    QLabel *lblSummary() const { return m_summary; }

private:
    QTreeWidget *m_list;
    QLabel *m_summary;
};
