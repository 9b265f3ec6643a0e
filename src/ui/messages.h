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

// The informative line goes under the text: where and what failed.
void show(QWidget *parent, Icon icon, const QString &title, const QString &text,
          const QString &informative = {});

using Handler = std::function<void(Icon, const QString &title, const QString &text,
                                   const QString &informative)>;
// Replaces the real boxes; an empty handler restores them.
void setHandler(Handler handler);

// A yes/no question; true for Yes. "No" is the default button, so a hasty
// Enter keeps what would be lost.
bool ask(QWidget *parent, const QString &title, const QString &text);
// Answers the questions instead of a box; an empty handler restores the boxes.
using QuestionHandler = std::function<bool(const QString &title, const QString &text)>;
void setQuestionHandler(QuestionHandler handler);
} // namespace Messages
