#pragma once

#include "link/result.h"
#include "model/cardrecord.h"

#include <QDateTime>
#include <QList>
#include <QString>

// Backups of racks' parameters as parameter files, one folder per rack
// under a root, each file named by the time it was taken:
//   ROOT/<rack>/20261207-153000.uJx            a plant backup
//   ROOT/<rack>/20261207-153000-as-found.uJx   before a download
// <rack> is a plant file's rack name, or for a rack known only by its port
// the port made fit for a folder name (RackFolderName).

// Why `name` cannot be a rack's folder name on any system the program runs
// on, or "" when it can: empty, "." or "..", a path separator, a control
// character, one of <>:"|?*, a trailing dot or space, a name Windows
// reserves (CON, NUL, COM1...), or over 100 characters.
QString RackNameProblem(const QString &name);

// A folder name for a rack known by `name` (a plant name or a port):
// the name itself when it can be one, else the name with every character
// that cannot replaced by "_" ("tcp://10.1.2.3:4001" -> "tcp___10.1.2.3_4001").
QString RackFolderName(const QString &name);

// The user's folder for as-found backups: <data folder>/V9CON/backups.
QString DefaultBackupRoot();

struct BackupFile
{
    QString path;
    QDateTime taken; // local time from the name
    bool asFound = false;
};

// The backups of `rack` (a folder name) under `root`, newest first; files
// whose names are not a backup's are left out.
QList<BackupFile> ListBackups(const QString &root, const QString &rack);

// Writes `cards` as a new backup of `rack` taken at `when`: the folder is
// made when missing, and a second backup in the same second gets "-2",
// "-3"... Gives the path written.
Result<QString> WriteBackup(const QString &root, const QString &rack, const CardTable &cards,
                            const QDateTime &when, bool asFound);
