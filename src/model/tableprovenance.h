#pragma once

#include <QString>
#include <QtGlobal>

// Where the card table came from.
enum class TableOrigin
{
    None,   // nothing uploaded or opened yet
    Upload, // read from the rack
    File,   // read from a parameter file
};

// The one owner of what is known about the card table as a whole: where it
// came from, whether it is the whole rack, and a generation that changes
// whenever the table does. Save, Download, the report, the comparison and
// the title read it; whatever is derived from the table keeps the
// generation it was made from and is out of date once that changed.
class TableProvenance
{
public:
    TableOrigin origin() const { return m_origin; }
    // The port text after an upload, the file's path after an open.
    const QString &source() const { return m_source; }
    bool complete() const { return m_origin != TableOrigin::None && m_incomplete.isEmpty(); }
    // Why the table is not the whole rack ("upload cancelled after slot 2");
    // empty when it is.
    const QString &incompleteReason() const { return m_incomplete; }
    // The slot an upload was reading when it stopped; 0 when none.
    int partialSlot() const { return m_partialSlot; }
    // The link the table was uploaded on (see Session::link); 0 for a file.
    quint64 link() const { return m_link; }
    quint64 generation() const { return m_generation; }
    // The parameter file that holds this table: opened, or saved to since
    // the table was last replaced. Empty otherwise.
    const QString &file() const { return m_file; }
    // Whether the table is the rack's, read on link `link`.
    bool uploadedOn(quint64 link) const
    {
        return m_origin == TableOrigin::Upload && link != 0 && m_link == link;
    }

    // An upload on `link` replaces the table; until it ends well the table
    // is not the whole rack.
    void uploadStarted(const QString &port, quint64 link);
    // The upload read every slot.
    void uploadCompleted();
    // The upload stopped: `reason` says how, `partialSlot` was half read.
    void uploadStopped(const QString &reason, int partialSlot);
    void opened(const QString &path);
    void savedAs(const QString &path);
    // Any other change of the table's contents: an edit stored, a write.
    void changed() { ++m_generation; }

private:
    TableOrigin m_origin = TableOrigin::None;
    QString m_source;
    QString m_incomplete;
    QString m_file;
    int m_partialSlot = 0;
    quint64 m_link = 0;
    quint64 m_generation = 0;
};
