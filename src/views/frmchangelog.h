#pragma once

#include "files/changelog.h"

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QTableView;
class QThread;
class ChangeLogModel;

// The change log's lines as a table, newest last, filtered by slot. Reads
// the file each time it is reloaded, so it shows what the file holds; the
// read runs on a thread of its own, so a large log does not hold up the
// program, and only the newest entries are kept.
class frmChangeLog final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmChangeLog)
public:
    // How many of the newest entries are shown; older ones are counted.
    static constexpr qsizetype kNewestShown = 100000;

    // `path` names the log file at the moment it is read.
    explicit frmChangeLog(std::function<QString()> path, QWidget *parent = nullptr);
    ~frmChangeLog() override;

    // Starts reading the file again; loaded() tells when the table shows it.
    // A read still running is dropped.
    void reload();
    bool isLoading() const { return m_loader != nullptr; }
    void cboSlot_Click();
    // Saves every entry of the file of the slot chosen as CSV, the older
    // ones that are not shown as well.
    void cmdSaveAs_Click();

    // For tests: shows fewer than kNewestShown from the next reload on.
    void setNewestShown(qsizetype count) { m_newest = count; }

signals:
    void loaded();

private:
    void stopLoading();
    void showRead(const Result<ChangeLogRead> &result);

    std::function<QString()> m_path;
    QString m_file; // the one shown
    qsizetype m_newest = kNewestShown;
    std::unique_ptr<QThread> m_loader;
    std::shared_ptr<std::atomic_bool> m_stop;
    int m_generation = 0; // tells a dropped read's late result from the current one
    ChangeLogModel *m_model;
    QComboBox *m_cboSlot;
    QTableView *m_table;
    QLabel *m_lblFile;
};
