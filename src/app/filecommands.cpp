#include "app/filecommands.h"

#include "ui/filedialogs.h"
#include "ui/messages.h"
#include "exchange/session.h"
#include "files/parameterfile.h"

void FileCommands::mnuFilesOpen_Click()
{
    // A table replaced under a running transfer would be written half old,
    // half new.
    OperationGate::Ticket ticket = m_s.gate.begin(QStringLiteral("Open"));
    if (!ticket)
        return;
    const QString path = FileDialogs::choose(m_h.parent, FileDialogs::Mode::Open);
    if (!path.isEmpty())
        load(path);
}

void FileCommands::openFile(const QString &path)
{
    OperationGate::Ticket ticket = m_s.gate.begin(QStringLiteral("Open"));
    if (ticket)
        load(path);
}

bool FileCommands::load(const QString &path)
{
    // The whole file is read into fresh records first: a file that fails
    // half way leaves the table as it was.
    ParameterFileResult loaded = OpenParameterFile(path);
    if (!loaded.ok()) {
        Messages::show(m_h.parent, Messages::Icon::None, QStringLiteral("V9CON"), loaded.error);
        return false;
    }
    m_h.selectOverview();
    m_s.cards = std::move(*loaded.cards);
    m_h.tableReplaced();
    FileDialogs::remember(path);
    m_h.fileShown(path);
    return true;
}

void FileCommands::mnuFilesSave_Click()
{
    OperationGate::Ticket ticket = m_s.gate.begin(QStringLiteral("Save"));
    if (!ticket)
        return;
    // Refused before the dialog: nothing to choose a file for.
    const QString refusal = CheckWritable(m_s.cards);
    if (!refusal.isEmpty()) {
        Messages::show(m_h.parent, Messages::Icon::None, QStringLiteral("Open Error"), refusal);
        return;
    }
    const QString path = FileDialogs::choose(m_h.parent, FileDialogs::Mode::Save);
    if (path.isEmpty())
        return;
    const QString error = WriteParameterFile(m_s.cards, path);
    if (!error.isEmpty()) {
        Messages::show(m_h.parent, Messages::Icon::None, QStringLiteral("Open Error"), error);
        return;
    }
    FileDialogs::remember(path);
    m_h.fileShown(path);
}
