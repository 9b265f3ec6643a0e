#pragma once

#include <QAbstractTableModel>
#include <QTimer>
#include <deque>

class TrafficLog;
struct TrafficEntry;

// The traffic log as table rows, newest last, read straight from the log.
//
// Appends and drops are announced together by flush(), at most every
// kFlushMs, so a busy line costs the views one update per interval. Rows are
// tied to entries by serial number: between flushes a row still shows its
// own entry, or nothing once the log has dropped it.
//
// A transaction runs from one card select ("G") to the next; the Card, Mark
// and group of a row are those of link/trafficanalysis.h.
class TrafficModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrafficModel)
public:
    enum Column
    {
        Time,
        Card,
        Command,
        Reply,
        Ms,
        Mark,
        ColumnCount
    };
    // The row's transaction number (qint64); consecutive transactions differ
    // by one, rows before the first select in the log have 0.
    static constexpr int GroupRole = Qt::UserRole + 1;
    // A quarter second still reads as live, and keeps the repaint of a full
    // table well under one percent of a core.
    static constexpr int kFlushMs = 250;

    explicit TrafficModel(TrafficLog &log, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The card selected by the row's transaction ("00", "5"); "" when that
    // select is no longer (or never was) in the log.
    QString card(int row) const;
    qint64 group(int row) const;
    // Announces what the log gained and lost since the last flush. The timer
    // calls it; tests and benchmarks may call it to skip the wait.
    void flush();
    // While paused the log goes on recording but no row is added; resuming
    // adds what came meanwhile.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }

signals:
    // Around a flush that changes rows, so a view can keep its place.
    void aboutToFlush();
    void flushed();

private:
    struct RowInfo
    {
        qint64 group;
        qint64 select; // serial of the transaction's "G" entry; -1 none
    };
    qint64 frontSerial() const;
    const TrafficEntry *entryAt(qint64 serial) const;
    void adopt(qint64 from, qint64 end);
    QString text(int row, int column) const;

    TrafficLog &m_log;
    QTimer m_timer;
    qint64 m_first = 0; // serial of row 0
    std::deque<RowInfo> m_rows;
    qint64 m_group = 0;
    qint64 m_select = -1;
    bool m_paused = false;
};
