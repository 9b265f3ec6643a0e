#pragma once

#include <QString>
#include <functional>

struct Session;
class QWidget;

// File > Open and File > Save of the main window: the dialog, the message
// boxes and the refresh around the parameter file reader and writer.
class FileCommands
{
public:
    struct Hooks
    {
        QWidget *parent;
        // Sets the card selector to "00", so an open editor stores its boxes
        // into the records that are about to go.
        std::function<void()> selectOverview;
        // The table was replaced: refresh what shows it.
        std::function<void()> tableReplaced;
    };
    FileCommands(Session &session, Hooks hooks) : m_session(session), m_hooks(std::move(hooks)) {}

    void mnuFilesOpen_Click();
    void mnuFilesSave_Click();
    // Open of a file already chosen (the recent files, a backup to
    // restore); false when nothing was opened.
    bool openFile(const QString &path);

private:
    // Reads the file into the table; false when it was refused (and said so).
    bool load(const QString &path);

    Session &m_session;
    Hooks m_hooks;
};
