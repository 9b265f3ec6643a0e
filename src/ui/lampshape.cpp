#include "ui/lampshape.h"

#include "ui/vbcolor.h"

#include <QPainter>

LampShape::LampShape(QWidget *parent) : QWidget(parent)
{
    setFixedSize(20, 20);
}

void LampShape::setFillColor(quint32 bgr)
{
    m_fill = bgr;
    setProperty("FillColor", bgr);
    update();
}

void LampShape::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1));
    p.setBrush(VbColor::toQColor(m_fill, palette()));
    p.drawEllipse(rect().adjusted(1, 1, -1, -1));
}
