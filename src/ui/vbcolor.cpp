#include "ui/vbcolor.h"

#include <QWidget>

namespace VbColor {

QColor toQColor(quint32 bgr, const QPalette &palette)
{
    switch (bgr) {
    case MenuBackground:
        return palette.color(QPalette::Window);
    case WindowBackground:
        return palette.color(QPalette::Base);
    case ButtonFace:
        return palette.color(QPalette::Button);
    case ButtonText:
        return palette.color(QPalette::ButtonText);
    default:
        return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
    }
}

void setForeColor(QWidget *w, quint32 bgr)
{
    // Labels draw their text with WindowText, text boxes with Text.
    QPalette p = w->palette();
    const QColor c = toQColor(bgr, QPalette());
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::Text, c);
    w->setPalette(p);
    w->setProperty("ForeColor", bgr);
}

void setBackColor(QWidget *w, quint32 bgr)
{
    // Labels and frames fill with Window, text boxes paint their face with Base.
    QPalette p = w->palette();
    const QColor c = toQColor(bgr, QPalette());
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::Base, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
    w->setProperty("BackColor", bgr);
}

} // namespace VbColor
