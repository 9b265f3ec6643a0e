#include "cli/helptext.h"

namespace {

const char *const kGlobal =
    R"(Usage: v9con-cli [--com N[=DEVICE] | --port DEVICE | --simulate[=RACK.json]] COMMAND ...

Commands:
  upload -o FILE.uJx      read the whole rack into a parameter file
  download FILE.uJx       write a parameter file to the rack (all cards)
  restore BACKUP.uJx      put the rack back to a backup (a download of it)
  verify FILE.uJx         read the rack and list every difference from the file
  show [FILE.uJx]         print the 16 slots of the file, or of the rack
  monitor [--passes N] [--interval MS] [--csv FILE]
                          read all cards' live values; one CSV row per card and pass
  report -o REPORT.pdf|.html [FILE.uJx]
                          write a report of the rack, or of the file, as PDF or HTML
  plant backup|verify|report PLANT.json ...
                          every rack of a plant file at once; the ports come
                          from the file, so no port option (plant --help)

Options (before the command):
  --com N=DEVICE          COM port N (1..8) opens DEVICE, as in v9con: a device
                          (/dev/ttyUSB0), tcp://HOST:PORT or rfc2217://HOST:PORT
  --com N                 COM port N without a mapping; COM1 when no port is given
  --com N --port DEVICE   the same as --com N=DEVICE
  --port DEVICE           the same as --com 1=DEVICE
  --simulate[=RACK.json]  the built-in simulated demo rack, or the rack in RACK.json
  --simulate --rack RACK.json
                          the same as --simulate=RACK.json
  --change-log FILE       record every write to the rack in FILE instead of
                          V9CON/change-log.jsonl in the data folder
  --json                  machine-readable output of show and verify
  --help                  this text; COMMAND --help describes one command
  --version               the program's version

The port options: "Choosing the port" in README.md (/usr/share/doc/v9con).

Progress goes to standard error, results to standard output. The progress
names the slot in progress and any retry after silence. An error is one
line starting "v9con-cli: "; indented lines under it say where the rack
stopped answering (slot, model, item), the port, and the writes refused.
Exit codes: 0 done, 1 verify found differences, 2 usage or file error,
3 the rack did not answer or the port failed,
4 finished, but the rack refused some writes (listed on standard error),
130 Ctrl-C ended the command (the slots done and not done on standard error).
)";

const char *const kUpload = R"(Usage: v9con-cli [PORT] upload -o FILE.uJx

Reads the communication card and every slot, as the window's Upload does,
and saves the rack's parameters in FILE.uJx. Nothing is written when the
upload does not complete. Ctrl-C stops after the slot being read and
lists the slots read and not read (exit code 130); a second Ctrl-C stops
at once.

  -o, --output FILE       the parameter file to write
)";

const char *const kDownload =
    R"(Usage: v9con-cli [PORT] download [--no-backup] [--rack-name NAME] FILE.uJx

Writes the parameters of every known card in FILE.uJx to the rack, as the
window's Download does. Slots without a known card are skipped. Writes a
card does not take are listed and make the exit code 4.

First the rack is read whole and kept as found, in
V9CON/backups/<rack>/<date>-<time>-as-found.uJx in the data folder, and
every write in the change log names that file. When the backup cannot be
made, nothing is written (exit code 3 when the rack could not be read, 2
when the file could not be written).

Ctrl-C lets the card in progress finish, then stops and lists the slots
written and not written (exit code 130); a second Ctrl-C stops at once.

  --no-backup             write without reading the rack for a backup first
  --rack-name NAME        the rack's folder under backups (default: the port)
)";

const char *const kRestore =
    R"(Usage: v9con-cli [PORT] restore [--no-backup] [--rack-name NAME] BACKUP.uJx

Puts the rack back to BACKUP.uJx, a file of V9CON/backups/<rack>/ in the
data folder: a download of it, with each card's model checked first and
its own as-found backup before writing, as download does.

  --no-backup             write without reading the rack for a backup first
  --rack-name NAME        the rack's folder under backups (default: the port)
)";

const char *const kVerify = R"(Usage: v9con-cli [PORT] verify [--json] FILE.uJx

Reads the rack and compares it with FILE.uJx: model, version, input type,
burnout, the 12 parameter values and the limit state. Every difference is
printed with its slot, field, the file's value and the rack's value; the
exit code is then 1. Channel data (states of discrete cards) and the counts
of pulse cards are live values: their differences are listed as
information only. Parameters are named as the card's editor captions
them, with the raw parameter and item beside:

  Slot 1, Full scale, Ch. 1 (parameter 2, item 14): file "11000", rack "12000"

  --json                  print the differences as a JSON object
)";

const char *const kShow = R"(Usage: v9con-cli [PORT] show [--json] [FILE.uJx]

Prints the 16 slots of FILE.uJx, or, without a file, of the rack after an
upload (then the communication card too). Under an analog or pulse card's
row, one line per parameter, as the rack holds it:

        Full scale, Ch. 1 (parameter 2, item 14): 12000

  --json                  print a JSON object with all 16 slots
)";

const char *const kMonitor =
    R"(Usage: v9con-cli [PORT] monitor [--passes N] [--interval MS] [--csv FILE]

Uploads the rack, then reads every card's live values pass after pass and
writes one CSV row per card and pass:

  time,card,model,ch1,ch2,bits

time is ISO 8601 local time with milliseconds; ch1 and ch2 are an analog
card's values as the rack sent them, decimal point kept ("ERROR" when the
card did not answer); bits are a discrete card's 16 states, most
significant first. After the upload, standard error says how many cards
every pass reads. Ctrl-C ends monitoring after the current read, with the
file complete.

  --passes N              stop after N passes (default: until Ctrl-C)
  --interval MS           pause between passes in milliseconds (at least 50)
  --csv FILE              write the rows to FILE instead of standard output
)";

const char *const kReport = R"(Usage: v9con-cli [PORT] report -o REPORT.pdf|REPORT.html [FILE.uJx]

Writes a report of the rack after an upload, or, with a file, of FILE.uJx:
the date, the program's version, where the table came from and the
communication card, then every occupied slot with its model, version,
class, input type, burnout, limit function and each parameter with its
value and range. The extension chooses the format: .pdf, or .html/.htm.
Nothing is written when the upload does not complete.

  -o, --output REPORT     the report to write
  --performed-by NAME     printed in the sign-off block at the end
  --witnessed-by NAME     the same; without them the block has lines to sign
)";

} // namespace

QString HelpText(CliCommand command)
{
    switch (command) {
    case CliCommand::Upload:
        return QString::fromUtf8(kUpload);
    case CliCommand::Download:
        return QString::fromUtf8(kDownload);
    case CliCommand::Verify:
        return QString::fromUtf8(kVerify);
    case CliCommand::Show:
        return QString::fromUtf8(kShow);
    case CliCommand::Monitor:
        return QString::fromUtf8(kMonitor);
    case CliCommand::Report:
        return QString::fromUtf8(kReport);
    case CliCommand::Restore:
        return QString::fromUtf8(kRestore);
    case CliCommand::None:
        break;
    }
    return QString::fromUtf8(kGlobal);
}
