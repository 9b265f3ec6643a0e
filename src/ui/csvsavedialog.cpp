#include "ui/csvsavedialog.h"

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
    if (handler())
        return handler()(title);
    return QFileDialog::getSaveFileName(parent, title, suggestedName,
                                        QStringLiteral("CSV Files (*.csv);;All Files (*.*)"));
}
} // namespace CsvSaveDialog
