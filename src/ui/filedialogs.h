#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The parameter file dialog, shared by Open and Save, and the report's.
// Tests install a handler that answers with a file name or a cancel.
namespace FileDialogs {
enum class Mode
{
    Open,
    Save,
    Report // a PDF or HTML file to write
};

// The filter list; the first entry is the one selected.
QString filter(Mode mode = Mode::Open);
// The chosen file, or the empty text when the operator cancelled. Save asks
// before overwriting a file that exists.
QString choose(QWidget *parent, Mode mode);

// "name" becomes "name.suffix"; a name with an extension stays as it is.
QString withDefaultSuffix(const QString &path, const QString &suffix);

// The folder the dialogs start in: the one used last, and before any (or
// when it is gone) the documents folder, made if missing, else home.
QString lastFolder();
// A file opened or saved: its folder is used next, and it heads the list
// of recent files.
void remember(const QString &path);
inline constexpr int kRecentCount = 5;
// Newest first.
QStringList recentFiles();

using Handler = std::function<QString(Mode)>;
// Replaces the real dialog; an empty handler restores it.
void setHandler(Handler handler);
} // namespace FileDialogs
