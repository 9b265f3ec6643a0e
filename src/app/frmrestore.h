#pragma once

#include "files/backupstore.h"

#include <QDialog>
#include <QList>
#include <functional>

struct Session;
class QTableWidget;

// One backup as File > Restore... lists it.
struct RestoreRow
{
    BackupFile file;
    // Parameters (settings, not live values) that differ from the table;
    // -1 when the file cannot be read.
    int differences = -1;
};

// The backups of the connected rack (BackupRackName) under the session's
// backup root, newest first, each compared with the table as it stands.
QList<RestoreRow> RestoreRows(const Session &session);

// File > Restore...: the connected rack's backups with their time, kind and
// differences from the table; the one chosen is the path returned.
class frmRestore final : public QDialog
{
    Q_OBJECT
public:
    frmRestore(const QList<RestoreRow> &rows, QWidget *parent);

    // The backup to restore, or "" when none was chosen. Goes through the
    // chooser while one is set (tests), else through this window.
    static QString choose(QWidget *parent, const QList<RestoreRow> &rows);
    using Chooser = std::function<QString(const QList<RestoreRow> &)>;
    static void setChooser(Chooser chooser);

    QString chosen() const;

private:
    QList<RestoreRow> m_rows;
    QTableWidget *m_list;
};
