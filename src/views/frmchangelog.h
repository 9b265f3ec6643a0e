#pragma once

#include "files/changelog.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QTableWidget;

// The change log's lines as a table, newest last, filtered by slot. Reads
// the file each time it is reloaded, so it shows what the file holds.
class frmChangeLog final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmChangeLog)
public:
    // `path` names the log file at the moment it is read.
    explicit frmChangeLog(std::function<QString()> path, QWidget *parent = nullptr);

    void reload();
    void cboSlot_Click();
    // Saves the rows the filter shows.
    void cmdSaveAs_Click();

private:
    QList<ChangeEntry> shown() const;

    std::function<QString()> m_path;
    QList<ChangeEntry> m_entries;
    QComboBox *m_cboSlot;
    QTableWidget *m_table;
    QLabel *m_lblFile;
};
