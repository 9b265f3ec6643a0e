#pragma once

#include <QPersistentModelIndex>
#include <QSortFilterProxyModel>
#include <QWidget>

class QBrush;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
class TrafficLog;
class TrafficModel;

// The traffic rows of one card, with alternate transactions shaded so the
// rows of one read or write read as one.
class TrafficFilter final : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrafficFilter)
public:
    TrafficFilter(TrafficModel *model, const QBrush &shade, QObject *parent = nullptr);

    // "" shows every row; else the rows of that card's transactions ("00", "5").
    void setCardFilter(const QString &card);
    // "" shows every row; else the rows whose command or reply holds the
    // text, whatever its case.
    void setTextFilter(const QString &text);
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    TrafficModel *m_model;
    QVariant m_shade;
    QString m_card;
    QString m_text;
};

// Every exchange the line made, newest last and live. Works as a top-level
// window or inside a QMdiArea.
class frmTraffic final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmTraffic)
public:
    explicit frmTraffic(TrafficLog &log, QWidget *parent = nullptr);

    TrafficModel *model() const { return m_model; }

    void cboCardFilter_Click();
    void txtFilter_Change();
    // Empties the log of what it kept, and so the table.
    void cmdClear_Click();
    // Down: the table stands still while the log goes on recording; up:
    // the table catches up.
    void chkPause_Click();
    // Saves the whole log, whatever the filter shows.
    void cmdSaveAs_Click();

private:
    void beforeFlush();
    void afterFlush();

    TrafficLog &m_log;
    TrafficModel *m_model;
    TrafficFilter *m_filter;
    QTableView *m_table;
    QComboBox *m_cboCardFilter;
    QLineEdit *m_txtFilter;
    QPushButton *m_cmdClear;
    QPushButton *m_chkPause;
    QPushButton *m_cmdSaveAs;
    bool m_follow = true;
    QPersistentModelIndex m_top;
};
