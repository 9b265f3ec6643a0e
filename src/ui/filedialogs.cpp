#include "ui/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace FileDialogs {
namespace {
Handler &handler()
{
    static Handler h;
    return h;
}

const QString kLastFolder = QStringLiteral("files/lastFolder");
const QString kRecent = QStringLiteral("files/recent");
} // namespace

QString filter(Mode mode)
{
    if (mode == Mode::Report)
        return QStringLiteral("PDF (*.pdf);;HTML (*.html)");
    return QStringLiteral("uJx Files (*.uJx);;Text Files (*.txt);;All Files (*.*)");
}

void setHandler(Handler h)
{
    handler() = std::move(h);
}

QString withDefaultSuffix(const QString &path, const QString &suffix)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + suffix;
}

QString lastFolder()
{
    const QString last = QSettings().value(kLastFolder).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    // Not the current folder: that is the program's own, /usr/bin when installed.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir().mkpath(documents))
        return documents;
    return QDir::homePath();
}

void remember(const QString &path)
{
    QSettings settings;
    settings.setValue(kLastFolder, QFileInfo(path).absolutePath());
    QStringList recent = settings.value(kRecent).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    settings.setValue(kRecent, recent.mid(0, kRecentCount));
}

QStringList recentFiles()
{
    return QSettings().value(kRecent).toStringList().mid(0, kRecentCount);
}

QString choose(QWidget *parent, Mode mode)
{
    QString path;
    if (handler()) {
        path = handler()(mode);
    } else {
        const QString title = mode == Mode::Open   ? QStringLiteral("Open")
                              : mode == Mode::Save ? QStringLiteral("Save")
                                                   : QStringLiteral("Report");
        QFileDialog dialog(parent, title, lastFolder(), filter(mode));
        dialog.setAcceptMode(mode == Mode::Open ? QFileDialog::AcceptOpen
                                                : QFileDialog::AcceptSave);
        dialog.setFileMode(mode == Mode::Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        // The dialog adds it before it asks about overwriting: the selected
        // filter's for a report.
        dialog.setDefaultSuffix(mode == Mode::Report ? QStringLiteral("pdf")
                                                     : QStringLiteral("uJx"));
        if (mode == Mode::Report)
            QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                             [&dialog](const QString &f) {
                                 dialog.setDefaultSuffix(f.contains(QLatin1String("html"))
                                                             ? QStringLiteral("html")
                                                             : QStringLiteral("pdf"));
                             });
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    // Without an extension Open could not find the file again, and a report
    // would not know its format.
    if (mode == Mode::Report)
        return withDefaultSuffix(path, QStringLiteral("pdf"));
    return mode == Mode::Save ? withDefaultSuffix(path, QStringLiteral("uJx")) : path;
}
} // namespace FileDialogs
