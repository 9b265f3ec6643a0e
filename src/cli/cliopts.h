#pragma once

#include <QString>
#include <QStringList>

enum class CliCommand
{
    None,
    Upload,
    Download,
    Verify,
    Show,
    Monitor,
    Report,
    Restore, // a download of a backup
};

// Where the rack is: a COM number mapped as the window maps it, a COM
// number opening a device (--com N=DEVICE, as in v9con), or the simulator
// (the demo rack or a rack file).
struct PortChoice
{
    enum class Kind
    {
        Com,
        Device, // comNo opens device
        Simulate,
    };
    Kind kind = Kind::Com;
    int comNo = 1;
    QString device;
    QString rackFile;
};

struct CliOptions
{
    PortChoice port;
    CliCommand command = CliCommand::None;
    QString file;   // upload's -o, or the FILE of download, verify, show and report
    QString output; // report's -o
    // report: the names in the sign-off block
    QString performedBy;
    QString witnessedBy;
    bool json = false;
    int passes = 0;        // monitor: 0 runs until Ctrl-C
    int intervalMs = 0;    // monitor: pause between passes; the core's own is the least
    QString csvPath;       // monitor: empty writes to standard output
    QString changeLog;     // --change-log FILE; empty: the default file
    bool noBackup = false; // download, restore: no as-found backup first
    QString rackName;      // download, restore: --rack-name, the backups' folder
    bool help = false;     // the command's help, or the global one without a command
    bool version = false;  // --version
    QString error;         // not empty: the command line was not understood
};

// The arguments without the program name.
CliOptions ParseCliOptions(const QStringList &arguments);
QString CommandName(CliCommand command);
