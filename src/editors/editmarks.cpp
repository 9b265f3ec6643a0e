#include "editors/editmarks.h"

#include <QLineEdit>
#include <algorithm>

namespace {

const char *const kMarked = "editedNotWritten";

void setMarked(QLineEdit *box, bool marked)
{
    if (box->property(kMarked).toBool() == marked)
        return;
    box->setProperty(kMarked, marked);
    QFont font = box->font();
    font.setBold(marked);
    box->setFont(font);
    box->setToolTip(marked ? QStringLiteral("Edited, not yet written to the card") : QString());
}

} // namespace

void EditMarks::watch(QLineEdit *box)
{
    m_boxes.push_back(box);
    QObject::connect(box, &QLineEdit::textEdited, box, [box] { setMarked(box, true); });
}

void EditMarks::clear(QLineEdit *box)
{
    setMarked(box, false);
}

void EditMarks::clearAll()
{
    for (QLineEdit *box : m_boxes)
        setMarked(box, false);
}

bool EditMarks::any() const
{
    return std::any_of(m_boxes.begin(), m_boxes.end(),
                       [](const QLineEdit *box) { return box->property(kMarked).toBool(); });
}
