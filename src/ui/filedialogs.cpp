#include "ui/filedialogs.h"

#include <QFileDialog>

namespace FileDialogs {
namespace {
Handler &handler()
{
    static Handler h;
    return h;
}
} // namespace

QString filter()
{
    return QStringLiteral("uJx Files (*.uJx);;Text Files (*.txt);;All Files (*.*)");
}

void setHandler(Handler h)
{
    handler() = std::move(h);
}

QString choose(QWidget *parent, Mode mode)
{
    if (handler())
        return handler()(mode);
    const QString filters = filter();
    QString selected = filters.section(QStringLiteral(";;"), 0, 0);
    if (mode == Mode::Open)
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), QString(), filters,
                                            &selected);
    // The platform dialog asks before it overwrites an existing file.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save"), QString(), filters,
                                        &selected);
}
} // namespace FileDialogs
