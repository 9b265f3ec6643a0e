#include "views/trafficmodel.h"

#include "link/trafficanalysis.h"
#include "link/trafficlog.h"

#include <algorithm>

TrafficModel::TrafficModel(TrafficLog &log, QObject *parent)
    : QAbstractTableModel(parent), m_log(log)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kFlushMs);
    connect(&m_timer, &QTimer::timeout, this, &TrafficModel::flush);
    // One check per append; the work waits for the flush.
    connect(&m_log, &TrafficLog::appended, this, [this] {
        if (!m_timer.isActive())
            m_timer.start();
    });
    m_first = frontSerial();
    adopt(m_first, m_log.appendedCount());
}

qint64 TrafficModel::frontSerial() const
{
    return m_log.appendedCount() - static_cast<qint64>(m_log.entries().size());
}

const TrafficEntry *TrafficModel::entryAt(qint64 serial) const
{
    const qint64 i = serial - frontSerial();
    if (serial < 0 || i < 0 || i >= static_cast<qint64>(m_log.entries().size()))
        return nullptr;
    return &m_log.entries()[static_cast<std::size_t>(i)];
}

void TrafficModel::adopt(qint64 from, qint64 end)
{
    for (qint64 serial = from; serial < end; ++serial) {
        if (IsCardSelect(*entryAt(serial))) {
            ++m_group;
            m_select = serial;
        }
        m_rows.push_back({m_group, m_select});
    }
}

void TrafficModel::flush()
{
    m_timer.stop();
    const qint64 end = m_log.appendedCount();
    const qint64 front = frontSerial();
    const auto shownCount = static_cast<qint64>(m_rows.size());
    const qint64 gone = std::clamp(front - m_first, qint64(0), shownCount);
    // Paused, rows only go with their entries; new ones wait.
    const qint64 added = m_paused ? 0 : end - std::max(m_first + shownCount, front);
    if (gone == 0 && added <= 0)
        return;

    emit aboutToFlush();
    if (gone > 0) {
        beginRemoveRows({}, 0, static_cast<int>(gone - 1));
        m_rows.erase(m_rows.begin(), m_rows.begin() + gone);
        m_first += gone;
        endRemoveRows();
    }
    // Entries dropped before they were ever shown break the chain of
    // transactions: what follows starts a group of its own.
    if (!m_paused && m_first + static_cast<qint64>(m_rows.size()) < front) {
        m_first = front;
        m_select = -1;
        ++m_group;
    }
    if (added > 0) {
        const int old = rowCount();
        beginInsertRows({}, old, old + static_cast<int>(added) - 1);
        adopt(end - added, end);
        endInsertRows();
        // A select's mark depends on the command after it, which may just
        // have come.
        if (old > 0)
            emit dataChanged(index(old - 1, Mark), index(old - 1, Mark));
    }
    emit flushed();
}

void TrafficModel::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused)
        flush();
}

int TrafficModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TrafficModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString TrafficModel::card(int row) const
{
    const TrafficEntry *select = entryAt(m_rows[static_cast<std::size_t>(row)].select);
    return select ? TrafficCardText(*select) : QString();
}

qint64 TrafficModel::group(int row) const
{
    return m_rows[static_cast<std::size_t>(row)].group;
}

QString TrafficModel::text(int row, int column) const
{
    const TrafficEntry *e = entryAt(m_first + row);
    if (!e)
        return {};
    switch (column) {
    case Time:
        return TrafficTimeText(m_log, *e);
    case Card:
        return card(row);
    case Command:
        return TrafficBytesText(e->command);
    case Reply:
        return TrafficBytesText(e->reply);
    case Ms:
        return QString::number(e->elapsedMs);
    case Mark:
        return TrafficMarkText(*e);
    default:
        return {};
    }
}

QVariant TrafficModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case GroupRole:
        return group(index.row());
    case Qt::ToolTipRole:
        if (index.column() == Time)
            if (const TrafficEntry *e = entryAt(m_first + index.row()))
                return TrafficDateTimeText(m_log, *e);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == Ms)
            return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const names[] = {"Time", "Card", "Command", "Reply", "ms", "Mark"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}
