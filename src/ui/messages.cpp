#include "ui/messages.h"

#include <QMessageBox>

namespace Messages {
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

void show(QWidget *parent, Icon icon, const QString &title, const QString &text)
{
    if (handler()) {
        handler()(icon, title, text);
        return;
    }
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.exec();
}
} // namespace Messages
