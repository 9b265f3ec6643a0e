#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls created with their object name set, as every window names them.
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text = {});
QLineEdit *makeBox(QWidget *parent, const QString &name, int width);
// A display-only box: the operator may select and copy, but Tab skips it.
QLineEdit *makeInfoBox(QWidget *parent, const QString &name, int width);
// A box that starts locked (see setBoxLocked).
QLineEdit *makeLockedBox(QWidget *parent, const QString &name, int width);
// A dialog button that Enter in a text box does not press.
QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text);
// A locked box is read-only, button-face grey and skipped by Tab; an
// unlocked one is editable, white and a tab stop.
void setBoxLocked(QLineEdit *box, bool locked);
