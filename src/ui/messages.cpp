#include "ui/messages.h"

#include <QMessageBox>

namespace Messages {
namespace {
constexpr int kShownLines = 8;

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

void show(QWidget *parent, Icon icon, const QString &title, const QString &text,
          const QString &informative)
{
    if (handler()) {
        handler()(icon, title, text, informative);
        return;
    }
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    // A long list (a download's refused writes) would run off the screen:
    // its first lines show, the whole of it is under "Show Details...".
    const QStringList lines = informative.split(QLatin1Char('\n'));
    if (lines.size() > kShownLines) {
        box.setInformativeText(lines.mid(0, kShownLines).join(QLatin1Char('\n')) +
                               QStringLiteral("\n... %1 more lines under Show Details")
                                   .arg(lines.size() - kShownLines));
        box.setDetailedText(informative);
    } else {
        box.setInformativeText(informative);
    }
    // Room for a line such as "Slot 5: XA1-00, item 40: no answer" unbroken.
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_informativelabel { min-width: 22em; }"));
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

namespace {
QuestionHandler &questionHandler()
{
    static QuestionHandler h;
    return h;
}
} // namespace

void setQuestionHandler(QuestionHandler h)
{
    questionHandler() = std::move(h);
}

bool ask(QWidget *parent, const QString &title, const QString &text)
{
    if (questionHandler())
        return questionHandler()(title, text);
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
} // namespace Messages
