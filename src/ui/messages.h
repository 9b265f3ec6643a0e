#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message box of the program goes through here, so tests can record
// them instead of blocking on a modal box.
namespace Messages {
enum class Icon
{
    None,
    Information,
    Exclamation,
    Critical
};

void show(QWidget *parent, Icon icon, const QString &title, const QString &text);

using Handler = std::function<void(Icon, const QString &title, const QString &text)>;
// Replaces the real boxes; an empty handler restores them.
void setHandler(Handler handler);
} // namespace Messages
