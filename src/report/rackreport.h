#pragma once

#include "exchange/commcardsettings.h"
#include "link/result.h"
#include "model/cardrecord.h"
#include "model/comparison.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QTextDocument;

// What the report's header says beyond the table itself. The caller fills
// what it knows; an empty field is left out of the report.
struct ReportHeader
{
    QDateTime created; // invalid: the time the report is built
    // Where the table came from: the port after an upload ("COM1 (...)"),
    // or the parameter file that was opened (its date is read from it).
    QString port;
    QString file;
    // The communication card, as far as this session read it.
    QString commModel;
    QString commVersion;
    std::optional<QString> commTimeout;
    std::optional<EthernetSettings> network;
    // The parameter file a comparison was run with, when one was.
    QString comparedFile;
    // Whether the communication card's settings were read on the link the
    // table came from: the time-out and network show only when they were;
    // when not, and a communication card is named, the report says so.
    bool commSettingsRead = false;
    // Why the table is not the whole rack ("upload cancelled after slot 2");
    // empty when it is. Said at the top and on every page of the PDF.
    QString incomplete;
    // The slot an upload was reading when it stopped, 1..16; 0 when none.
    // Its heading says so; its values are printed as they stand.
    int partialSlot = 0;
    // A plant's name for the rack (heads the report) and its tags by slot
    // and channel (printed beside the channels).
    QString rackName;
    QMap<int, QMap<int, QString>> tags;
    // The sign-off block's names; an empty one is a line to sign on paper.
    QString performedBy;
    QString witnessedBy;
};

// The communication card's time-out and network settings as far as they
// were read this session (items "09", "59".."64", "71".."74" by item).
void AddCommSettings(ReportHeader &header, const QMap<QString, QString> &read);

// A record of the rack for the operator to keep: the header, one section per
// occupied slot with every parameter, its value and its range, and the
// differences of a comparison when one was run. PDF output needs a
// QGuiApplication (fonts).
class RackReport
{
public:
    // `differences`: those of a comparison with a file, when one was run
    // (an empty list says the table matched).
    RackReport(const CardTable &cards, ReportHeader header,
               std::optional<QList<Difference>> differences = std::nullopt);

    QString html() const;
    std::unique_ptr<QTextDocument> document() const;
    QByteArray pdf() const;

    // Writes HTML or PDF by the file's extension; a failure names the file,
    // and nothing is left behind.
    Status save(const QString &path) const;

    // Why `path` cannot take a report because of its extension, or empty.
    // Checked before an upload, so a typo does not cost one.
    static QString formatProblem(const QString &path);

private:
    // The title with the header, each occupied slot, the differences: the
    // parts the PDF keeps whole on a page where they fit.
    QStringList partsHtml() const;
    QString headerHtml() const;
    QString slotHtml(int slot) const;
    QString differencesHtml() const;
    QString signOffHtml() const;

    const CardTable &m_cards;
    ReportHeader m_header;
    std::optional<QList<Difference>> m_differences;
};
