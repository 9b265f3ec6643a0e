#pragma once

#include <vector>

class QLineEdit;

// Boxes the operator typed into that the card does not hold yet. A marked
// box is bold and says so in its tooltip until the program fills it again
// (an Upload, a Download's read-back, another card) or a Download writes it.
class EditMarks
{
public:
    // The operator's edits of `box` mark it; the program's setText does not.
    void watch(QLineEdit *box);
    void clear(QLineEdit *box);
    void clearAll();
    bool any() const;

private:
    std::vector<QLineEdit *> m_boxes;
};
