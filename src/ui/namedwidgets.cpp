#include "ui/namedwidgets.h"

#include "ui/vbcolor.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

QLineEdit *makeBox(QWidget *parent, const QString &name, int width)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    return e;
}

QLineEdit *makeInfoBox(QWidget *parent, const QString &name, int width)
{
    QLineEdit *e = makeBox(parent, name, width);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::ClickFocus);
    return e;
}

QLineEdit *makeLockedBox(QWidget *parent, const QString &name, int width)
{
    QLineEdit *e = makeBox(parent, name, width);
    setBoxLocked(e, true);
    return e;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void setBoxLocked(QLineEdit *box, bool locked)
{
    box->setReadOnly(locked);
    VbColor::setBackColor(box, locked ? VbColor::ButtonFace : VbColor::WindowBackground);
    box->setFocusPolicy(locked ? Qt::ClickFocus : Qt::StrongFocus);
}
