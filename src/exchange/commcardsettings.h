#pragma once

#include <QString>
#include <array>
#include <optional>

struct Session;

// The communication card's own settings (card "00"): the network settings of
// the Ethernet model (frmEther) and the communication time-out (frmComm).
// Each call runs one button's exchanges and returns what the card said; the
// windows only show it. A call stops at the first read that got no answer.

// The boxes of frmEther, indexed like their controls: ip[3] and mask[3] hold
// the first (leftmost) octet, ip[0] the last; port[0] and linger[0] are
// socket 1.
struct EthernetSettings
{
    std::array<QString, 4> ip;
    std::array<QString, 4> mask;
    std::array<QString, 4> port;
    std::array<QString, 4> linger;
};

// What Upload read, in reading order; a field stays empty from the first
// read that got no answer on, and complete tells whether all came.
struct EthernetUpload
{
    std::optional<std::array<QString, 4>> ip;
    std::optional<std::array<QString, 4>> mask;
    std::optional<QString> macFirst;
    std::optional<QString> macSecond;
    std::array<std::optional<QString>, 4> port;
    std::array<std::optional<QString>, 4> linger;
    bool complete = false;
    bool busy = false; // stopped because another exchange was waiting: nothing was sent
};
EthernetUpload UploadEthernetSettings(Session &session);

// The first box Download must not send, and what to tell the operator.
struct EntryProblem
{
    QString box; // control name, e.g. "txtIP_3"
    QString message;
};
// Empty address and port boxes first, then octets of 1 to 3 digits 0..255,
// ports of 1 to 5 digits 1..65535, linger times empty or digits.
std::optional<EntryProblem> CheckEthernetEntries(const EthernetSettings &boxes);

enum class SettingsDownload
{
    Written,
    NoAnswer,    // the card did not answer the link check: nothing written
    BadEntry,    // a box failed the check: nothing written
    WriteFailed, // a write got no answer; the ones after it were not sent
    Refused,     // the card refused a write; the ones after it were not sent
    Busy,        // another exchange was waiting on the line: the card was not asked
};
struct EthernetDownload
{
    SettingsDownload result = SettingsDownload::Written;
    // BadEntry: the box and the entry message. Refused: the refused
    // setting's box, and which setting it was and which went before it.
    EntryProblem problem;
};
EthernetDownload DownloadEthernetSettings(Session &session, const EthernetSettings &boxes);

// Typing checks of frmEther: the message to show, or empty.
QString OctetTypingMessage(const QString &text);
QString PortTypingMessage(const QString &text);
QString LingerTypingMessage(const QString &text);

// frmComm's Upload. CannotSet: the card refused item "09" or does not use it.
struct CommTimeoutUpload
{
    enum class Result
    {
        Read,
        CannotSet,
        NoAnswer,
        Busy, // another exchange was waiting on the line: the card was not asked
    };
    Result result = Result::NoAnswer;
    QString value;
};
CommTimeoutUpload UploadCommTimeout(Session &session);

// The box text Download sends: above 32767 is "32767", 0 is "0", otherwise
// the text as typed; nullopt for an empty box or one that is not digits.
std::optional<QString> ClampCommTimeout(const QString &box);

struct CommTimeoutDownload
{
    SettingsDownload result = SettingsDownload::Written;
    QString sent;         // the clamped text, once past the entry check
    EntryProblem problem; // for Refused
};
CommTimeoutDownload DownloadCommTimeout(Session &session, const QString &box);
