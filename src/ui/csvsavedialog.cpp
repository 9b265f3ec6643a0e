#include "ui/csvsavedialog.h"

#include "ui/filedialogs.h"

#include <QDir>
#include <QFileDialog>

namespace CsvSaveDialog {
namespace {
Handler &handler()
{
    static Handler h;
    return h;
}
} // namespace

void setHandler(Handler h)
{
    handler() = std::move(h);
}

QString choose(QWidget *parent, const QString &title, const QString &suggestedName)
{
    const QString csv = QStringLiteral("csv");
    if (handler())
        return FileDialogs::withDefaultSuffix(handler()(title), csv);
    QFileDialog dialog(parent, title, QDir(FileDialogs::lastFolder()).filePath(suggestedName),
                       QStringLiteral("CSV Files (*.csv);;All Files (*.*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(csv);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return FileDialogs::withDefaultSuffix(dialog.selectedFiles().constFirst(), csv);
}
} // namespace CsvSaveDialog
