#include "app/filecommands.h"

#include "exchange/session.h"
#include "files/parameterfile.h"
#include "ui/filedialogs.h"
#include "ui/messages.h"

void FileCommands::mnuFilesOpen_Click()
{
    // A table replaced under a running transfer would be written half old,
    // half new.
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Open"));
    if (!ticket)
        return;
    const QString path = FileDialogs::choose(m_hooks.parent, FileDialogs::Mode::Open);
    if (!path.isEmpty())
        load(path);
}

bool FileCommands::openFile(const QString &path)
{
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Open"));
    return ticket && load(path);
}

bool FileCommands::load(const QString &path)
{
    // The whole file is read into fresh records first: a file that fails
    // half way leaves the table as it was.
    Result<CardTable> loaded = OpenParameterFile(path);
    if (!loaded) {
        Messages::show(m_hooks.parent, Messages::Icon::None, QStringLiteral("V9CON"),
                       loaded.reason());
        return false;
    }
    m_hooks.selectOverview();
    m_session.cards = std::move(*loaded);
    m_session.table.opened(path);
    m_hooks.tableReplaced();
    FileDialogs::remember(path);
    return true;
}

void FileCommands::mnuFilesSave_Click()
{
    OperationGate::Ticket ticket = m_session.gate.begin(QStringLiteral("Save"));
    if (!ticket)
        return;
    // Refused before the dialog: nothing to choose a file for. A table that
    // is not the whole rack would come back from the file looking whole.
    const TableProvenance &table = m_session.table;
    QString refusal = CheckWritable(m_session.cards).reason();
    if (table.origin() == TableOrigin::None)
        refusal = QStringLiteral("There is nothing to save: upload the rack or open a file first.");
    else if (!table.complete())
        refusal = QStringLiteral("The table is not saved: it is not the whole rack (%1). "
                                 "Upload the rack again first.")
                      .arg(table.incompleteReason());
    if (!refusal.isEmpty()) {
        Messages::show(m_hooks.parent, Messages::Icon::None, QStringLiteral("Save Error"), refusal);
        return;
    }
    const QString path = FileDialogs::choose(m_hooks.parent, FileDialogs::Mode::Save);
    if (path.isEmpty())
        return;
    if (const Status saved = WriteParameterFile(m_session.cards, path); !saved) {
        Messages::show(m_hooks.parent, Messages::Icon::None, QStringLiteral("Save Error"),
                       saved.reason());
        return;
    }
    m_session.table.savedAs(path);
    FileDialogs::remember(path);
}
