#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// Colours are kept as 24-bit blue-green-red values, as the rest of the
// program and its tables use them; &H800000xx names a system colour.
namespace VbColor {
inline constexpr quint32 Red = 0x0000FF;
inline constexpr quint32 Green = 0x008000;
inline constexpr quint32 LampGreen = 0x00F000;
inline constexpr quint32 Navy = 0x800000;
inline constexpr quint32 MenuBackground = 0x80000004;
inline constexpr quint32 WindowBackground = 0x80000005;
inline constexpr quint32 ButtonFace = 0x8000000F;
inline constexpr quint32 ButtonText = 0x80000012;

QColor toQColor(quint32 bgr, const QPalette &palette);
// Foreground (text) and background of a label, frame or text box. The value set is
// also kept as the widget's "ForeColor" / "BackColor" property.
void setForeColor(QWidget *w, quint32 bgr);
void setBackColor(QWidget *w, quint32 bgr);
} // namespace VbColor
