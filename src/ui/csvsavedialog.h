#pragma once

#include <QString>
#include <functional>

class QWidget;

// The save dialog for CSV files. Tests install a handler that answers with
// a file name or a cancel.
namespace CsvSaveDialog {
// The chosen file, or "" when the operator cancelled. The platform dialog
// asks before it overwrites a file that exists.
QString choose(QWidget *parent, const QString &title, const QString &suggestedName);

using Handler = std::function<QString(const QString &title)>;
// Replaces the real dialog; an empty handler restores it.
void setHandler(Handler handler);
} // namespace CsvSaveDialog
